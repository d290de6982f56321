#pragma once

#include <QIODevice>
#include <QString>
#include <sys/types.h>

// The system calls a replacement makes to put its bytes on disk, replaceable so that tests can
// play a full disk or a failing sync.
struct FileCalls {
    ssize_t (*write)(int fd, const void* bytes, size_t size) = nullptr; // nullptr: ::write
    int (*fsync)(int fd) = nullptr;                                     // nullptr: ::fsync
};

// Replaces a file with new contents in one step: the bytes go to a temporary file
// "<name>.new-XXXXXX" beside the file, which replaces the old one only once every write succeeded,
// the bytes are synced to disk and the file holds exactly what was written. Any failure leaves
// the old file as it was and no temporary file. A symbolic link is followed and its target
// replaced, but only when that target is a regular file (or does not exist yet); a device,
// FIFO, socket or directory is refused without being opened.
class AtomicFile : public QIODevice {
    Q_OBJECT
public:
    enum class Permissions {
        OwnerOnly,    // the file ends up owner-only (0600), whatever it was before
        KeepExisting, // an existing file keeps its mode; a new one is owner-only
    };
    // Which step failed.
    enum class Failure { None, Open, Write };

    AtomicFile(QString path, Permissions permissions, FileCalls calls = {});
    ~AtomicFile() override; // an uncommitted temporary file is removed

    // Opens for writing (only QIODevice::WriteOnly is accepted).
    bool open(OpenMode mode = WriteOnly) override;
    // Puts the new contents in place; false (with errorString()) leaves the old file.
    bool commit();
    // Drops what was written; the old file stays.
    void cancelWriting();

    Failure failure() const { return m_failure; }
    // errno of the failing step (EIO when the system gave none).
    int error() const { return m_error; }
    // The file that is replaced: the path given, or the regular file a link leads to.
    const QString& targetPath() const { return m_target; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool putInPlace();
    bool fail(Failure failure, int error, const QString& text = {});
    void discard();

    QString m_path;
    QString m_target;
    QString m_temporary;
    Permissions m_permissions;
    FileCalls m_calls;
    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0; // bytes whose write-back has been started
    mode_t m_finalMode = 0600;
    Failure m_failure = Failure::None;
    int m_error = 0;
};
