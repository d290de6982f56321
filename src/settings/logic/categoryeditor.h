#pragma once

#include "lists/listfiles.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

class Dialogs;

// The category editor of the settings window without its widgets: the direction, the major
// list (a working copy of the direction's major-category file), the minor list (a view of the
// selected major category's detail lines), the two selections, and 新增/修改/删除 on the list
// files. Entries are kept as the files' GBK bytes; typed names are encoded when written.
// Every operation may throw AppError (a list-file error); it then stops at the failing step
// and what it did before stays done. The page shows majorTexts()/minorTexts() and the two
// selected rows again after every call, failed or not.
class CategoryEditor {
public:
    // Starts in the income direction with both lists empty; call fillMajors() when the page
    // is first shown.
    CategoryEditor(QString programFolder, Dialogs& dialogs);

    lists::Direction direction() const { return m_direction; }
    const QList<QByteArray>& majors() const { return m_majors; }
    const QList<QByteArray>& minors() const { return m_minors; }
    QStringList majorTexts() const;
    QStringList minorTexts() const;
    // The selected rows, -1 when none.
    int majorRow() const { return m_majorRow; }
    int minorRow() const { return m_minorRow; }
    // The selected entries' bytes; empty when nothing is selected or the entry is empty.
    QByteArray majorSelection() const;
    QByteArray minorSelection() const;

    // The page is shown (the window's opening included): the major list is read afresh from
    // the direction's file and nothing in it is selected; the minor list stays. When the file
    // cannot be read the list keeps its entries.
    void fillMajors();
    // An option button is chosen. The same direction again does nothing. Another direction
    // fills the major list from its file; when that file cannot be read the list is emptied
    // (never left showing the other direction's names, which a later write would put into
    // this direction's file).
    void chooseDirection(lists::Direction direction);
    // The user selects row `row` of the major list (-1 or out of range: none). The minor list
    // is emptied, then filled with the selected major category's minor categories.
    void selectMajor(int row);
    // The user selects row `row` of the minor list (-1 or out of range: none).
    void selectMinor(int row);

    // 新增: with a major and a minor selection, a minor category under that major; otherwise
    // a major category, which starts with the minor category "新项目". Asks for the name;
    // Cancel or an empty name ends the command.
    void add();
    // 修改: renames the selected minor category, or the selected major category when no minor
    // one is selected; nothing without a major selection. Cancel keeps the current name, and
    // the rename goes on with it.
    void rename();
    // 删除, without a question: the selected minor category (every equal line of the file,
    // one entry of the list), or the selected major category when no minor one is selected;
    // nothing without a major selection.
    void remove();

private:
    // Asks for a name with `current` as the initial text. Cancel gives back the initial text
    // (or nothing, when `cancelEnds`); an unchanged text gives `current` byte for byte. A new
    // name with a line break, a NUL or a character GBK cannot hold is refused (AppError)
    // before anything changes.
    std::optional<QByteArray> askName(const QByteArray& current, bool cancelEnds) const;
    void writeMajors();

    QString m_folder;
    Dialogs& m_dialogs;
    lists::Direction m_direction = lists::Direction::Income;
    QList<QByteArray> m_majors;
    QList<QByteArray> m_minors;
    int m_majorRow = -1;
    int m_minorRow = -1;
};
