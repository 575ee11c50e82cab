#pragma once

#include <QByteArray>
#include <QString>

// The one way text enters a shell command: between double quotes, with the four characters that stay
// special there (\ " $ `) escaped by a backslash, so every byte reaches the program unchanged.
// "/data/in/clip.mov" stays "/data/in/clip.mov"; a "b".mov becomes "a \"b\".mov".
//
// Control characters (C0, DEL and C1) leave the double quotes for a bash $'\xHH' piece of their UTF-8
// bytes, and "!" for a '!' piece (an interactive bash expands it inside double quotes). The pieces join
// into the same word, so a command is always one line and means the same when pasted into a terminal:
// a name holding a newline, "a<LF>b.mp4", becomes "a"$'\x0a'"b.mp4".
QString shellQuote(const QString &text);

// A name as it may be shown on a terminal or in a message: control characters, and bytes that are not
// UTF-8, are written as \xHH of their bytes, so that nothing in a name can end a line, move the cursor
// or retitle the window. caf<E9>.mov (Latin-1) becomes caf\xe9.mov; ESC becomes \x1b.
QString printableName(const QByteArray &bytes);
QString printableText(const QString &text); // printableName of its UTF-8 bytes
