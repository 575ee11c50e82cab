#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QString installTranslations(const QLocale &locale)
{
    auto *app = QCoreApplication::instance();
    auto *english = new QTranslator(app);
    if (english->load(QStringLiteral(":/i18n/tavrix_en.qm")))
        QCoreApplication::installTranslator(english);

    // Installed later means asked first, so the user's language wins over English.
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);

    auto *own = new QTranslator(app);
    if (locale.language() != QLocale::English &&
        own->load(locale, QStringLiteral("tavrix"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(own);
        return own->language();
    }
    delete own;
    return {};
}
