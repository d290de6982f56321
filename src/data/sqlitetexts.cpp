#include "data/sqlitetexts.h"

#include <iterator>

namespace sqlitetexts {
namespace {

struct Explanation {
    const char* english;
    const char16_t* chinese;
};

// Longer texts first where one contains another.
constexpr Explanation kExplanations[] = {
    {"database table is locked", u"账本的这张表正被另一个程序使用，请稍后再试。"},
    {"database is locked", u"账本正被另一个程序使用，请稍后再试。"},
    {"database or disk is full", u"磁盘已满，账本没有写入，请腾出磁盘空间后再试。"},
    {"disk I/O error", u"读写账本文件时出错（磁盘已满、磁盘故障或没有权限），账本没有写入。"},
    {"attempt to write a readonly database", u"账本是只读的，不能写入。"},
    {"unable to open database file", u"无法打开账本文件（文件或文件夹不存在，或者没有权限）。"},
};

} // namespace

QString explained(const QString& text) {
    for (const Explanation& e : kExplanations) {
        if (!text.contains(QLatin1String(e.english)))
            continue;
        const QString sentence = QString::fromUtf16(e.chinese);
        if (text.startsWith(sentence))
            return text;
        return sentence + text;
    }
    return text;
}

} // namespace sqlitetexts
