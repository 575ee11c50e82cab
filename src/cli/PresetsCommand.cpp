#include "cli/CliSettings.h"
#include "cli/Commands.h"

#include "rules/ShellQuote.h"
#include "store/PresetLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

int fail(const QString &message)
{
    printLine(stderr, QStringLiteral("tavrix-cli presets: ") + printableText(message));
    return ExitFailure;
}

int usage(const QString &message)
{
    printLine(stderr, QStringLiteral("tavrix-cli presets: ") + printableText(message));
    return ExitUsage;
}

// What an imported preset adds to every command, said before it is used.
void tellParameters(const Preset &preset)
{
    if (!preset.settings.otherParam.trimmed().isEmpty())
        printLine(stdout, tr("“%1” adds these ffmpeg parameters to every job: %2")
                              .arg(printableText(preset.name), printableText(preset.settings.otherParam)));
}

} // namespace

int presetsCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(tr(
        "The presets: named settings for any file, built in or the user's own (kept one file each in the "
        "data folder's \"presets\" folder).\n"
        "  list                          one line each: name, built-in or user, description (tabs)\n"
        "  show NAME                     the preset as JSON\n"
        "  save NAME [SETTINGS]          the settings for new files, with SETTINGS over them, as a preset\n"
        "  export NAME FILE              write the preset to FILE (never over an existing file)\n"
        "  import FILE                   add the preset of FILE (a name taken gets a number)\n"
        "  rename NAME NEW               give a user preset another name\n"
        "  delete NAME                   remove a user preset"));
    parser.addPositionalArgument(QStringLiteral("action"),
                                 tr("list, show, save, export, import, rename or delete"));
    parser.addOption(QCommandLineOption(QStringLiteral("description"),
                                        tr("The description of a saved preset."), QStringLiteral("TEXT")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("replace"), tr("save: replace a user preset of that name.")));
    addSettingsOptions(parser);
    if (const std::optional<int> done = parseArguments(parser, arguments, QStringLiteral("presets")))
        return *done;
    const QStringList args = parser.positionalArguments();
    const QString action = args.value(0);
    const PresetLibrary library = presetLibrary();
    const PresetStore &store = library.store();

    const auto wants = [&](qsizetype count) { return args.size() == count + 1; };
    if (action == QLatin1String("list") && wants(0)) {
        for (const Preset &preset : library.all()) {
            const QString origin = preset.origin == Preset::Origin::BuiltIn ? QStringLiteral("built-in")
                                                                            : QStringLiteral("user");
            const QString about =
                preset.usable() ? preset.description : tr("cannot be used: %1").arg(preset.problem);
            printLine(stdout, printableText(preset.name) + QLatin1Char('\t') + origin + QLatin1Char('\t') +
                                  printableText(about));
        }
        return ExitOk;
    }
    if (action == QLatin1String("show") && wants(1)) {
        const std::optional<Preset> preset = library.find(args[1]);
        if (!preset)
            return fail(tr("no preset is called “%1”").arg(args[1]));
        if (!preset->usable() && preset->origin == Preset::Origin::User)
            return fail(tr("“%1” cannot be read: %2").arg(preset->file, preset->problem));
        std::fputs(QJsonDocument(presetToJson(*preset)).toJson().constData(), stdout);
        return ExitOk;
    }
    if (action == QLatin1String("save") && wants(1)) {
        QString error;
        const std::optional<CliSettings> settings = readSettings(parser, error);
        if (!settings)
            return usage(error);
        Preset preset;
        preset.name = cleanPresetName(args[1]);
        preset.description = parser.value(QStringLiteral("description")).simplified();
        preset.settings = newJobSettings(*settings);
        if (!store.save(preset, library.builtInNames(), parser.isSet(QStringLiteral("replace")), error))
            return fail(error);
        printLine(stdout, tr("Saved “%1”").arg(printableText(preset.name)));
        return ExitOk;
    }
    if (action == QLatin1String("export") && wants(2)) {
        const std::optional<Preset> preset = library.find(args[1]);
        if (!preset)
            return fail(tr("no preset is called “%1”").arg(args[1]));
        if (!preset->usable() && preset->origin == Preset::Origin::User)
            return fail(tr("“%1” cannot be read: %2").arg(preset->file, preset->problem));
        QString error;
        if (!PresetStore::exportTo(*preset, args[2], false, error))
            return fail(error);
        return ExitOk;
    }
    if (action == QLatin1String("import") && wants(1)) {
        QString error;
        const std::optional<Preset> preset = store.importFile(args[1], library.builtInNames(), error);
        if (!preset)
            return fail(error);
        printLine(stdout, tr("Imported “%1”").arg(printableText(preset->name)));
        tellParameters(*preset);
        return ExitOk;
    }
    if (action == QLatin1String("rename") && wants(2)) {
        QString error;
        if (library.builtInNames().contains(args[1]))
            return fail(tr("“%1” is built in; it cannot be renamed").arg(args[1]));
        if (!store.rename(args[1], args[2], library.builtInNames(), error))
            return fail(error);
        return ExitOk;
    }
    if (action == QLatin1String("delete") && wants(1)) {
        QString error;
        if (library.builtInNames().contains(args[1]))
            return fail(tr("“%1” is built in; it cannot be deleted").arg(args[1]));
        if (!store.remove(args[1], error))
            return fail(error);
        return ExitOk;
    }
    return usage(tr("expected list, show NAME, save NAME, export NAME FILE, import FILE, rename NAME NEW or "
                    "delete NAME"));
}
