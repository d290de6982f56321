#include "lists/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace lists {
namespace {

// Each entry is converted on its own: a dangling lead byte at its end is an error, not
// something to carry into the next entry.
QStringDecoder gbkDecoder() {
    return QStringDecoder("GBK", QStringConverter::Flag::Stateless);
}

QStringEncoder gbkEncoder() {
    return QStringEncoder("GBK", QStringConverter::Flag::Stateless);
}

} // namespace

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder = gbkDecoder();
    return decoder(bytes);
}

QStringList decodeAll(const QList<QByteArray>& entries) {
    QStringList texts;
    texts.reserve(entries.size());
    for (const QByteArray& entry : entries)
        texts.append(decode(entry));
    return texts;
}

QByteArray encode(const QString& text) {
    QStringEncoder encoder = gbkEncoder();
    return encoder(text);
}

bool isEncodable(const QString& text) {
    QStringEncoder encoder = gbkEncoder();
    const QByteArray bytes = encoder(text);
    return !encoder.hasError();
}

} // namespace lists
