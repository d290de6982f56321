#include "settings/logic/categoryeditor.h"

#include "lists/gbk.h"
#include "platform/apperror.h"
#include "platform/dialogs.h"

namespace {

const QString kCaption = QStringLiteral("系统设置");
const QString kPrompt = QStringLiteral("输入项目");

// A line of a list file holds one name: a line break or a NUL inside it would split it or cut
// the file short, and a character GBK has no code for would be written as "?".
bool fitsListFile(const QString& text) {
    for (const QChar c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return false;
    return lists::isEncodable(text);
}

QByteArray detailLine(const QByteArray& major, const QByteArray& minor) {
    return major + '-' + minor;
}

bool validRow(int row, qsizetype size) {
    return row >= 0 && row < size;
}

} // namespace

CategoryEditor::CategoryEditor(QString programFolder, Dialogs& dialogs)
    : m_folder(std::move(programFolder)), m_dialogs(dialogs) {}

QStringList CategoryEditor::majorTexts() const {
    return lists::decodeAll(m_majors);
}

QStringList CategoryEditor::minorTexts() const {
    return lists::decodeAll(m_minors);
}

QByteArray CategoryEditor::majorSelection() const {
    return validRow(m_majorRow, m_majors.size()) ? m_majors.at(m_majorRow) : QByteArray();
}

QByteArray CategoryEditor::minorSelection() const {
    return validRow(m_minorRow, m_minors.size()) ? m_minors.at(m_minorRow) : QByteArray();
}

void CategoryEditor::fillMajors() {
    // Read first: when the file cannot be read, the list keeps what it had.
    QList<QByteArray> read = lists::readList(m_folder, lists::majorFile(m_direction));
    m_majors = std::move(read);
    m_majorRow = -1;
}

void CategoryEditor::chooseDirection(lists::Direction direction) {
    if (direction == m_direction)
        return;
    m_direction = direction;
    m_majorRow = -1;
    try {
        fillMajors();
    } catch (const AppError&) {
        m_majors.clear();
        throw;
    }
}

void CategoryEditor::selectMajor(int row) {
    m_majorRow = validRow(row, m_majors.size()) ? row : -1;
    m_minors.clear();
    m_minorRow = -1;
    const QByteArray major = majorSelection();
    if (!major.isEmpty())
        m_minors = lists::minorCategories(m_folder, m_direction, major);
}

void CategoryEditor::selectMinor(int row) {
    m_minorRow = validRow(row, m_minors.size()) ? row : -1;
}

std::optional<QByteArray> CategoryEditor::askName(const QByteArray& current,
                                                  bool cancelEnds) const {
    const QString initial = lists::decode(current);
    const std::optional<QString> typed = m_dialogs.input(kCaption, kPrompt, initial);
    if (!typed && cancelEnds)
        return std::nullopt;
    const QString text = typed.value_or(initial);
    // The entry's own bytes when the text is unchanged: bytes that are not GBK stay as read.
    if (text == initial)
        return current;
    if (!fitsListFile(text))
        throw AppError(QStringLiteral("'%1' 不能写入列表文件").arg(text));
    return lists::encode(text);
}

void CategoryEditor::writeMajors() {
    lists::writeList(m_folder, lists::majorFile(m_direction), m_majors);
}

void CategoryEditor::add() {
    const QByteArray major = majorSelection();
    const QByteArray minor = minorSelection();
    const std::optional<QByteArray> name = askName(QByteArray(), true);
    if (!name || name->isEmpty())
        return;
    if (!major.isEmpty() && !minor.isEmpty()) {
        m_minors.append(*name);
        QByteArray line = detailLine(major, *name);
        // An expenditure minor category is written after a line break of its own, so an
        // empty line stands before it in a file that ended with one.
        if (m_direction == lists::Direction::Expenditure)
            line.prepend("\r\n");
        lists::appendDetail(m_folder, m_direction, line);
        return;
    }
    m_majors.append(*name);
    writeMajors();
    lists::appendDetail(m_folder, m_direction,
                         detailLine(*name, lists::encode(QStringLiteral("新项目"))));
}

void CategoryEditor::rename() {
    const QByteArray major = majorSelection();
    if (major.isEmpty())
        return;
    const QByteArray minor = minorSelection();
    if (!minor.isEmpty()) {
        const QByteArray name = *askName(minor, false);
        // The new line goes to the end of the file, even with the name unchanged.
        lists::replaceDetail(m_folder, m_direction, detailLine(major, minor),
                              detailLine(major, name));
        m_minors.clear();
        m_minorRow = -1;
        m_minors = lists::minorCategories(m_folder, m_direction, major);
        return;
    }
    const QByteArray name = *askName(major, false);
    m_majors[m_majorRow] = name;
    writeMajors();
}

void CategoryEditor::remove() {
    const QByteArray major = majorSelection();
    if (major.isEmpty())
        return;
    const QByteArray minor = minorSelection();
    if (!minor.isEmpty()) {
        lists::removeDetail(m_folder, m_direction, detailLine(major, minor));
        m_minors.removeAt(m_minorRow);
        m_minorRow = -1;
        return;
    }
    m_majors.removeAt(m_majorRow);
    m_majorRow = -1;
    writeMajors();
}
