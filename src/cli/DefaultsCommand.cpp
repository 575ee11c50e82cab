#include "cli/CliSettings.h"
#include "cli/Commands.h"

#include "model/Preferences.h"
#include "model/Vocabulary.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

namespace Key = Preferences::Key;

// Integer keys that hold an index: their case names (raw texts) are accepted as well.
QStringList namesOf(const QString &key)
{
    if (key == QLatin1String(Key::container))
        return Lists::containers();
    if (key == QLatin1String(Key::videoEncoder))
        return rawTexts<VideoEncoders>();
    if (key == QLatin1String(Key::videoProfile))
        return rawTexts<VideoProfiles>();
    if (key == QLatin1String(Key::videoPreset))
        return rawTexts<VideoPresets>();
    if (key == QLatin1String(Key::videoTune))
        return rawTexts<VideoTunes>();
    if (key == QLatin1String(Key::audioEncoder))
        return rawTexts<AudioEncoders>();
    if (key == QLatin1String(Key::videoRate))
        return rawTexts<VideoRate>();
    if (key == QLatin1String(Key::audioChannels))
        return rawTexts<AudioChannels>();
    if (key == QLatin1String(Key::hdrOutput))
        return rawTexts<HdrOutput>();
    if (key == QLatin1String(Key::formatFile))
        return Lists::nameTemplates();
    return {};
}

QString shown(const Preferences::KeyInfo &info)
{
    switch (info.kind) {
    case Preferences::Kind::Integer:
        return QString::number(Preferences::readInt(info.key));
    case Preferences::Kind::Boolean:
        return Preferences::readBool(info.key) ? QStringLiteral("true") : QStringLiteral("false");
    case Preferences::Kind::Text:
        return Preferences::readText(info.key).value_or(QString());
    }
    return {};
}

// The exit status of a write; when nothing was stored, one line on standard error says why.
int reported(const Preferences::WriteResult &written)
{
    if (written)
        return ExitOk;
    printLine(stderr, QStringLiteral("tavrix-cli defaults: ") + printableText(written.error));
    return ExitFailure;
}

// Checks `value` for `info` and stores it. Returns the exit status; on failure one line on standard
// error says why.
int store(const Preferences::KeyInfo &info, const QString &value)
{
    const QString key = QString::fromLatin1(info.key);
    const auto refuse = [](const QString &why) {
        printLine(stderr, QStringLiteral("tavrix-cli defaults: ") + printableText(why));
        return ExitUsage;
    };
    Preferences::WriteResult written;
    switch (info.kind) {
    case Preferences::Kind::Integer: {
        const QStringList names = namesOf(key);
        bool ok = false;
        int number = value.toInt(&ok, 10);
        if (!ok && !names.isEmpty()) {
            number = int(names.indexOf(value));
            ok = number >= 0;
        }
        if (!ok)
            return refuse(tr("%1 takes a whole number, not “%2”").arg(key, value));
        if (number < info.minimum || number > info.maximum) {
            if (!names.isEmpty())
                return refuse(tr("%1 takes %2 to %3 (%4), not “%5”")
                                  .arg(key)
                                  .arg(info.minimum)
                                  .arg(info.maximum)
                                  .arg(names.join(QStringLiteral(", ")), value));
            return refuse(tr("%1 takes a whole number from %2 to %3, not “%4”")
                              .arg(key)
                              .arg(info.minimum)
                              .arg(info.maximum)
                              .arg(value));
        }
        written = Preferences::writeInt(info.key, number);
        break;
    }
    case Preferences::Kind::Boolean:
        if (value == QLatin1String("true") || value == QLatin1String("1") || value == QLatin1String("yes"))
            written = Preferences::writeBool(info.key, true);
        else if (value == QLatin1String("false") || value == QLatin1String("0") ||
                 value == QLatin1String("no"))
            written = Preferences::writeBool(info.key, false);
        else
            return refuse(tr("%1 takes true or false, not “%2”").arg(key, value));
        break;
    case Preferences::Kind::Text:
        written = Preferences::writeText(info.key, value);
        break;
    }
    return reported(written);
}

} // namespace

int defaultsCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Lists, prints or sets the stored defaults for new jobs (the store the settings sheet writes)."));
    const QCommandLineOption reset(QStringLiteral("reset"), tr("Clear every stored default."));
    parser.addOption(reset);
    parser.addPositionalArgument(QStringLiteral("KEY"), tr("A stored key, e.g. autoCrop."),
                                 QStringLiteral("[KEY"));
    parser.addPositionalArgument(QStringLiteral("VALUE"), tr("The value to store."),
                                 QStringLiteral("[VALUE]]"));
    // A text value may begin with "-" (defaults otherParams "-threads 2").
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (const std::optional<int> done = parseArguments(parser, arguments, QStringLiteral("defaults")))
        return *done;

    const QStringList args = parser.positionalArguments();
    const auto fail = [](const QString &message) {
        printLine(stderr, QStringLiteral("tavrix-cli defaults: ") + message);
        return ExitUsage;
    };
    if (parser.isSet(reset)) {
        if (!args.isEmpty())
            return fail(tr("--reset takes no KEY or VALUE"));
        return reported(Preferences::clear());
    }
    if (args.size() > 2)
        return fail(tr("too many arguments; to store text with spaces, put it in quotes"));

    if (args.isEmpty()) {
        for (const Preferences::KeyInfo &info : Preferences::allKeys())
            printLine(stdout, QString::fromLatin1(info.key) + QLatin1Char('=') + shown(info));
        return ExitOk;
    }

    const Preferences::KeyInfo *found = nullptr;
    for (const Preferences::KeyInfo &info : Preferences::allKeys()) {
        if (args[0] == QLatin1String(info.key))
            found = &info;
    }
    if (!found) {
        QStringList keys;
        for (const Preferences::KeyInfo &info : Preferences::allKeys())
            keys << QString::fromLatin1(info.key);
        return fail(tr("unknown key “%1”; the keys are %2")
                        .arg(printableText(args[0]), keys.join(QStringLiteral(", "))));
    }
    if (args.size() == 1) {
        printLine(stdout, shown(*found));
        return ExitOk;
    }
    return store(*found, args[1]);
}
