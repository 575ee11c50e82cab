#pragma once

#include <QMutex>
#include <QSet>
#include <QString>

class MediaVideo;
class ToolRunner;

// Which encoders the installed ffmpeg has. Until the list is known every encoder counts as available.
// Safe to use from any thread.
class EncoderCatalog
{
public:
    static EncoderCatalog &instance();

    // The encoder names from the output of `ffmpeg -hide_banner -encoders`.
    static QSet<QString> parseEncoderList(const QString &ffmpegOutput);

    // Asks the installed ffmpeg (runs it: call off the user interface thread). False when it could not.
    bool refresh(const ToolRunner &tools);
    void setAvailable(const QSet<QString> &names);
    // Forgets the list: every encoder counts as available again.
    void reset();
    bool isKnown() const;
    bool isAvailable(const QString &encoder) const;

    // The help tip of a picker entry whose encoder the installed ffmpeg lacks.
    static QString unavailableTip(const QString &encoder);

    // One line for the job list when the job uses an encoder the installed ffmpeg lacks; else empty.
    QString jobWarning(const MediaVideo &job) const;

private:
    mutable QMutex m_mutex;
    QSet<QString> m_available;
    bool m_known = false;
};
