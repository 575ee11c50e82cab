#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// Decodes a tool's output as it arrives in arbitrary pieces. A multi-byte character split between two
// pieces is completed by the next one; a piece that holds bytes that are not UTF-8 decodes as empty text.
class ChunkDecoder
{
public:
    QString decode(const QByteArray &bytes);

private:
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};
