#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// What mediainfo tells about one stream of a source, for people to choose by: the job's track lines
// stay what the command is built from, these only describe them.
struct MediaStream
{
    enum class Kind { Video, Audio, Subtitle };

    Kind kind = Kind::Video;
    int number = 0;       // from 1 within its kind, in the source's order
    QString format;       // mediainfo's Format: "AVC", "AC-3", "UTF-8", "PGS"
    QString language;     // as the file tags it ("en", "fra"); empty when untagged
    QString languageName; // "English"
    QString title;
    int channels = 0; // audio
    int bitRate = 0;  // bit/s, 0 when not known
    int bitDepth = 0; // video
    bool isDefault = false;
    bool isForced = false;

    // A subtitle drawn as pictures (Blu-ray PGS, DVD VobSub, DVB), which no text format can hold.
    bool isPicture() const;

    bool operator==(const MediaStream &) const = default;
};

// "1 · English · AC-3 5.1 · 448 kb/s · Commentary · Default": what a person reads to choose a track.
QString streamLabel(const MediaStream &stream);
// The streams of one kind, in order.
QList<MediaStream> streamsOf(const QList<MediaStream> &streams, MediaStream::Kind kind);

QString rawText(MediaStream::Kind kind); // "video", "audio", "subtitle"
QJsonObject streamToJson(const MediaStream &stream);
// Unknown or ill-typed members read as empty; a kind that is not known gives nullopt.
std::optional<MediaStream> streamFromJson(const QJsonObject &object);

// Whether `language` (a tag of the file: "en", "eng", "fre", "English") is one of `wanted` (codes or
// names a user typed, any ISO 639 form: "fra", "fre" and "fr" are the same language).
bool languageIsOneOf(const QString &language, const QStringList &wanted);
// A list a user typed ("eng, fra" or "eng fra"), lower case, without empty entries.
QStringList languageList(const QString &typed);
