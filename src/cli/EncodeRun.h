#pragma once

#include "cli/CliSettings.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "session/Session.h"
#include "session/StopSignals.h"

#include <QCommandLineParser>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <csignal>

#include <optional>

// The files named by `inputs`: files as they are, the video files found at any depth in folders.
// What cannot be used is said on standard error, each line starting "tavrix-cli COMMAND: ", and sets
// `inputProblem`.
QStringList collectInputs(const QStringList &inputs, const QString &command, bool &inputProblem);

// The options of every command that converts: --verbose, --notify and --jobs, and --hosts with `hosts`.
void addRunOptions(QCommandLineParser &parser, bool hosts);
// The number --jobs gives, if it is given: from 1 to the cores (to many with --hosts, per host). `ok` is
// false, and why said on standard error, when it is out of range.
std::optional<int> readJobsAtOnce(const QCommandLineParser &parser, const QString &command, bool &ok);
// Reads --hosts: the hosts file's absolute path and GNU parallel's program, both empty without it. Returns
// the exit status when it cannot be used (said on standard error), nullopt to go on.
std::optional<int> readHosts(const QCommandLineParser &parser, const QString &command, QString &hosts,
                             QString &parallelProgram);

// How `encode` converts jobs, shared by every command that converts, so they all behave alike: the
// diagnostics kept off standard output, Ctrl-C, SIGTERM, SIGHUP and a closed output stopping the run, a
// progress line per job, the summary and the exit status.
class EncodeRun
{
public:
    // `command` names the command in messages ("encode", "queue run"). Without `hangupStops`, SIGHUP
    // does not stop the run: hangup() tells of it (a service rereads its settings).
    EncodeRun(QString command, bool verbose, bool hangupStops = true);
    ~EncodeRun();

    // False when the run cannot go on (signals cannot be watched, a tool is missing); it said why.
    bool ready() const { return m_ready; }
    // Whether the desktop is told, by a notification, how the run ended.
    void setNotifying(bool notifying) { m_notifying = notifying; }
    Session &session() { return m_session; }
    // What the run follows: the stored settings, read once, which the command's options may change.
    RunOptions &options() { return m_options; }
    // Whether the run says what it does itself (on unless turned off): the files import() refuses, on
    // standard error, then a progress line per job and the summary. Off, refused() tells of the first.
    void setPrinting(bool printing) { m_printing = printing; }
    // The stop signals, and SIGHUP when it does not stop.
    StopSignals &stopSignals() { return m_stopSignals; }
    // The files the last import() gave no job, each with why.
    const QList<std::pair<QString, QString>> &refused() const { return m_refused; }
    // The exit status for the stop signal received, if one was.
    std::optional<int> interrupted() const;

    // Probes the files through the session and applies `settings` to the new jobs, which it returns. A
    // file that gives no job (no video stream) is said on standard error and sets `inputProblem`.
    QList<MediaVideo::Ptr> import(const QStringList &files, const CliSettings &settings, bool &inputProblem);
    // Why `job` must not run although it was imported (a track its source does not have), or empty text.
    // run() makes such a job Not run with this reason.
    QString refusal(const MediaVideo &job) const { return m_refusals.value(job.id); }
    // Converts `jobs`, one after another, and returns the exit status: 0 only when every job succeeded
    // and there was no `inputProblem`, 128 + the number of a stop signal, else 1.
    int run(const QList<MediaVideo::Ptr> &jobs, std::optional<Preferences::ExistingOutput> existing,
            bool inputProblem);

private:
    QString prefix() const;

    QString m_command;
    bool m_hangupStops = true;
    StopSignals m_stopSignals;
    QTimer m_suspending; // waits for the encoders to be held before this program stops itself
    Session m_session;
    bool m_ready = false;
    bool m_outputClosed = false;
    bool m_notifying = false;
    bool m_printing = true;
    QHash<QUuid, QString> m_refusals; // by job
    QList<std::pair<QString, QString>> m_refused;
    std::optional<BatchEncoder::CommandBuilder> m_builder; // the encoder's own, before the refusals
    RunOptions m_options = Session::storedRunOptions();
};
