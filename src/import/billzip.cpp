#include "import/billzip.h"

#include "import/billtext.h"
#include "platform/apperror.h"

#include <QFileInfo>
#include <QStringList>
#include <zip.h>

namespace bills {

bool looksLikeZip(const QByteArray& bytes) {
    // A local file header, or the end record of an empty archive.
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06");
}

struct BillZip::Archive {
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip)
            zip_discard(zip);
    }
};

BillZip::BillZip(const QString& fileName, const QByteArray& bytes)
    : m_fileName(fileName), m_bytes(bytes), m_archive(std::make_unique<Archive>()) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source)
        m_archive->zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!m_archive->zip) {
        if (source)
            zip_source_free(source);
        throw AppError(QStringLiteral("'%1' 是损坏的压缩包，无法打开。").arg(fileName));
    }
}

BillZip::~BillZip() = default;

qint64 BillZip::count() const {
    return zip_get_num_entries(m_archive->zip, 0);
}

QString BillZip::name(qint64 index) const {
    const char* raw = zip_get_name(m_archive->zip, zip_uint64_t(index), ZIP_FL_ENC_RAW);
    return raw ? decodeBillText(QByteArray(raw)) : QString();
}

bool BillZip::isDirectory(qint64 index) const {
    return name(index).endsWith(u'/');
}

bool BillZip::isEncrypted(qint64 index) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive->zip, zip_uint64_t(index), 0, &stat) != 0)
        return false;
    return (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
}

bool BillZip::isSupported(qint64 index) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive->zip, zip_uint64_t(index), 0, &stat) != 0)
        return false;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE &&
        !zip_encryption_method_supported(stat.encryption_method, 0))
        return false;
    return !(stat.valid & ZIP_STAT_COMP_METHOD) ||
           zip_compression_method_supported(stat.comp_method, 0);
}

qint64 BillZip::find(const QString& name) const {
    return zip_name_locate(m_archive->zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
}

BillZip::Read BillZip::read(qint64 index, const QByteArray* password, QByteArray* content,
                            QString* why) const {
    const QString entry = name(index);
    const auto damaged = [&](const QString& reason) {
        if (why)
            *why = QStringLiteral("'%1' 已损坏：其中的 '%2' %3。").arg(m_fileName, entry, reason);
        return Read::Damaged;
    };
    const bool encrypted = isEncrypted(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive->zip, zip_uint64_t(index), 0, &stat) != 0)
        return damaged(QStringLiteral("无法解压"));
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(maxZipEntryBytes))
        return damaged(QStringLiteral("过大，无法读取"));
    // Methods libzip cannot undo are refused before opening the entry (opening one fails, and
    // leaks in this libzip).
    if (!isSupported(index))
        return damaged(QStringLiteral("使用了不支持的压缩或加密方式"));
    // libzip refuses an empty password as an invalid argument: for the user it is a wrong one.
    if (encrypted && (!password || password->isEmpty()))
        return Read::WrongPassword;

    zip_file_t* file = password ? zip_fopen_index_encrypted(m_archive->zip, zip_uint64_t(index), 0,
                                                            password->constData())
                                : zip_fopen_index(m_archive->zip, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_archive->zip));
        zip_error_clear(m_archive->zip);
        if (code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD)
            return Read::WrongPassword;
        if (code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_COMPNOTSUPP)
            return damaged(QStringLiteral("使用了不支持的压缩或加密方式"));
        return damaged(QStringLiteral("无法解压"));
    }
    QByteArray data;
    char buffer[65536];
    Read result = Read::Ok;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            const int code = zip_error_code_zip(zip_file_get_error(file));
            // With a wrong password that passed the one- or two-byte verifier, the content
            // decrypts to noise: the checksum or the inflating fails.
            if (encrypted &&
                (code == ZIP_ER_CRC || code == ZIP_ER_ZLIB || code == ZIP_ER_COMPRESSED_DATA))
                result = Read::WrongPassword;
            else
                result = damaged(QStringLiteral("无法解压"));
            break;
        }
        if (data.size() + n > maxZipEntryBytes) {
            result = damaged(QStringLiteral("过大，无法读取"));
            break;
        }
        data.append(buffer, qsizetype(n));
    }
    zip_fclose(file);
    if (result == Read::Ok && content)
        *content = data;
    return result;
}

QByteArray BillZip::read(qint64 index) const {
    QByteArray content;
    QString why;
    switch (read(index, nullptr, &content, &why)) {
    case Read::Ok:
        return content;
    case Read::WrongPassword:
        throw AppError(
            QStringLiteral("'%1' 中的 '%2' 有密码保护，无法读取。").arg(m_fileName, name(index)));
    case Read::Damaged:
        break;
    }
    throw AppError(why);
}

namespace {

bool isBillFileName(const QString& name) {
    static const QStringList suffixes{QStringLiteral("csv"), QStringLiteral("xlsx"),
                                      QStringLiteral("xls"), QStringLiteral("ofx"),
                                      QStringLiteral("qif"), QStringLiteral("txt")};
    return suffixes.contains(QFileInfo(name).suffix().toLower());
}

// Entries that are files of their own: not folders, not the resource copies and hidden files
// some systems add when they pack a folder.
bool isPlainFile(const QString& name) {
    return !name.endsWith(u'/') && !name.startsWith(u"__MACOSX/") &&
           !QFileInfo(name).fileName().startsWith(u'.');
}

} // namespace

ZippedBill unpackBillZip(const BillZip& zip, const PasswordPrompt& prompt) {
    QList<qint64> files, bills;
    for (qint64 i = 0; i < zip.count(); ++i) {
        const QString name = zip.name(i);
        if (!isPlainFile(name))
            continue;
        files << i;
        if (isBillFileName(name))
            bills << i;
    }
    if (bills.isEmpty() && files.size() == 1)
        bills = files;
    if (bills.isEmpty())
        throw AppError(QStringLiteral("'%1' 中没有账单文件。").arg(zip.fileName()));
    if (bills.size() > 1) {
        QStringList names;
        for (qint64 i : bills)
            names << zip.name(i);
        throw AppError(QStringLiteral("'%1' 中有 %2 个账单文件（%3），请解压后逐个导入。")
                           .arg(zip.fileName())
                           .arg(bills.size())
                           .arg(names.join(QStringLiteral("、"))));
    }
    const qint64 index = bills.first();
    ZippedBill bill;
    bill.name = QFileInfo(zip.name(index)).fileName();
    if (!zip.isEncrypted(index) || !zip.isSupported(index)) {
        bill.bytes = zip.read(index);
        return bill;
    }
    if (!prompt)
        throw AppError(
            QStringLiteral("'%1' 有密码保护，需要输入密码才能读取。").arg(zip.fileName()));
    bool again = false;
    for (;;) {
        const std::optional<QString> password = prompt(zip.fileName(), again);
        if (!password)
            throw ImportCancelled();
        const QByteArray utf8 = password->toUtf8();
        QString why;
        switch (zip.read(index, &utf8, &bill.bytes, &why)) {
        case BillZip::Read::Ok:
            return bill;
        case BillZip::Read::WrongPassword:
            again = true;
            continue;
        case BillZip::Read::Damaged:
            throw AppError(why);
        }
    }
}

} // namespace bills
