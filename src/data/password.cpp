#include "data/password.h"

#include "data/querydataset.h"
#include "platform/apperror.h"

#include <sodium.h>

namespace password {
namespace {

bool sodiumReady() {
    static const int state = sodium_init();
    return state >= 0;
}

} // namespace

QString hash(const QString& clear) {
    if (!sodiumReady())
        throw AppError(QStringLiteral("The password library cannot be initialised"));
    const QByteArray bytes = clear.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, bytes.constData(), quint64(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw AppError(QStringLiteral("Out of memory"));
    return QString::fromLatin1(out);
}

bool isHash(const QString& stored) {
    if (!stored.startsWith(QLatin1String("$argon2")) || !sodiumReady())
        return false;
    const QByteArray encoded = stored.toLatin1();
    if (encoded.size() >= crypto_pwhash_STRBYTES || QString::fromLatin1(encoded) != stored)
        return false;
    // -1: not a string that the library can parse as one of its hashes. 0 or 1: a hash, with
    // today's limits or other ones.
    return crypto_pwhash_str_needs_rehash(encoded.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE) >= 0;
}

bool matches(const QString& stored, const QString& entered) {
    if (!isHash(stored))
        return stored == entered;
    const QByteArray encoded = stored.toLatin1();
    const QByteArray bytes = entered.toUtf8();
    return crypto_pwhash_str_verify(encoded.constData(), bytes.constData(),
                                    quint64(bytes.size())) == 0;
}

void store(const BooksLocation& books, const QString& clear) {
    const QString encoded = hash(clear);
    QueryDataset userpassword(books);
    if (userpassword.execute(QStringLiteral("update user set password=? where id=1"), {encoded}) ==
        0)
        userpassword.execute(QStringLiteral("insert into user (id, password) values (1, ?)"),
                             {encoded});
}

} // namespace password
