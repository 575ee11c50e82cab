#pragma once

#include "model/JobSettings.h"

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

// The user's stored defaults, in the per-user settings store (organisation and application "Tavrix").
//
// A key never written reads as 0, false or absent text: no defaults are registered. Every call opens
// its own QSettings, so the store may be used from any thread.
namespace Preferences {

using ExistingOutput = ::ExistingOutput;
ExistingOutput existingOutput(); // the stored policy; anything unknown reads as Rename
int videoQuality();              // the stored quality; when absent, the first quality of the stored encoder

inline constexpr int MaxSimultaneousJobs = 256;
// The stored number of jobs run at once, from 1 to the number of cores.
int simultaneousJobs();

namespace Key {
inline constexpr const char container[] = "container";
inline constexpr const char videoEncoder[] = "videoEncoder";
inline constexpr const char videoProfile[] = "videoProfile";
inline constexpr const char videoPreset[] = "videoPreset";
inline constexpr const char videoTune[] = "videoTune";
inline constexpr const char videoDebit[] = "videoDebit";
inline constexpr const char audioEncoder[] = "audioEncoder";
inline constexpr const char audioDebit[] = "audioDebit";
inline constexpr const char audioSampling[] = "audioSampling";
inline constexpr const char quicktime[] = "quicktime";
inline constexpr const char deInterlace[] = "deInterlace";
inline constexpr const char autoCrop[] = "autoCrop";
inline constexpr const char otherParams[] = "otherParams";
inline constexpr const char subtitleLanguage[] = "subtitleLanguage";
inline constexpr const char formatFile[] = "formatFile";
inline constexpr const char defaultPath[] = "defaultPath";
// What a run does when a job's output already exists: an ExistingOutput index (0 Rename, 1 Skip, 2
// Overwrite).
inline constexpr const char existingOutput[] = "existingOutput";
// How many jobs a run converts at once; 0 and 1 both mean one after another.
inline constexpr const char simultaneousJobs[] = "simultaneousJobs";
// A VideoRate index: 0 the bitrate of "videoDebit", 1 the constant quality of "videoQuality".
inline constexpr const char videoRate[] = "videoRate";
// Deinterlacing for new jobs when "deInterlace" is false: true deinterlaces interlaced sources only.
inline constexpr const char deInterlaceAuto[] = "deInterlaceAuto";
// An AudioChannels index: 0 stereo, 1 the source's layout.
inline constexpr const char audioChannels[] = "audioChannels";
// Constant quality, 0 to 63 (the widest encoder scale), lower is better; absent reads as the first
// quality of the stored encoder (23 for x264).
inline constexpr const char videoQuality[] = "videoQuality";
// The render node VAAPI encoders use; absent or empty: the first /dev/dri/renderD*.
inline constexpr const char vaapiDevice[] = "vaapiDevice";
// Languages whose tracks new jobs keep ("eng, fra"): absent or empty keeps the first audio track and
// every subtitle track.
inline constexpr const char audioLanguages[] = "audioLanguages";
inline constexpr const char subtitleLanguages[] = "subtitleLanguages";
// True: new jobs give their output the modification time of its source.
inline constexpr const char keepDate[] = "keepDate";
// An HdrOutput index: 0 keeps high dynamic range where the output can carry it, 1 converts to SDR.
inline constexpr const char hdrOutput[] = "hdrOutput";
// The name of the preset new jobs take their settings from; absent or empty: the stored settings above.
inline constexpr const char presetForNewFiles[] = "presetForNewFiles";
// What a run does with a converted file larger than its source: 0 keeps it, 1 keeps the source only.
inline constexpr const char largerOutput[] = "largerOutput";
// True: a source already in the video codec and container of its job is not converted.
inline constexpr const char skipSameFormat[] = "skipSameFormat";
// True: each converted file is compared with its source (SSIM, PSNR) and its row says how close it came.
inline constexpr const char checkQuality[] = "checkQuality";
// The SSIM target of the "target" rate, in ten-thousandths (9850: 0.985); absent: 9850.
inline constexpr const char qualityTarget[] = "qualityTarget";
} // namespace Key

enum class Kind { Integer, Boolean, Text };

struct KeyInfo
{
    const char *key;
    Kind kind;
    // For an integer key, the values that mean something: the indexes of its list, or the sane range of
    // a figure (0, automatic, included). A stored value outside reads as 0, like an absent key.
    int minimum = 0;
    int maximum = 0;
};

// The keys, in the order the settings sheet writes them.
const std::array<KeyInfo, 32> &allKeys();
std::optional<Kind> kindOf(const QString &key);
const KeyInfo *keyInfo(const QString &key); // nullptr for a key that is not one of ours

int readInt(const char *key); // 0 for a value outside the key's range

bool readBool(const char *key);
std::optional<QString> readText(const char *key); // nullopt when absent; empty text is kept apart

// What a write did: stored, or nothing stored and why.
struct WriteResult
{
    QString error; // one line for the user, naming the file; empty when the value was stored
    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// A write stores nothing when the file cannot be written (read-only, unreachable) or holds a line the
// store could not read back: rewriting the file would drop that line, so it is left byte for byte as
// it was and the user is told which line to fix.
WriteResult writeInt(const char *key, int value);
WriteResult writeBool(const char *key, bool value);
WriteResult writeText(const char *key, const QString &value);

bool contains(const char *key);

// The settings new jobs take, read from the store in one go. A fresh store gives the first entry of
// each list and 0 for each figure, as every absent key reads.
JobSettings jobSettings();

// Deinterlacing for new jobs, stored as "deInterlace" (always) and "deInterlaceAuto". With neither
// stored, as in fresh settings, interlaced sources are deinterlaced; a stored on or off keeps its meaning.
enum class Deinterlacing { Off, On, Auto };
Deinterlacing deinterlacing();
WriteResult writeDeinterlacing(Deinterlacing choice);
WriteResult remove(const char *key);
WriteResult clear(); // removes every key of the store

// The first line (from 1) of settings-file text that the store would not read back whole: neither
// blank, a ";" comment, a [section] nor key=value (with its quotes closed and no line continued);
// 0 when every line reads.
int unreadableLine(const QByteArray &text);

QString storeLocation(); // the file behind the store, for messages
} // namespace Preferences
