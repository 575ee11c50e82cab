#include "tools/ChunkDecoder.h"

QString ChunkDecoder::decode(const QByteArray &bytes)
{
    QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError()) {
        m_decoder = QStringDecoder(QStringDecoder::Utf8);
        return {};
    }
    return text;
}
