#include "rules/ShellQuote.h"

namespace {

// C0, DEL and C1: the characters a terminal acts on instead of showing.
bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

void appendHex(QString &out, const QByteArray &bytes)
{
    for (const char byte : bytes)
        out += QStringLiteral("\\x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
}

// Length of the UTF-8 sequence that `lead` begins, 0 for a byte that begins none.
int sequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

} // namespace

QString shellQuote(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    bool open = false; // inside double quotes
    const auto leave = [&] {
        if (open)
            out += QLatin1Char('"');
        open = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isControl(c.unicode())) {
            qsizetype end = i + 1;
            while (end < text.size() && isControl(text[end].unicode()))
                ++end;
            leave();
            out += QLatin1String("$'");
            appendHex(out, text.mid(i, end - i).toUtf8());
            out += QLatin1Char('\'');
            i = end - 1;
            continue;
        }
        if (c == QLatin1Char('!')) {
            leave();
            out += QLatin1String("'!'");
            continue;
        }
        if (!open)
            out += QLatin1Char('"');
        open = true;
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`'))
            out += QLatin1Char('\\');
        out += c;
    }
    leave();
    return out.isEmpty() ? QStringLiteral("\"\"") : out;
}

QString printableName(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = sequenceLength(uchar(bytes[i]));
        if (length > 0 && i + length <= bytes.size()) {
            const QByteArray sequence = bytes.mid(i, length);
            const QString decoded = QString::fromUtf8(sequence);
            // Decoding and encoding again gives the same bytes only for a whole, shortest-form sequence.
            if (decoded.toUtf8() == sequence) {
                if (isControl(decoded.at(0).unicode()))
                    appendHex(out, sequence);
                else
                    out += decoded;
                i += length;
                continue;
            }
        }
        appendHex(out, bytes.mid(i, 1));
        ++i;
    }
    return out;
}

QString printableText(const QString &text)
{
    return printableName(text.toUtf8());
}
