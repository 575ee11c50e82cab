#include "cli/CliSettings.h"
#include "cli/Commands.h"
#include "model/Preferences.h"

#include "media/EncoderCatalog.h"
#include "rules/ShellQuote.h"
#include "session/Session.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

} // namespace

int encodersCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Lists every encoder a job can use, each followed by a tab and \"available\" or \"unavailable: "
           "REASON\". Each one is tried on one frame, side by side; the answers are kept for this ffmpeg "
           "binary until it changes."));
    if (const std::optional<int> done = parseArguments(parser, arguments, QStringLiteral("encoders")))
        return *done;
    if (!parser.positionalArguments().isEmpty()) {
        printLine(stderr, QStringLiteral("tavrix-cli encoders: %1").arg(tr("takes no FILE")));
        return ExitUsage;
    }

    Session session;
    session.encoders()->setVaapiChoice(
        Preferences::readText(Preferences::Key::vaapiDevice).value_or(QString()));
    const ToolLocation ffmpeg = session.tools().locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok()) {
        printLine(stderr, QStringLiteral("tavrix-cli encoders: %1").arg(ffmpeg.error));
        return ExitFailure;
    }
    session.checkEncoders();
    session.waitForEncoderCheck();
    const EncoderCatalog &catalog = *session.encoders();
    for (const QString &encoder : EncoderCatalog::checkedEncoders()) {
        const QString reason = catalog.unavailableReason(encoder);
        printLine(stdout, encoder + QLatin1Char('\t') +
                              (catalog.isAvailable(encoder)
                                   ? QStringLiteral("available")
                                   : QStringLiteral("unavailable: ") + printableText(reason)));
    }
    return ExitOk;
}
