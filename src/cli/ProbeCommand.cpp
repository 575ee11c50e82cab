#include "cli/CliSettings.h"
#include "cli/Commands.h"

#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

// Parses the settings and the files of `probe` and `command`, then calls `each` for every job in
// the order given. Returns the exit status.
int forEachJob(const QStringList &arguments, const QString &command, const QString &description,
               const std::function<bool(const MediaVideo &job, const ToolRunner &tools)> &each)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    addSettingsOptions(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"), tr("Source files."), QStringLiteral("FILE..."));
    if (const std::optional<int> done = parseArguments(parser, arguments, command))
        return *done;

    QString error;
    const std::optional<CliSettings> settings = readSettings(parser, error);
    if (!settings) {
        printLine(stderr, QStringLiteral("tavrix-cli %1: %2").arg(command, printableText(error)));
        return ExitUsage;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        printLine(stderr, QStringLiteral("tavrix-cli %1: %2").arg(command, tr("no FILE given")));
        return ExitUsage;
    }

    const ToolRunner tools;
    for (const char *name : {"mediainfo", "ffmpeg"}) {
        const ToolLocation tool = tools.locateTool(QString::fromLatin1(name));
        if (!tool.ok()) {
            printLine(stderr, QStringLiteral("tavrix-cli %1: %2").arg(command, tool.error));
            return ExitFailure;
        }
    }
    // Standard output carries the results alone.
    setDiagnosticStream(nullptr);

    // A file that gives no job is named with the reason; the others still get theirs.
    bool allDone = true;
    const auto refuse = [&](const QString &file, const QString &why) {
        printLine(stderr, QStringLiteral("tavrix-cli %1: %2: %3").arg(command, printableText(file), why));
        allDone = false;
    };
    for (const QString &file : files) {
        if (const QString problem = sourceProblem(file); !problem.isEmpty()) {
            refuse(file, problem);
            continue;
        }
        QStringList warnings;
        const MediaVideo::Ptr job = importJob(file, *settings, tools, warnings);
        if (!hasMediaStreams(*job)) {
            // A tool that failed explains the empty job better than the file does.
            refuse(file, job->probeError.isEmpty()
                             ? tr("not a media file: mediainfo finds no video or audio stream in it")
                             : printableText(job->probeError));
            continue;
        }
        for (const QString &warning : std::as_const(warnings))
            printLine(stderr,
                      QStringLiteral("tavrix-cli %1: warning: %2").arg(command, printableText(warning)));
        allDone = each(*job, tools) && allDone;
    }
    return allDone ? ExitOk : ExitFailure;
}

} // namespace

int probeCommand(const QStringList &arguments)
{
    return forEachJob(
        arguments, QStringLiteral("probe"), tr("Prints each file's job as one JSON object per line."),
        [](const MediaVideo &job, const ToolRunner &) {
            printLine(stdout,
                      QString::fromUtf8(QJsonDocument(jobToJson(job)).toJson(QJsonDocument::Compact)));
            return true;
        });
}

// Each command is one line whatever the names hold (shellQuote writes control characters as $'\xHH'
// pieces), so the output can be read line by line and every line run as it is.
int commandCommand(const QStringList &arguments)
{
    return forEachJob(
        arguments, QStringLiteral("command"),
        tr("Prints the encoder command line of each file's job, one per line."),
        [](const MediaVideo &job, const ToolRunner &tools) {
            const CommandLine line = commandLine(job, tools, CropDetection::Run);
            if (!line.ok()) {
                printLine(stderr, QStringLiteral("tavrix-cli command: %1").arg(printableText(line.error)));
                return false;
            }
            printLine(stdout, line.text);
            return true;
        });
}
