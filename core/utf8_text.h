#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace hv::text {

// Stored text decoded exactly as it was written. QString::fromUtf8 takes a
// leading U+FEFF for a byte-order mark and drops it; here it is a character
// of the text like any other, so a value read and written back keeps it.
inline QString textFromUtf8(const char* bytes, qsizetype size)
{
    if (!bytes || size <= 0)
        return QString();
    if (size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF') {
        QStringDecoder exact(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return exact(QByteArrayView(bytes, size));
    }
    return QString::fromUtf8(bytes, size);
}

}  // namespace hv::text
