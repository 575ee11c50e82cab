#pragma once

#include <QString>

// The one way text enters a shell command: between double quotes, with the four characters that stay
// special there (\ " $ `) escaped by a backslash, so every byte reaches the program unchanged.
// "/data/in/clip.mov" stays "/data/in/clip.mov"; a "b".mov becomes "a \"b\".mov".
QString shellQuote(const QString &text);
