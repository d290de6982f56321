#pragma once

#include "data/bookslocation.h"

#include <QString>

// The login password as the books keep it: a salted Argon2id hash in libsodium's encoded form
// ("$argon2id$..."). Books written before hashing, or by hand, may hold the password in clear;
// such a value is still compared exactly as it stands.
namespace password {

// The encoded Argon2id hash of `clear` (its UTF-8 bytes), made with libsodium's interactive
// limits and a fresh salt. Throws AppError when it cannot be made (out of memory).
QString hash(const QString& clear);

// True when `stored` is an encoded hash that libsodium can verify against.
bool isHash(const QString& stored);

// Whether `entered` is the password that `stored` stands for: verified through the hash when
// `stored` is one, otherwise compared with it exactly and case-sensitively. Costs one
// memory-hard hash in the first case, so callers check an entry once and keep the answer.
bool matches(const QString& stored, const QString& entered);

// Stores the hash of `clear` as the password of user 1, the row start-up reads: one update
// with the hash as a bound value, so any text is kept exactly. Books whose user table lacks
// that row get it. Throws AppError with the data layer's text.
void store(const BooksLocation& books, const QString& clear);

} // namespace password
