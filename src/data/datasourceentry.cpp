#include "data/datasourceentry.h"

#include "platform/apperror.h"
#include "platform/atomicfile.h"
#include "platform/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <optional>

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

// One of our own section names at the start of `line`, glued to more text on the same line
// (an earlier version wrote "[bank]DBQ=..." onto a last line without a line break): the
// length of the header, or 0.
qsizetype gluedHeaderLength(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return 0;
    const qsizetype close = t.indexOf(']');
    if (close < 0 || close + 1 >= t.size())
        return 0;
    const QByteArray name = t.mid(1, close - 1).trimmed();
    if (!sameName(name, kBank) && !sameName(name, kJet))
        return 0;
    return line.indexOf(']') + 1;
}

QList<Section> parse(const QByteArray& text, const QByteArray& eol) {
    QList<Section> sections{Section{}};
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype nl = text.indexOf('\n', i);
        const qsizetype end = nl < 0 ? text.size() : nl + 1;
        const QByteArray line = text.mid(i, end - i);
        const QByteArray name = sectionName(line);
        if (const qsizetype glued = gluedHeaderLength(line); glued > 0) {
            // Mend it: the header on a line of its own, the rest as the section's first line.
            const QByteArray header = line.left(glued);
            sections.append(Section{sectionName(header), {header.trimmed() + eol}});
            sections.last().lines.append(line.mid(glued));
        } else if (!name.isEmpty()) {
            sections.append(Section{name, {line}});
        } else {
            sections.last().lines.append(line);
        }
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

// The keys that we write into [bank] and [bank\Engines\Jet]; every other line there is the
// user's and is kept.
const QList<QByteArray>& bankKeys() {
    static const QList<QByteArray> keys{"DBQ",       "Description",     "Driver",  "DriverId",
                                        "FIL",       "SafeTransaction", "UID",     "Pwd",
                                        "Exclusive", "ReadOnly",        "Database"};
    return keys;
}

const QList<QByteArray>& jetKeys() {
    static const QList<QByteArray> keys{"ImplicitCommitSync", "MaxBufferSize", "PageTimeout",
                                        "Threads", "UserCommitSync"};
    return keys;
}

// The body lines of a section that are not our values, without the header and without the
// blank lines at its end.
QList<QByteArray> usersLines(const QList<QByteArray>& lines, const QList<QByteArray>& ours) {
    QList<QByteArray> kept;
    const qsizetype end = lines.size() - trailingBlankLines(lines).size();
    for (qsizetype i = 1; i < end; ++i) {
        const QByteArray key = keyOf(lines.at(i));
        const bool isOurs = std::any_of(ours.begin(), ours.end(), [&key](const QByteArray& k) {
            return key.compare(k, Qt::CaseInsensitive) == 0;
        });
        if (!isOurs)
            kept.append(lines.at(i));
    }
    return kept;
}

// The line end of the file: CR LF when its first line ends so, else LF.
QByteArray lineEndOf(const QByteArray& text) {
    const qsizetype nl = text.indexOf('\n');
    return nl > 0 && text.at(nl - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

// `lines` (LF-terminated) with every line end written as `eol`.
QByteArray withLineEnd(QByteArray lines, const QByteArray& eol) {
    if (eol != "\n")
        lines.replace("\n", eol);
    return lines;
}

bool endsWithBlankLine(const QByteArray& text) {
    return text.endsWith("\n\n") || text.endsWith("\n\r\n");
}

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

QByteArray mergeEntry(const QByteArray& existing, const QString& databasePath) {
    const QByteArray eol = lineEndOf(existing);
    QList<Section> sections = parse(existing, eol);
    const QByteArray bankSourceLine = withLineEnd(kBankSourceLine, eol);
    bool haveSources = false;
    Section* bank = nullptr;
    Section* jet = nullptr;
    QList<QByteArray> bankExtra;
    QList<QByteArray> jetExtra;
    for (Section& s : sections) {
        if (sameName(s.name, kDataSources) && !haveSources) {
            haveSources = true;
            // Keep the other data sources; replace or add the line of `bank`.
            bool replaced = false;
            for (QByteArray& line : s.lines) {
                if (sameName(keyOf(line), kBank)) {
                    line = bankSourceLine;
                    replaced = true;
                }
            }
            if (!replaced) {
                const qsizetype at = s.lines.size() - trailingBlankLines(s.lines).size();
                // The file's last line may lack its line break.
                if (!s.lines[at - 1].endsWith('\n'))
                    s.lines[at - 1] += eol;
                s.lines.insert(at, bankSourceLine);
            }
        } else if (sameName(s.name, kBank)) {
            bankExtra += usersLines(s.lines, bankKeys());
            if (!bank)
                bank = &s;
            else
                s.lines.clear(); // a second [bank] (left by a mended glued entry) is merged
        } else if (sameName(s.name, kJet)) {
            jetExtra += usersLines(s.lines, jetKeys());
            if (!jet)
                jet = &s;
            else
                s.lines.clear();
        }
    }
    // Our values first, in their order, then what the user added; the blank lines that
    // separate the section from the next one stay where they were.
    auto rewrite = [&eol](Section& s, const QByteArray& body, const QList<QByteArray>& extra) {
        QByteArray header = s.lines.first();
        if (!header.endsWith('\n'))
            header += eol;
        QList<QByteArray> lines{header, withLineEnd(body, eol)};
        lines += extra;
        if (!lines.last().endsWith('\n'))
            lines.last() += eol;
        s.lines = lines + trailingBlankLines(s.lines);
    };
    if (bank)
        rewrite(*bank, bankBody(databasePath), bankExtra);
    if (jet)
        rewrite(*jet, jetBody(), jetExtra);
    QByteArray out;
    for (const Section& s : sections)
        for (const QByteArray& l : s.lines)
            out += l;
    if (!out.isEmpty() && !out.endsWith('\n'))
        out += eol;
    auto appendSection = [&out, &eol](const char* name, const QByteArray& body) {
        if (!out.isEmpty() && !endsWithBlankLine(out))
            out += eol;
        out += withLineEnd(QByteArray("[") + name + "]\n" + body, eol);
    };
    if (!haveSources)
        appendSection(kDataSources, kBankSourceLine);
    if (!bank)
        appendSection(kBank, bankBody(databasePath));
    if (!jet)
        appendSection(kJet, jetBody());
    return out;
}

bool isSafeDatabasePath(const QString& databasePath) {
    // A line break would end the DBQ line early and let the rest of the path become lines or
    // sections of their own.
    return !databasePath.contains(u'\n') && !databasePath.contains(u'\r') &&
           !databasePath.contains(QChar(0));
}

WriteResult writeEntry(const QString& iniPath, const QString& databasePath, QString* reason) {
    auto fail = [reason](WriteResult r, const QString& why) {
        if (reason)
            *reason = why;
        return r;
    };
    if (!isSafeDatabasePath(databasePath))
        return fail(WriteResult::UnsafePath, QStringLiteral("line break in the path"));
    // The file is read without blocking (a FIFO in its place would hang the start) and only
    // a regular file, reached directly or through links, is read or replaced.
    QString why;
    bool missing = false;
    std::optional<QByteArray> existing = regularfile::read(iniPath, &why, &missing);
    if (!existing && !missing)
        return fail(WriteResult::CannotOpen, why);
    AtomicFile out(iniPath, AtomicFile::Permissions::KeepExisting);
    if (!out.open(QIODevice::WriteOnly))
        return fail(WriteResult::CannotOpen, out.errorString());
    const QByteArray text = mergeEntry(existing.value_or(QByteArray()), databasePath);
    if (out.write(text) != text.size() || !out.commit())
        return fail(WriteResult::CannotWrite, out.errorString());
    return WriteResult::Written;
}

QString readDatabasePath(const QString& iniPath) {
    const std::optional<QByteArray> text = regularfile::read(iniPath);
    if (!text)
        throw AppError(
            QStringLiteral("Data source name not found and no default driver specified"));
    bool inBank = false;
    const QList<QByteArray> lines = text->split('\n');
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
