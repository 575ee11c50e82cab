#pragma once

#include "model/JobResult.h"

#include <QString>
#include <QStringList>

#include <optional>

// How a job went, judged from the facts gathered once its encoder has ended: how the process ended,
// what it said last, what became of its output and what reading that output back found. No processes,
// no files: the facts are gathered by the run.

// The last lines of the encoder's output; a run of progress lines keeps only its latest. Long enough
// that the error stays in it behind the statistics the encoders print when they close.
class OutputTail
{
public:
    void add(const QString &line);

    const QStringList &lines() const { return m_lines; }
    // The first line saying that an encoder went on without one of its options; empty for none.
    const QString &ignoredOption() const { return m_ignoredOption; }
    // Its end, for the user to read.
    QString text() const;

private:
    static constexpr int MaxLines = 64;
    static constexpr int ShownLines = 20;
    QStringList m_lines;
    QString m_ignoredOption;
};

// How one encoder process went.
struct ProcessOutcome
{
    enum class Kind { Exited, Crashed, FailedToStart, Stopped, NotStarted };
    Kind kind = Kind::NotStarted;
    int exitCode = 0; // the signal number for Crashed
    QString error;
    OutputTail tail;
    std::optional<double> sourceSeconds; // the first input's length as ffmpeg read it, else as probed
};

// Whether ffmpeg could open a finished output and found a stream in it.
struct ReadBackFacts
{
    enum class Kind { Readable, Unreadable, Stopped };
    Kind kind = Kind::Unreadable;
    ResultReason problem;          // for Unreadable: ffmpeg's line saying why, or a sentence of ours
    std::optional<double> seconds; // for Readable: how long the file lasts, when ffmpeg tells
};

struct JobFacts
{
    ProcessOutcome process;
    QString shownName;                     // the output's name, as the user knows it
    QString folder;                        // where the job's folder was made
    bool folderInPlace = true;             // the job's folder is still where it was made
    bool outputWritten = false;            // ffmpeg left a nonempty file of ours in it
    std::optional<ReadBackFacts> readBack; // asked only when readBackNeeded()
    QStringList parameterWords; // the run's and the job's extra parameters, which may ask for a part
    QString host;               // where GNU parallel ran it (":" here); empty without it
};

// Everything short of the read-back speaks for success: only reading the output back can judge now.
bool readBackNeeded(const JobFacts &facts);
// For a run that keeps only outputs no larger than their source: a kept result whose output is larger
// becomes Not run, saying by how much (the output is then removed).
void judgeSize(JobResult &result, qint64 outputBytes, qint64 sourceBytes);
// The job's result: status, exit code, reason and the encoder's last lines (not the file written).
JobResult judgeJob(const JobFacts &facts);
// What a job stopped by the user says.
ResultReason stoppedReason();
