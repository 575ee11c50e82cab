#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Cuts a tool's output, arriving in arbitrary pieces, into lines ended by "\r" or "\n" (ffmpeg ends its
// progress lines with "\r"). Empty lines are dropped.
class LineSplitter
{
public:
    QList<QByteArray> push(const QByteArray &bytes);
    // The unfinished rest, once the tool has ended.
    QList<QByteArray> flush();

    // A line longer than this is cut, so output without line ends cannot grow without bound.
    static constexpr qsizetype MaxLine = 64 * 1024;

private:
    QByteArray m_pending;
};

// A complete line decoded as UTF-8; bytes that are not UTF-8 give empty text.
QString decodeLine(const QByteArray &line);
