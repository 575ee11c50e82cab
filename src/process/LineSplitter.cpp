#include "process/LineSplitter.h"

#include <QStringDecoder>

QList<QByteArray> LineSplitter::push(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    m_pending += bytes;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const char c = m_pending[i];
        if (c == '\n' || c == '\r' || i - begin >= MaxLine) {
            if (i > begin)
                lines << m_pending.mid(begin, i - begin);
            begin = (c == '\n' || c == '\r') ? i + 1 : i;
        }
    }
    m_pending.remove(0, begin);
    return lines;
}

QList<QByteArray> LineSplitter::flush()
{
    QList<QByteArray> lines;
    if (!m_pending.isEmpty())
        lines << m_pending;
    m_pending.clear();
    return lines;
}

QString decodeLine(const QByteArray &line)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(line);
    if (decoder.hasError())
        return {};
    return text;
}
