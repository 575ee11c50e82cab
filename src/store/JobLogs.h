#pragma once

#include "store/LogSink.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <memory>

class MediaVideo;

// The encoder output of one job run, written as it comes into one file of the "logs" folder.
//
// A log is capped: past the limit it keeps its first quarter (ffmpeg's version, the inputs and the
// stream mapping, which tell what was asked) and its newest lines (where the error and the summary
// are), with one line saying how much was left out between them. The newest lines are held in memory
// and written out every 64 KiB and on close(), so the file never grows past the cap while a long
// encode prints progress for hours. A log that cannot be written does nothing: logging never stops a
// run.
//
// Copies share one file; the last copy to go closes it. Every call is safe from any thread.
class JobLog
{
public:
    JobLog() = default; // not open

    bool isOpen() const;
    QString path() const;

    // Adds one line; the newline is added here.
    void append(const QByteArray &line);
    void append(const QString &line);
    // Writes what is held back and closes the file; later appends do nothing.
    void close();

private:
    friend class JobLogs;
    struct State;
    std::shared_ptr<State> m_state;
};

// The job logs of a data folder: "logs/<UTC time>_<job id>_<source name>.log", one file per run, the
// newest `maxFiles` kept. The source name is reduced to letters, digits, '-', '_' and '.', so no name a
// user gives can reach outside the folder or hide control characters in it. Only files named this way
// are ever removed.
class JobLogs
{
public:
    static constexpr qint64 DefaultMaxBytes = 1024 * 1024;
    static constexpr int DefaultMaxFiles = 200;

    explicit JobLogs(QString directory, qint64 maxBytes = DefaultMaxBytes, int maxFiles = DefaultMaxFiles);

    QString folder() const; // directory/logs

    // A new log for a run of `job`; the oldest logs past the limit are removed. When the file cannot
    // be created the log is not open and `error`, if given, says why.
    JobLog open(const MediaVideo &job, QString *error = nullptr) const;
    // The newest log of the job, or empty when it has none.
    QString latestFor(const QUuid &job) const;
    // What gives the encoder a log of these for each job it runs.
    LogOpener opener() const;
    // The data folder's logs: ~/.local/share/Tavrix/logs.
    static JobLogs standard();

private:
    void removeOldest(const QString &keep) const;

    QString m_directory;
    qint64 m_maxBytes;
    int m_maxFiles;
};
