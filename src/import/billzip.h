#pragma once

#include "import/readbill.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

// Zip archives as bills come in them: the spreadsheet an XLSX is, and the password-protected zip
// both payment apps send (AES-256 or the classic zip encryption). Read with libzip, in memory.
namespace bills {

// Whether `bytes` begin like a zip archive.
bool looksLikeZip(const QByteArray& bytes);

// A zip archive held in memory, opened for reading.
class BillZip {
public:
    // Opens the archive in `bytes`; throws AppError naming `fileName` when it is damaged.
    BillZip(const QString& fileName, const QByteArray& bytes);
    ~BillZip();
    BillZip(const BillZip&) = delete;
    BillZip& operator=(const BillZip&) = delete;

    qint64 count() const;
    // The entry's name as stored (UTF-8 when valid, else read as GBK).
    QString name(qint64 index) const;
    bool isDirectory(qint64 index) const;
    bool isEncrypted(qint64 index) const;
    // Whether libzip can undo the entry's compression and encryption.
    bool isSupported(qint64 index) const;
    // The index of the entry named exactly `name`, or -1.
    qint64 find(const QString& name) const;

    enum class Read { Ok, WrongPassword, Damaged };
    // The content of an entry, decrypted with `password` when given. WrongPassword when the
    // password does not fit (checked by the archive's verifier or, after reading, by its
    // checksum); Damaged with `why` when the entry cannot be read or is too large.
    Read read(qint64 index, const QByteArray* password, QByteArray* content, QString* why) const;
    // The content of an unencrypted entry; throws AppError when it cannot be read.
    QByteArray read(qint64 index) const;

    const QString& fileName() const { return m_fileName; }

private:
    struct Archive;
    QString m_fileName;
    QByteArray m_bytes;
    std::unique_ptr<Archive> m_archive;
};

// The largest entry read from a zip: far above any bill, far below what would exhaust memory.
inline constexpr qint64 maxZipEntryBytes = 256 * 1024 * 1024;

// The bill file inside a zip as delivered: the one entry that is a bill file (.csv, .xlsx, .xls,
// .ofx, .qif, .txt, or the only file), decrypted with the password asked through `prompt` (asked
// again with again=true while it is wrong). Throws ImportCancelled when the prompt is cancelled,
// AppError when the zip holds no such file or several, or cannot be read.
struct ZippedBill {
    QString name;
    QByteArray bytes;
};
ZippedBill unpackBillZip(const BillZip& zip, const PasswordPrompt& prompt);

} // namespace bills
