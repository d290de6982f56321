#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Conversion between the GBK bytes of the list files and the texts shown and typed.
// The list operations work on bytes; decode only for display and keep the original bytes
// beside the text wherever they will be written back, so a line that is not valid GBK
// survives unchanged.
namespace lists {

// The bytes read as GBK. Bytes that are not GBK show as U+FFFD.
QString decode(const QByteArray& bytes);
QStringList decodeAll(const QList<QByteArray>& entries);

// Typed text as GBK bytes. Characters that GBK cannot hold become "?".
QByteArray encode(const QString& text);

// True when GBK can hold every character of `text`.
bool isEncodable(const QString& text);

} // namespace lists
