// Texts of Qt's own that this interface shows, listed so that the application's translation tables
// carry them too: without the system's Qt translations (a package Debian installs apart), a French
// menu would still read "Del" and a French dialog "Cancel". The system's tables, where installed, are
// asked after the application's.
#include <QtGlobal>

namespace {

[[maybe_unused]] const char *const QtTexts[] = {
    QT_TRANSLATE_NOOP("QShortcut", "Del"),          QT_TRANSLATE_NOOP("QShortcut", "Ctrl"),
    QT_TRANSLATE_NOOP("QShortcut", "Shift"),        QT_TRANSLATE_NOOP("QShortcut", "Alt"),
    QT_TRANSLATE_NOOP("QShortcut", "Return"),       QT_TRANSLATE_NOOP("QShortcut", "Backspace"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),      QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Close"),   QT_TRANSLATE_NOOP("QPlatformTheme", "Yes"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "No"),      QT_TRANSLATE_NOOP("QPlatformTheme", "Save"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Discard"), QT_TRANSLATE_NOOP("QPlatformTheme", "Apply"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Reset"),   QT_TRANSLATE_NOOP("QPlatformTheme", "Restore Defaults"),
};

} // namespace
