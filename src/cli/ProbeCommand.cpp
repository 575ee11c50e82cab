#include "cli/CliSettings.h"
#include "cli/Commands.h"

#include "media/EncoderCatalog.h"
#include "media/JobCommand.h"
#include "media/PathProbe.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"
#include "rules/OutputPlan.h"
#include "rules/ShellQuote.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

// Parses the settings and the files of `probe` and `command`, then calls `each` for every job in
// the order given. Returns the exit status.
int forEachJob(const QStringList &arguments, const QString &command, const QString &description,
               const std::function<bool(const MediaVideo &job, const PlannedOutput &plan,
                                        const ToolRunner &tools)> &each)
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

    // The files that can be probed are probed side by side by the session's workers; their jobs come
    // back in the order of the files, and everything is printed in that order once they are all in.
    QStringList problems;
    QStringList sources;
    for (const QString &file : files) {
        problems << sourceProblem(file);
        if (problems.constLast().isEmpty())
            sources << QFileInfo(file).absoluteFilePath();
    }
    Session session(tools);
    QHash<QString, QString> refused; // by source path: why the probe gave no job
    if (!sources.isEmpty()) {
        QEventLoop importing;
        QObject::connect(&session, &Session::importFinished, &importing,
                         [&](int, const ImportReport &report) {
                             for (const auto &[source, reason] : report.refused)
                                 refused.insert(source, reason);
                             importing.quit();
                         });
        session.import(
            {sources, {}, settings->dest.value_or(QString()), {}, false, newJobSettings(*settings)});
        importing.exec();
    }
    const QList<MediaVideo::Ptr> jobs = session.jobs()->jobs();

    // A file that gives no job is named with the reason; the others still get theirs.
    bool allDone = true;
    const auto refuse = [&](const QString &file, const QString &why) {
        printLine(stderr, QStringLiteral("tavrix-cli %1: %2: %3").arg(command, printableText(file), why));
        allDone = false;
    };
    QList<MediaVideo::Ptr> accepted;
    qsizetype next = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &file = files.at(i);
        if (!problems.at(i).isEmpty()) {
            refuse(file, problems.at(i));
            continue;
        }
        const QString source = QFileInfo(file).absoluteFilePath();
        if (refused.contains(source)) {
            refuse(file, printableText(refused.value(source)));
            continue;
        }
        const MediaVideo::Ptr job = jobs.value(next++);
        if (!job) {
            refuse(file, tr("the probe was stopped"));
            continue;
        }
        QStringList warnings;
        const QString refusal = applySettings(*job, file, *settings, warnings);
        if (!refusal.isEmpty()) {
            refuse(file, refusal);
            continue;
        }
        for (const QString &warning : std::as_const(warnings))
            printLine(stderr,
                      QStringLiteral("tavrix-cli %1: warning: %2").arg(command, printableText(warning)));
        accepted << job;
    }
    // Where each output would go, as a run of these files with this policy would plan it.
    const QList<PlannedOutput> plans =
        planOutputs(accepted, settings->existing.value_or(Preferences::existingOutput()), &probePath);
    for (qsizetype i = 0; i < accepted.size(); ++i)
        allDone = each(*accepted.at(i), plans.at(i), session.tools()) && allDone;
    return allDone ? ExitOk : ExitFailure;
}

} // namespace

int probeCommand(const QStringList &arguments)
{
    return forEachJob(
        arguments, QStringLiteral("probe"), tr("Prints each file's job as one JSON object per line."),
        [](const MediaVideo &job, const PlannedOutput &, const ToolRunner &) {
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
        [](const MediaVideo &job, const PlannedOutput &plan, const ToolRunner &tools) {
            if (!plan.runs()) {
                printLine(stderr, QStringLiteral("tavrix-cli command: %1: %2")
                                      .arg(printableText(job.source), printableText(plan.refusal())));
                // Skip leaves the file alone as asked: nothing failed.
                return plan.skipped;
            }
            // The device a VAAPI command names is the stored choice, as in a run; nothing is checked.
            EncoderCatalog devices{QString()};
            devices.setVaapiChoice(Preferences::readText(Preferences::Key::vaapiDevice).value_or(QString()));
            // The planned output; the command replaces a file only where the run would.
            MediaVideo planned = job;
            planned.destination = plan.path;
            const CommandLine line = commandLine(
                planned, tools, Preferences::readText(Preferences::Key::otherParams).value_or(QString()),
                CropDetection::Run, &devices,
                plan.action == PlannedOutput::Action::Replace ? ExistingFiles::Replace : ExistingFiles::Keep);
            if (!line.ok()) {
                printLine(stderr, QStringLiteral("tavrix-cli command: %1").arg(printableText(line.error)));
                return false;
            }
            printLine(stdout, line.text);
            return true;
        });
}
