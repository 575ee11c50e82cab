#include "cli/CliSettings.h"
#include "cli/Commands.h"
#include "cli/EncodeRun.h"
#include "rules/RunTally.h"

#include "rules/ShellQuote.h"
#include "store/QueueFile.h"
#include "store/QueueLock.h"
#include "store/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalSocket>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

void fail(const QString &command, const QString &message)
{
    printLine(stderr, QStringLiteral("tavrix-cli queue %1: %2").arg(command, printableText(message)));
}

void usage(std::FILE *stream)
{
    std::fputs(
        "Usage: tavrix-cli queue list\n"
        "       tavrix-cli queue add [SETTINGS] FILE|DIR...\n"
        "       tavrix-cli queue run [--verbose] [--notify] [--jobs N]\n"
        "       tavrix-cli queue clear\n"
        "\n"
        "The job list of the Tavrix window, kept in ~/.local/share/Tavrix/queue.json.\n"
        "  list   one line per job: its number, its result and its source, separated by tabs\n"
        "  add    probe the files (and the video files in folders) and add them to the list;\n"
        "         SETTINGS as for 'encode' (see 'tavrix-cli queue add --help')\n"
        "  run    convert the jobs that have not succeeded, one after another, as 'encode' does\n"
        "  clear  empty the list\n"
        "While the window runs it owns the list: 'add' hands the files to it, the others exit with 2.\n",
        stream);
}

QString resultLabel(const JobResult &result)
{
    return result.status == JobResult::Status::None ? tr("Waiting") : result.text();
}

void printJob(int number, const MediaVideo &job)
{
    printLine(
        stdout,
        QStringLiteral("%1\t%2\t%3").arg(number).arg(resultLabel(job.result), printableText(job.source)));
}

// The list could not be used or saved: said on standard error.
bool reportList(const QString &command, const QString &problem)
{
    if (!problem.isEmpty())
        fail(command, problem);
    return problem.isEmpty();
}

// Whether a Tavrix window answers on the instance channel.
bool windowIsOpen()
{
    QLocalSocket probe;
    probe.connectToServer(instanceSocketName());
    const bool open = probe.waitForConnected(2000);
    probe.abort();
    return open;
}

// The window (or another command) holds the list. `queue add` hands the files to the window.
int lockedOut(const QString &command, const QueueLock &lock, const QString &folder, const QStringList &handed,
              bool withSettings)
{
    const qint64 holder = QueueLock::holder(folder);
    if (holder == 0) {
        fail(command, lock.error());
        return ExitFailure;
    }
    if (!windowIsOpen()) {
        fail(command, tr("another tavrix-cli queue command is using the job list (process %1); wait until it "
                         "has ended")
                          .arg(holder));
        return ExitUsage;
    }
    if (command == QLatin1String("add") && !withSettings) {
        // The window drops what does not exist without a word: it is said here.
        QStringList existing;
        for (const QString &path : handed) {
            if (QFileInfo::exists(path))
                existing << path;
            else
                fail(command, tr("“%1”: no such file or directory").arg(path));
        }
        if (!existing.isEmpty() && sendToRunningInstance(existing, 5000)) {
            printLine(stdout, tr("The files were handed to the Tavrix window, which owns the job list."));
            return existing.size() == handed.size() ? ExitOk : ExitFailure;
        }
        if (existing.isEmpty())
            return ExitFailure;
    }
    fail(command, withSettings ? tr("the Tavrix window owns the job list (process %1); settings cannot be "
                                    "handed to it: add the files there, or close it first")
                                     .arg(holder)
                               : tr("the Tavrix window owns the job list (process %1); use the window, or "
                                    "close it first")
                                     .arg(holder));
    return ExitUsage;
}

int list(const QString &folder)
{
    Session session;
    const bool usable = reportList(QStringLiteral("list"), session.keepJobsIn(folder, false));
    const QList<MediaVideo::Ptr> &jobs = session.jobs()->jobs();
    for (int i = 0; i < jobs.size(); ++i)
        printJob(i + 1, *jobs[i]);
    return usable ? ExitOk : ExitFailure;
}

int clear(const QString &folder)
{
    Session session;
    reportList(QStringLiteral("clear"), session.keepJobsIn(folder, false));
    session.jobs()->clear();
    return reportList(QStringLiteral("clear"), session.flushJobs()) ? ExitOk : ExitFailure;
}

} // namespace

int queueCommand(const QStringList &arguments)
{
    if (arguments.size() < 2) {
        usage(stderr);
        return ExitUsage;
    }
    const QString command = arguments.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        usage(stdout);
        return ExitOk;
    }
    QStringList rest = arguments;
    rest.removeAt(1);

    QCommandLineParser parser;
    if (command == QLatin1String("add")) {
        parser.setApplicationDescription(
            tr("Probes the files, and the video files found at any depth in each "
               "directory, and adds them to the saved job list."));
        addSettingsOptions(parser);
        parser.addPositionalArgument(QStringLiteral("FILE|DIR"), tr("Video files or directories to add."),
                                     QStringLiteral("FILE|DIR..."));
    } else if (command == QLatin1String("run")) {
        parser.setApplicationDescription(tr("Converts the jobs of the saved list that have not succeeded."));
        addRunOptions(parser, false);
    } else if (command != QLatin1String("list") && command != QLatin1String("clear")) {
        std::fprintf(stderr, "tavrix-cli queue: unknown command '%s'\n", qPrintable(printableText(command)));
        usage(stderr);
        return ExitUsage;
    }
    if (const std::optional<int> done = parseArguments(parser, rest, QStringLiteral("queue ") + command))
        return *done;
    const QStringList inputs = parser.positionalArguments();
    if (command == QLatin1String("add") && inputs.isEmpty()) {
        fail(command, tr("no file or directory given"));
        return ExitUsage;
    }
    if (command != QLatin1String("add") && !inputs.isEmpty()) {
        fail(command, tr("takes no file"));
        return ExitUsage;
    }
    std::optional<CliSettings> settings;
    if (command == QLatin1String("add")) {
        QString error;
        settings = readSettings(parser, error);
        if (!settings) {
            fail(command, error);
            return ExitUsage;
        }
    }

    const QString folder = defaultDataFolder();
    QueueLock lock(folder);
    if (!lock.tryLock()) {
        const bool withSettings =
            std::any_of(parser.optionNames().cbegin(), parser.optionNames().cend(), [](const QString &name) {
                return name != QLatin1String("verbose") && name != QLatin1String("notify") &&
                       name != QLatin1String("jobs");
            });
        return lockedOut(command, lock, folder, inputs, withSettings);
    }
    if (command == QLatin1String("list"))
        return list(folder);
    if (command == QLatin1String("clear"))
        return clear(folder);

    bool jobsOk = true;
    const std::optional<int> jobsAtOnce = readJobsAtOnce(parser, QStringLiteral("queue ") + command, jobsOk);
    if (!jobsOk)
        return ExitUsage;
    EncodeRun run(QStringLiteral("queue ") + command,
                  command == QLatin1String("run") && parser.isSet(QStringLiteral("verbose")));
    run.setNotifying(command == QLatin1String("run") && parser.isSet(QStringLiteral("notify")));
    if (!run.ready())
        return ExitFailure;
    Session &session = run.session();
    if (jobsAtOnce)
        run.options().simultaneousJobs = *jobsAtOnce;
    reportList(command, session.keepJobsIn(folder, false));

    if (command == QLatin1String("add")) {
        bool inputProblem = false;
        const QStringList files = collectInputs(inputs, QStringLiteral("queue add"), inputProblem);
        const QList<MediaVideo::Ptr> imported =
            files.isEmpty() ? QList<MediaVideo::Ptr>() : run.import(files, *settings, inputProblem);
        // A job that could not run as asked stays out of the list, as it does for probe and command.
        for (const MediaVideo::Ptr &job : imported) {
            const QString refusal = run.refusal(*job);
            if (refusal.isEmpty())
                continue;
            fail(command, QStringLiteral("%1: %2").arg(job->source, refusal));
            session.jobs()->removeJobs({session.jobs()->rowOf(job->id)});
            inputProblem = true;
        }
        for (const MediaVideo::Ptr &job : imported) {
            const int row = session.jobs()->rowOf(job->id);
            if (row >= 0)
                printJob(row + 1, *job);
        }
        const bool saved = reportList(command, session.flushJobs());
        if (const std::optional<int> status = run.interrupted())
            return *status;
        return saved && !inputProblem && !files.isEmpty() ? ExitOk : ExitFailure;
    }

    const QList<MediaVideo::Ptr> pending = pendingJobs(session.jobs()->jobs());
    if (pending.isEmpty()) {
        printLine(stdout, session.jobs()->rowCount() == 0 ? tr("The job list is empty.")
                                                          : tr("Every job in the list has succeeded."));
        return ExitOk;
    }
    const int status = run.run(pending, std::nullopt, false);
    const bool saved = reportList(command, session.flushJobs());
    return saved || status != ExitOk ? status : ExitFailure;
}
