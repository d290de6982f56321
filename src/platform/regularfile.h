#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reading files that the user may have replaced by something else: a FIFO would block an
// ordinary open forever, a device would be read or written as if it were a file.
namespace regularfile {

enum class Kind { Missing, Regular, Other };

// What `path` is, following symbolic links, found without opening it. For Other, `reason`
// names what it is instead ("是一个设备文件，不是普通文件" and the like; the system's
// "Is a directory" for a folder); for a failing look-up
// it receives the system's reason and the result is Other.
Kind kindOf(const QString& path, QString* reason = nullptr);

// The whole of the regular file at `path`, read without ever blocking on it (it is opened
// non-blocking and its type checked on what was opened). nullopt with `reason` when it is
// missing, not a regular file or cannot be read; `missing` tells the first case apart.
std::optional<QByteArray> read(const QString& path, QString* reason = nullptr,
                               bool* missing = nullptr);

} // namespace regularfile
