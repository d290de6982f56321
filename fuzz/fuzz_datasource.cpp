// The data source entry merged into a user's ini file: every other section stays byte for
// byte and in order, a second merge changes nothing, and DBQ reads back as written.
#include "data/datasourceentry.h"
#include "fuzzcheck.h"
#include "platform/apperror.h"

#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// A line without line breaks that is not a section header.
QByteArray bodyLine(FuzzedDataProvider& in) {
    QByteArray line = QByteArray::fromStdString(in.ConsumeRandomLengthString(40));
    line.replace('\n', ' ').replace('\r', ' ');
    if (line.trimmed().startsWith('['))
        line.prepend('x');
    return line;
}

// A database path: absolute, no line breaks or NULs, no blanks at its ends.
QString databasePath(FuzzedDataProvider& in) {
    QString p = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(60)));
    p.remove(u'\n').remove(u'\r').remove(QChar(0));
    return QStringLiteral("/") + p.trimmed() + QStringLiteral("/Salary.mdb");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    FuzzedDataProvider in(data, size);
    static const char* const entryNames[] = {"ODBC Data Sources", "bank", "BANK\\Engines\\Jet",
                                             "bank"};
    const char* const eol = in.ConsumeBool() ? "\r\n" : "\n";
    QByteArray file;
    QList<QByteArray> others; // the user's own sections, as written
    const int sections = in.ConsumeIntegralInRange(0, 6);
    for (int s = 0; s < sections; ++s) {
        QByteArray text;
        const bool entry = in.ConsumeBool();
        if (entry) {
            text = QByteArray("[") + entryNames[in.ConsumeIntegralInRange(0, 3)] + "]" + eol;
        } else {
            QByteArray name = QByteArray::fromStdString(in.ConsumeRandomLengthString(12));
            name.replace('\n', '_').replace('\r', '_').replace('[', '_').replace(']', '_');
            text = "[user " + name + "]" + eol;
        }
        const int lines = in.ConsumeIntegralInRange(0, 4);
        for (int l = 0; l < lines; ++l)
            text += bodyLine(in) + eol;
        file += text;
        if (!entry)
            others << text;
    }
    const QString path = databasePath(in);

    const QByteArray once = datasource::mergeEntry(file, path);
    const QByteArray twice = datasource::mergeEntry(once, path);
    check(twice == once, "merging twice changes nothing", once);
    qsizetype at = 0;
    for (const QByteArray& s : others) {
        const qsizetype found = once.indexOf(s, at);
        check(found >= 0, "other sections kept byte for byte and in order", s + "\n--\n" + once);
        at = found + s.size();
    }

    static QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/odbc.ini");
    QFile f(ini);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(once) == once.size(),
          "temporary ini written");
    f.close();
    try {
        check(datasource::readDatabasePath(ini) == path, "DBQ reads back as written",
              path.toUtf8() + "\n--\n" + once);
    } catch (const AppError& e) {
        propertyFailed("DBQ reads back", e.text().toUtf8() + "\n--\n" + once);
    }
    return 0;
}
