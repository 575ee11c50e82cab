#pragma once

#include "process/ToolProcess.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class MediaVideo;
class ToolRunner;
enum class VideoEncoders;

// Which encoders the installed ffmpeg can really use here. Having an encoder compiled in says little for
// the hardware ones (no card, no driver, no device node), so each is tried on one small frame. Until an
// encoder's check has answered it counts as available.
//
// One catalog belongs to a session; it may be read and written from any thread.
class EncoderCatalog : public QObject
{
    Q_OBJECT
public:
    enum class Status { Unknown, Available, Unavailable };

    // What one check found.
    struct Check
    {
        QString encoder;
        bool available = false;
        QString reason;    // why not, as ffmpeg said it ("Cannot load libcuda.so.1")
        bool ended = true; // false when the check was stopped before it could tell
    };

    // `cacheFile` keeps the answers for one ffmpeg binary between runs; empty text keeps none.
    explicit EncoderCatalog(QString cacheFile = defaultCacheFile(), QObject *parent = nullptr);

    static QString defaultCacheFile();
    const QString &cacheFile() const { return m_cacheFile; }

    // Every encoder a job can name and that needs a check: the video encoders, then the audio ones
    // ("copy" needs none).
    static QStringList checkedEncoders();
    // The render nodes of this machine (/dev/dri/renderD*), in order.
    static QStringList renderNodes();
    // The render node VAAPI encoders use: the user's choice (a front end reads it from the store), or,
    // when that is empty, the first node; empty when there is none.
    void setVaapiChoice(const QString &device);
    QString vaapiDevice() const;

    // ffmpeg's arguments for the one-frame test of `encoder`, with the device options it needs.
    static QStringList testArguments(const QString &encoder, const QString &vaapiDevice);
    // The line of a failed test that says why: the first error line, without its "[h264_nvenc @ 0x..] ".
    static QString failureReason(const QStringList &lines);
    // Runs the test of `encoder` (a child process: not on the user interface thread).
    static Check check(const QString &encoder, const ToolRunner &tools, const QString &vaapiDevice);

    // Finds out about every encoder: from the cache when it was written for this very ffmpeg binary
    // (path, size and modification time) and VAAPI device, else by one check each, handed to `place`
    // (which may run it on another thread, side by side with the others). `done` is called once every
    // answer is in, on the thread of the last check. Returns false when ffmpeg cannot be found.
    using Placer = std::function<void(std::function<void()> task)>;
    bool checkAll(const ToolRunner &tools, const Placer &place, std::function<void()> done = {});
    // Takes the cached answers when they fit the installed ffmpeg; nothing is run.
    bool loadCache(const ToolRunner &tools);

    void setResult(const Check &result);
    // Forgets every answer: every encoder counts as available again.
    void reset();
    // Every checked encoder has an answer.
    bool isKnown() const;
    Status status(const QString &encoder) const;
    bool isAvailable(const QString &encoder) const;
    // Empty unless the encoder's check failed.
    QString unavailableReason(const QString &encoder) const;
    // Whether pickers offer the encoder: Apple's encoders only where this ffmpeg can use them.
    bool isOffered(VideoEncoders encoder) const;

    // The help tip of a picker entry whose encoder cannot be used.
    static QString unavailableTip(const QString &encoder, const QString &reason);
    // One line for the job list when the job uses an encoder that cannot be used; else empty.
    QString jobWarning(const MediaVideo &job) const;

signals:
    // An answer arrived or the answers were forgotten; sent from the thread that changed them.
    void changed();

private:
    struct Binary
    {
        QString path;
        qint64 size = -1;
        qint64 modified = -1;
        QString vaapiDevice;
    };
    std::optional<Binary> binaryOf(const ToolRunner &tools) const;
    bool readCache(const Binary &binary);
    void writeCache(const Binary &binary) const;

    QString m_cacheFile;
    QString m_vaapiChoice;
    mutable QMutex m_mutex;
    QHash<QString, Check> m_results;
};
