#pragma once

#include <QLocale>

// Installs the application's translation tables on the running application: English always (it gives
// the help tips their texts), then the table of `locale`'s language when there is one, with Qt's own.
// Returns the language installed over English, or empty text.
QString installTranslations(const QLocale &locale = QLocale());
