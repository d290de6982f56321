#include "data/datasourceentry.h"

#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace datasource {
namespace {

const char* const kDataSources = "ODBC Data Sources";
const char* const kBank = "bank";
const char* const kJet = "bank\\Engines\\Jet";

// A section of the ini file: its header line and body lines, each kept with its line break.
struct Section {
    QByteArray name; // empty for the lines before the first header
    QList<QByteArray> lines;
};

QByteArray sectionName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[') && t.endsWith(']'))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

bool sameName(const QByteArray& a, const char* b) {
    return a.compare(QByteArray(b), Qt::CaseInsensitive) == 0;
}

QList<Section> parse(const QByteArray& text) {
    QList<Section> sections{Section{}};
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype nl = text.indexOf('\n', i);
        const qsizetype end = nl < 0 ? text.size() : nl + 1;
        const QByteArray line = text.mid(i, end - i);
        const QByteArray name = sectionName(line);
        if (!name.isEmpty())
            sections.append(Section{name, {line}});
        else
            sections.last().lines.append(line);
        i = end;
    }
    return sections;
}

// The blank lines at the end of a section: they separate it from the next one and stay when
// the section's body is replaced, so that rewriting the entry never changes the file's layout.
QList<QByteArray> trailingBlankLines(const QList<QByteArray>& lines) {
    qsizetype at = lines.size();
    while (at > 1 && lines.at(at - 1).trimmed().isEmpty())
        --at;
    return lines.mid(at);
}

QByteArray keyOf(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

QByteArray bankBody(const QString& databasePath) {
    const QByteArray path = QDir::toNativeSeparators(databasePath).toUtf8();
    QByteArray b;
    b += "DBQ=" + path + "\n";
    b += "Description=\n";
    b += "Driver=SQLite3\n";
    b += "DriverId=25\n";
    b += "FIL=SQLite;\n";
    b += "SafeTransaction=0\n";
    b += "UID=teloq\n";
    b += "Pwd=2785\n";
    b += "Exclusive=00\n";
    b += "ReadOnly=00\n";
    // The SQLite ODBC driver finds the file under this name.
    b += "Database=" + path + "\n";
    return b;
}

QByteArray jetBody() {
    return "ImplicitCommitSync=Yes\n"
           "MaxBufferSize=512\n"
           "PageTimeout=10\n"
           "Threads=3\n"
           "UserCommitSync=Yes\n";
}

const QByteArray kBankSourceLine = "bank=SQLite3 ODBC Driver\n";

} // namespace

QString odbcIniPath() {
    const QByteArray env = qgetenv("ODBCINI");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QDir::homePath() + QStringLiteral("/.odbc.ini");
}

QString databasePathFor(const QString& programFolder) {
    // cleanPath drops trailing and doubled slashes; only the root keeps its one slash.
    const QString folder = QDir::cleanPath(programFolder);
    return folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) +
           QStringLiteral("Salary.mdb");
}

QByteArray entryText(const QString& databasePath) {
    return QByteArray("[") + kDataSources + "]\n" + kBankSourceLine + "\n[" + kBank + "]\n" +
           bankBody(databasePath) + "\n[" + kJet + "]\n" + jetBody();
}

QByteArray mergeEntry(const QByteArray& existing, const QString& databasePath) {
    QList<Section> sections = parse(existing);
    bool haveSources = false;
    bool haveBank = false;
    bool haveJet = false;
    for (Section& s : sections) {
        if (sameName(s.name, kDataSources) && !haveSources) {
            haveSources = true;
            // Keep the other data sources; replace or add the line of `bank`.
            bool replaced = false;
            for (QByteArray& line : s.lines) {
                if (sameName(keyOf(line), kBank)) {
                    line = kBankSourceLine;
                    replaced = true;
                }
            }
            if (!replaced) {
                const qsizetype at = s.lines.size() - trailingBlankLines(s.lines).size();
                // The file's last line may lack its line break.
                if (!s.lines[at - 1].endsWith('\n'))
                    s.lines[at - 1] += '\n';
                s.lines.insert(at, kBankSourceLine);
            }
        } else if (sameName(s.name, kBank) && !haveBank) {
            haveBank = true;
            s.lines = QList<QByteArray>{s.lines.first(), bankBody(databasePath)} +
                      trailingBlankLines(s.lines);
        } else if (sameName(s.name, kJet) && !haveJet) {
            haveJet = true;
            s.lines = QList<QByteArray>{s.lines.first(), jetBody()} + trailingBlankLines(s.lines);
        }
    }
    QByteArray out;
    for (const Section& s : sections)
        for (const QByteArray& l : s.lines)
            out += l;
    if (!out.isEmpty() && !out.endsWith('\n'))
        out += '\n';
    auto appendSection = [&out](const char* name, const QByteArray& body) {
        if (!out.isEmpty() && !out.endsWith("\n\n"))
            out += '\n';
        out += QByteArray("[") + name + "]\n" + body;
    };
    if (!haveSources)
        appendSection(kDataSources, kBankSourceLine);
    if (!haveBank)
        appendSection(kBank, bankBody(databasePath));
    if (!haveJet)
        appendSection(kJet, jetBody());
    return out;
}

WriteResult writeEntry(const QString& iniPath, const QString& databasePath) {
    QByteArray existing;
    QFile in(iniPath);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return WriteResult::CannotOpen;
        existing = in.readAll();
        in.close();
    }
    QSaveFile out(iniPath);
    if (!out.open(QIODevice::WriteOnly))
        return WriteResult::CannotOpen;
    if (!in.exists())
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray text = mergeEntry(existing, databasePath);
    if (out.write(text) != text.size() || !out.commit())
        return WriteResult::CannotWrite;
    return WriteResult::Written;
}

QString readDatabasePath(const QString& iniPath) {
    QFile in(iniPath);
    if (!in.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("Data source name not found and no default driver specified"));
    bool inBank = false;
    const QList<QByteArray> lines = in.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QByteArray name = sectionName(line);
        if (!name.isEmpty()) {
            inBank = sameName(name, kBank);
            continue;
        }
        if (inBank && sameName(keyOf(line), "DBQ")) {
            const QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
            if (!value.isEmpty())
                return QString::fromUtf8(value);
        }
    }
    throw AppError(QStringLiteral("Data source name not found and no default driver specified"));
}

} // namespace datasource
