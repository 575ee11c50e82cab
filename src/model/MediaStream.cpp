#include "model/MediaStream.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonValue>
#include <QLocale>
#include <QRegularExpression>

namespace {

struct StreamText
{
    Q_DECLARE_TR_FUNCTIONS(MediaStream)
};

QString channelLayout(int channels)
{
    switch (channels) {
    case 0:
        return {};
    case 1:
        return StreamText::tr("mono");
    case 2:
        return StreamText::tr("stereo");
    case 6:
        return QStringLiteral("5.1");
    case 8:
        return QStringLiteral("7.1");
    default:
        return StreamText::tr("%n channel(s)", nullptr, channels);
    }
}

// The language a tag or a typed word stands for: ISO 639 codes of any part, or the English name.
QLocale::Language languageOf(const QString &text)
{
    const QString word = text.trimmed();
    if (word.isEmpty())
        return QLocale::AnyLanguage;
    const QLocale::Language byCode = QLocale::codeToLanguage(word.toLower());
    if (byCode != QLocale::AnyLanguage)
        return byCode;
    static const QHash<QString, QLocale::Language> names = [] {
        QHash<QString, QLocale::Language> out;
        for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l)
            out.insert(QLocale::languageToString(QLocale::Language(l)).toLower(), QLocale::Language(l));
        return out;
    }();
    return names.value(word.toLower(), QLocale::AnyLanguage);
}

} // namespace

bool MediaStream::isPicture() const
{
    static const QStringList pictures{QStringLiteral("PGS"), QStringLiteral("VobSub"),
                                      QStringLiteral("DVB"), QStringLiteral("DVD"),
                                      QStringLiteral("RLE"), QStringLiteral("XSUB")};
    return kind == Kind::Subtitle && pictures.contains(format);
}

QString streamLabel(const MediaStream &stream)
{
    QStringList parts{QString::number(stream.number)};
    if (!stream.languageName.isEmpty())
        parts << stream.languageName;
    else if (!stream.language.isEmpty())
        parts << stream.language;
    // mediainfo names a SubRip stream by its character set.
    QString format = stream.format.isEmpty()                   ? StreamText::tr("unknown format")
                     : stream.format == QLatin1String("UTF-8") ? StreamText::tr("SubRip text")
                                                               : stream.format;
    if (stream.kind == MediaStream::Kind::Audio && stream.channels > 0)
        format += QLatin1Char(' ') + channelLayout(stream.channels);
    if (stream.kind == MediaStream::Kind::Subtitle && stream.isPicture())
        format += QLatin1Char(' ') + StreamText::tr("(pictures)");
    parts << format;
    if (stream.bitRate >= 1000)
        parts << StreamText::tr("%1 kb/s").arg(qRound(stream.bitRate / 1000.0));
    if (!stream.title.isEmpty())
        parts << stream.title.simplified();
    if (stream.isDefault)
        parts << StreamText::tr("Default");
    if (stream.isForced)
        parts << StreamText::tr("Forced");
    return parts.join(QStringLiteral(" · "));
}

QList<MediaStream> streamsOf(const QList<MediaStream> &streams, MediaStream::Kind kind)
{
    QList<MediaStream> out;
    for (const MediaStream &s : streams) {
        if (s.kind == kind)
            out << s;
    }
    return out;
}

QString rawText(MediaStream::Kind kind)
{
    switch (kind) {
    case MediaStream::Kind::Video:
        return QStringLiteral("video");
    case MediaStream::Kind::Audio:
        return QStringLiteral("audio");
    case MediaStream::Kind::Subtitle:
        return QStringLiteral("subtitle");
    }
    return {};
}

QJsonObject streamToJson(const MediaStream &s)
{
    return QJsonObject{
        {QStringLiteral("kind"), rawText(s.kind)},
        {QStringLiteral("number"), s.number},
        {QStringLiteral("codec"), s.format},
        {QStringLiteral("language"), s.language},
        {QStringLiteral("languageName"), s.languageName},
        {QStringLiteral("title"), s.title},
        {QStringLiteral("channels"), s.channels},
        {QStringLiteral("bitRate"), s.bitRate},
        {QStringLiteral("bitDepth"), s.bitDepth},
        {QStringLiteral("default"), s.isDefault},
        {QStringLiteral("forced"), s.isForced},
    };
}

std::optional<MediaStream> streamFromJson(const QJsonObject &o)
{
    MediaStream s;
    const QString kind = o.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("video"))
        s.kind = MediaStream::Kind::Video;
    else if (kind == QLatin1String("audio"))
        s.kind = MediaStream::Kind::Audio;
    else if (kind == QLatin1String("subtitle"))
        s.kind = MediaStream::Kind::Subtitle;
    else
        return std::nullopt;
    const auto whole = [&o](const char *key) { return std::max(0, o.value(QLatin1String(key)).toInt()); };
    const auto text = [&o](const char *key) { return o.value(QLatin1String(key)).toString(); };
    s.number = whole("number");
    s.format = text("codec");
    s.language = text("language");
    s.languageName = text("languageName");
    s.title = text("title");
    s.channels = whole("channels");
    s.bitRate = whole("bitRate");
    s.bitDepth = whole("bitDepth");
    s.isDefault = o.value(QStringLiteral("default")).toBool();
    s.isForced = o.value(QStringLiteral("forced")).toBool();
    return s;
}

bool languageIsOneOf(const QString &language, const QStringList &wanted)
{
    const QLocale::Language tagged = languageOf(language);
    for (const QString &w : wanted) {
        if (tagged != QLocale::AnyLanguage ? languageOf(w) == tagged
                                           : w.compare(language.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList languageList(const QString &typed)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return typed.toLower().split(separators, Qt::SkipEmptyParts);
}
