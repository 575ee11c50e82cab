#include "cli/CliSettings.h"
#include "cli/Commands.h"
#include "cli/EncodeRun.h"

#include "model/JobResult.h"
#include "rules/ShellQuote.h"
#include "store/QueueFile.h"
#include "watch/FolderWatch.h"
#include "watch/WatchRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

const QString Prefix = QStringLiteral("tavrix-cli watch: ");

// One event, one line, flushed at once: the journal of a service keeps it as it comes.
void event(const QString &line)
{
    printLine(stdout, line);
}

QString shown(const QString &path)
{
    return printableText(path);
}

// Seconds given to an option, as milliseconds; nullopt when it is not a number of at least `least`.
std::optional<qint64> readSeconds(const QCommandLineParser &parser, const QString &name, double fallback,
                                  double least)
{
    if (!parser.isSet(name))
        return qint64(fallback * 1000);
    bool ok = false;
    const double seconds = parser.value(name).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < least || seconds > 86400)
        return std::nullopt;
    return qint64(std::llround(seconds * 1000));
}

// Moves `source` into `folder` under its own name, or the first free one of "name-2.ext", "name-3.ext",
// ...: a file there is never replaced. Returns the new path, or empty text with `error` set.
QString moveInto(const QString &source, const QString &folder, QString &error)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName(), suffix = info.suffix();
    for (int n = 1; n < 1000; ++n) {
        QString name = n == 1 ? info.fileName() : QStringLiteral("%1-%2").arg(base).arg(n);
        if (n > 1 && !suffix.isEmpty())
            name += QLatin1Char('.') + suffix;
        const QString target = QDir(folder).filePath(name);
        if (::renameat2(AT_FDCWD, QFile::encodeName(source).constData(), AT_FDCWD,
                        QFile::encodeName(target).constData(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno == EEXIST)
            continue;
        if (errno != EXDEV) {
            error = QString::fromLocal8Bit(::strerror(errno));
            return {};
        }
        // Another file system: a copy under a free name, then the source goes once the copy is whole.
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        QFile file(source);
        if (!file.copy(target)) {
            error = file.errorString();
            return {};
        }
        if (QFileInfo(target).size() != info.size() || !QFile::remove(source)) {
            QFile::remove(target);
            error = tr("the copy could not be completed");
            return {};
        }
        return target;
    }
    error = tr("no free name is left");
    return {};
}

} // namespace

// Whether the source of a job may leave the watched folder for good (moved away, or deleted): the job
// succeeded, which it does only once its output was read back whole and lasts as long as its source.
// Any further condition on the output belongs here.
bool mayRemoveSource(const JobResult &result)
{
    // With the quality check on, a check that could not run keeps the source too.
    return result.status == JobResult::Status::Succeeded && result.quality.problem.isEmpty();
}

namespace {

class Watcher
{
public:
    Watcher(EncodeRun &run, const QCommandLineParser &parser, CliSettings settings)
        : m_run(run), m_parser(parser), m_settings(std::move(settings)), m_record(defaultDataFolder())
    {
    }

    QString moveDone;
    bool deleteSource = false;
    RunOptions commandLineOptions; // --jobs and --hosts over the stored options
    bool jobsGiven = false;

    QString loadRecord()
    {
        const QString message = m_record.load();
        prune();
        return message;
    }

    // Files gone for long leave the record: at the start, then once a day.
    void prune()
    {
        m_pruned.start();
        m_recordChanged |= m_record.prune(QDateTime::currentMSecsSinceEpoch());
        saveRecord();
    }

    // The stored run options with the command line's over them.
    void applyOptions()
    {
        RunOptions options = Session::storedRunOptions();
        if (jobsGiven || !commandLineOptions.hostsFile.isEmpty())
            options.simultaneousJobs = commandLineOptions.simultaneousJobs;
        options.hostsFile = commandLineOptions.hostsFile;
        options.parallelProgram = commandLineOptions.parallelProgram;
        if (m_settings.keepLarger)
            options.keepLarger = *m_settings.keepLarger;
        options.skipSameFormat = m_settings.skipSameFormat;
        m_run.options() = options;
    }

    // Reads the settings again: the stored ones, the preset named, the run's options.
    void reread()
    {
        QString error;
        const std::optional<CliSettings> settings = readSettings(m_parser, error);
        if (!settings) {
            event(tr("settings kept: %1").arg(printableText(error)));
            return;
        }
        m_settings = *settings;
        applyOptions();
        event(tr("settings reread"));
    }

    // Converts what of `files` the record does not hold; the exit status of encode.
    int convert(const QStringList &files, bool inputProblem)
    {
        QStringList taken;
        QHash<QString, RecordedFile> takenFiles;
        for (const QString &path : files) {
            const std::optional<WatchRecord::Found> found = m_record.lookUp(path);
            if (!found) {
                // Gone since it was complete, or unreadable.
                if (QFileInfo::exists(path))
                    event(tr("skipped: %1: it cannot be read").arg(shown(path)));
                continue;
            }
            if (found->kind == RecordMatch::Kind::New) {
                event(tr("taken: %1").arg(shown(path)));
                taken << path;
                takenFiles.insert(path, found->now);
                continue;
            }
            m_recordChanged |= found->changed;
            const RecordedFile &before = found->before;
            const QString why = before.outcome == QLatin1String("output")    ? tr("written by this watcher")
                                : before.outcome == QLatin1String("refused") ? tr("refused before")
                                                                             : tr("converted before");
            if (before.path == path)
                event(tr("skipped: %1: %2").arg(shown(path), why));
            else
                event(tr("skipped: %1: %2, as “%3”").arg(shown(path), why, shown(before.path)));
        }
        saveRecord();
        if (m_pruned.hasExpired(qint64(24) * 3600 * 1000))
            prune();
        if (taken.isEmpty())
            return inputProblem ? ExitFailure : ExitOk;

        const QList<MediaVideo::Ptr> jobs = m_run.import(taken, m_settings, inputProblem);
        for (const auto &[source, reason] : m_run.refused()) {
            event(tr("refused: %1: %2").arg(shown(source), printableText(reason)));
            if (takenFiles.contains(source))
                record(takenFiles.value(source), QStringLiteral("refused"));
        }
        saveRecord();
        if (const std::optional<int> status = m_run.interrupted())
            return *status;
        const int status = m_run.run(jobs, m_settings.existing, inputProblem);
        for (const MediaVideo::Ptr &job : jobs)
            finished(*job, takenFiles.value(job->source));
        m_run.session().jobs()->clear();
        saveRecord();
        return status;
    }

private:
    void record(const RecordedFile &file, const QString &outcome, const QString &output = {})
    {
        m_recordChanged |= m_record.record(file, outcome, output);
    }

    void saveRecord()
    {
        if (!m_recordChanged)
            return;
        m_recordChanged = false;
        if (const QString error = m_record.save(); !error.isEmpty())
            printLine(stderr, Prefix + printableText(error));
    }

    void finished(const MediaVideo &job, RecordedFile source)
    {
        const JobResult &r = job.result;
        if (source.path.isEmpty())
            source.path = job.source;
        const QString reason = printableText(r.reasonText());
        switch (r.status) {
        case JobResult::Status::Succeeded:
        case JobResult::Status::Incomplete: {
            const QString output = r.writtenPath.isEmpty() ? job.destination : r.writtenPath;
            event(r.status == JobResult::Status::Succeeded
                      ? tr("converted: %1 -> %2").arg(shown(source.path), shown(output))
                      : tr("converted: %1 -> %2 (incomplete: %3)")
                            .arg(shown(source.path), shown(output), reason));
            record(source, QStringLiteral("converted"), output);
            record({output, 0, 0, {}, {}, {}}, QStringLiteral("output"));
            afterwards(source.path, r);
            break;
        }
        case JobResult::Status::Failed:
            // Not recorded: a restart tries it again.
            event(tr("failed: %1: %2").arg(shown(source.path), reason));
            break;
        case JobResult::Status::NotRun: {
            const auto kind = r.reason.isEmpty() ? ResultReason::Kind::Text : r.reason.first().kind;
            if (kind == ResultReason::Kind::Stopped || kind == ResultReason::Kind::StoppedAfterPrevious) {
                event(tr("stopped: %1").arg(shown(source.path)));
                break;
            }
            event(tr("refused: %1: %2").arg(shown(source.path), reason));
            record(source, QStringLiteral("refused"));
            break;
        }
        default:
            event(tr("stopped: %1").arg(shown(source.path)));
            break;
        }
    }

    // What becomes of a converted source: left alone, moved into the --move-done folder or deleted.
    void afterwards(const QString &source, const JobResult &result)
    {
        if ((moveDone.isEmpty() && !deleteSource) || !mayRemoveSource(result))
            return;
        if (deleteSource) {
            if (QFile::remove(source))
                event(tr("deleted: %1").arg(shown(source)));
            else
                event(tr("kept: %1: it cannot be deleted").arg(shown(source)));
            return;
        }
        QString error;
        const QString moved = moveInto(source, moveDone, error);
        if (moved.isEmpty()) {
            event(tr("kept: %1: it cannot be moved: %2").arg(shown(source), printableText(error)));
            return;
        }
        event(tr("moved: %1 -> %2").arg(shown(source), shown(moved)));
        const RecordMatch match = m_record.match(source, 0, 0, WatchRecord::fingerprint(moved));
        qint64 size = 0, modified = 0;
        if (match.index >= 0 && WatchRecord::stat(moved, size, modified))
            m_record.move(match.index, moved, size, modified);
    }

    EncodeRun &m_run;
    const QCommandLineParser &m_parser;
    CliSettings m_settings;
    WatchRecord m_record;
    bool m_recordChanged = false;
    QElapsedTimer m_pruned;
};

} // namespace

int watchCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Watches the directories, their sub-directories too, and converts each video file that appears "
           "in them once it is complete: unchanged for the settle time and open for writing by no "
           "process. Each event is one line on standard output. A record in the data folder keeps what was "
           "converted, so that nothing is converted twice."));
    parser.addHelpOption();
    addSettingsOptions(parser);
    addRunOptions(parser, true);
    parser.addOption(QCommandLineOption(
        QStringLiteral("settle"),
        tr("A file is complete once its size and time have not changed for SECONDS (default 10)."),
        QStringLiteral("SECONDS")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("poll"),
        tr("Look through the directories every SECONDS instead of being told of changes (network shares)."),
        QStringLiteral("SECONDS")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("once"),
        tr("Convert the complete files there are now, then exit with the exit status of encode.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("move-done"),
        tr("Move each source converted successfully into DIR, under a free name (default: leave it)."),
        QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("delete-source"),
        tr("Delete each source once its output has been read back whole (default: leave it).")));
    parser.addPositionalArgument(QStringLiteral("DIR"), tr("Directories to watch."),
                                 QStringLiteral("DIR..."));
    if (!parser.parse(arguments)) {
        printLine(stderr, Prefix + printableText(parser.errorText()));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText()
                       .replace(QStringLiteral("[options] DIR..."), QStringLiteral("watch [options] DIR..."))
                       .toUtf8()
                       .constData(),
                   stdout);
        return ExitOk;
    }
    QString error;
    const std::optional<CliSettings> settings = readSettings(parser, error);
    if (!settings) {
        printLine(stderr, Prefix + printableText(error));
        return ExitUsage;
    }
    FolderWatch::Options watchOptions;
    for (const QString &dir : parser.positionalArguments()) {
        const QFileInfo info(dir);
        if (!info.isDir()) {
            printLine(stderr, Prefix + tr("“%1” is not a directory").arg(printableText(dir)));
            return ExitUsage;
        }
        watchOptions.folders << info.canonicalFilePath();
    }
    if (watchOptions.folders.isEmpty()) {
        printLine(stderr, Prefix + tr("no directory given"));
        return ExitUsage;
    }
    const std::optional<qint64> settle = readSeconds(parser, QStringLiteral("settle"), 10, 0);
    const std::optional<qint64> poll = readSeconds(parser, QStringLiteral("poll"), 0, 0.05);
    if (!settle || !poll) {
        printLine(stderr, Prefix + tr("--settle and --poll take a number of seconds"));
        return ExitUsage;
    }
    watchOptions.settleMs = *settle;
    watchOptions.pollMs = parser.isSet(QStringLiteral("poll")) ? *poll : 0;
    const bool deleteSource = parser.isSet(QStringLiteral("delete-source"));
    QString moveDone;
    if (parser.isSet(QStringLiteral("move-done"))) {
        if (deleteSource) {
            printLine(stderr, Prefix + tr("--move-done and --delete-source cannot go together"));
            return ExitUsage;
        }
        moveDone = QFileInfo(parser.value(QStringLiteral("move-done"))).absoluteFilePath();
        if (!QDir().mkpath(moveDone)) {
            printLine(stderr, Prefix + tr("“%1” cannot be made").arg(printableText(moveDone)));
            return ExitFailure;
        }
        watchOptions.excluded << QFileInfo(moveDone).canonicalFilePath();
    }
    // What this watcher writes is never taken, nor what it moves away.
    if (settings->dest)
        watchOptions.excluded << QFileInfo(*settings->dest).canonicalFilePath();
    bool jobsOk = true;
    const std::optional<int> jobsAtOnce = readJobsAtOnce(parser, QStringLiteral("watch"), jobsOk);
    if (!jobsOk)
        return ExitUsage;
    QString hosts, parallelProgram;
    if (const std::optional<int> status = readHosts(parser, QStringLiteral("watch"), hosts, parallelProgram))
        return *status;

    EncodeRun run(QStringLiteral("watch"), parser.isSet(QStringLiteral("verbose")), false);
    run.setNotifying(parser.isSet(QStringLiteral("notify")));
    run.setPrinting(false);
    if (!run.ready())
        return ExitFailure;
    Watcher watcher(run, parser, *settings);
    watcher.moveDone = moveDone;
    watcher.deleteSource = deleteSource;
    watcher.jobsGiven = jobsAtOnce.has_value();
    watcher.commandLineOptions.simultaneousJobs = jobsAtOnce.value_or(0);
    watcher.commandLineOptions.hostsFile = hosts;
    watcher.commandLineOptions.parallelProgram = parallelProgram;
    watcher.applyOptions();
    if (const QString message = watcher.loadRecord(); !message.isEmpty())
        printLine(stderr, Prefix + printableText(message));

    FolderWatch watch(watchOptions);
    bool problems = false;
    QObject::connect(&watch, &FolderWatch::problem, [&](const QString &message) {
        problems = true;
        event(tr("skipped: %1").arg(message));
    });
    QObject::connect(&watch, &FolderWatch::rootState, [](const QString &root, bool present) {
        event(present ? tr("watching: %1").arg(shown(root))
                      : tr("missing: %1: watched again once it is back").arg(shown(root)));
    });
    QObject::connect(&watch, &FolderWatch::gone, [](const QString &path) {
        event(tr("skipped: %1: gone before it was complete").arg(shown(path)));
    });

    if (parser.isSet(QStringLiteral("once"))) {
        QStringList incomplete;
        const QStringList complete = watch.completeNow(incomplete);
        for (const QString &path : std::as_const(incomplete))
            event(tr("skipped: %1: still being written").arg(shown(path)));
        return watcher.convert(complete, problems);
    }

    QStringList ready;
    bool rereading = false;
    QEventLoop idle;
    QObject::connect(&watch, &FolderWatch::ready, [&](const QString &path) {
        ready << path;
        idle.quit();
    });
    QObject::connect(&run.stopSignals(), &StopSignals::received, [&](int signalNumber) {
        if (signalNumber == SIGHUP)
            rereading = true;
        idle.quit();
    });
    if (const QString problem = watch.start(); !problem.isEmpty()) {
        printLine(stderr, Prefix + printableText(problem) + tr("; try --poll"));
        return ExitFailure;
    }
    for (const QString &folder : std::as_const(watchOptions.folders))
        event(tr("watching: %1").arg(shown(folder)));
    while (!run.interrupted()) {
        if (rereading) {
            rereading = false;
            watcher.reread();
        }
        if (ready.isEmpty()) {
            idle.exec();
            continue;
        }
        QStringList batch = std::exchange(ready, {});
        batch.removeDuplicates();
        watcher.convert(batch, false);
    }
    return *run.interrupted();
}
