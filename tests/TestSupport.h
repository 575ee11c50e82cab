#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "encoding/BatchEncoder.h"

#include <functional>
#include <utility>

// Shared helpers for the tests: fake tools, generated clips, an isolated settings store.
namespace TestSupport {

// Points the settings store at a private test location and empties it. Call before touching it.
void isolateSettings();
// The directory to give child processes as XDG_CONFIG_HOME so that they share this process's store.
QString settingsHome();

// The build tree's resource directory with the real ffmpeg and mediainfo.
QString realResourceDir();
QString realTool(const QString &name);

// The fake tool executable (see tests/fakes/fake_tool.cpp).
QString fakeToolPath();
// A program that runs one mediainfo question through ToolRunner (see tests/fakes/tool_parent.cpp).
QString toolParentPath();

// A process as /proc shows it.
struct Process
{
    qint64 pid = 0;
    char state = 0; // "R", "S", "T"...
    qint64 group = 0;
    QByteArray name;
    QByteArray commandLine; // the arguments, each ended by a NUL
    QString workingDir;
};
// Every living process (zombies waiting for their reaper do not count).
QList<Process> livingProcesses();
// Living processes of a group.
int livingMembers(qint64 group);
// Living processes of the groups listed in a file that the fake tool's "pgid:FILE" steps wrote.
int survivors(const QString &groupsFile);

// A temporary resource directory whose "ffmpeg" and "mediainfo" entries are the fake tool, the real
// tool or absent.
class ResourceDir
{
public:
    enum class Entry { Fake, Real, Missing };
    ResourceDir(Entry ffmpeg, Entry mediainfo);
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Generates a clip with the real ffmpeg: `inputArgs` are the options before the output path
// (for instance lavfi sources and codecs). Returns false and warns on failure.
bool generateClip(const QString &path, const QStringList &inputArgs);
// The same with the options written as one text split at blanks; the video is H.264 made fast.
bool generateClip(const QString &path, const QString &inputArgs);
// A small clip: `seconds` of a 320x240 test picture at 25 fps with a tone, H.264 and AAC.
bool generateSimpleClip(const QString &path, double seconds = 1.0);

// A Blu-ray subtitle stream (.sup) with one picture: a white `object` rectangle on a `canvas` from `start`
// to `end` seconds. ffmpeg writes no picture subtitles from text, so the bytes are made here: composition,
// window, palette, one run-length object and end segments, then a composition that clears it.
QByteArray pgsSubtitle(QSize canvas, QRect object, double start, double end);
// A film-like Matroska file of 2 s at 160x90: H.264; AC-3 5.1 (eng) and AAC stereo (fre, titled
// "Commentary"); SubRip (eng), SubRip (fre, forced) and PGS (ger, a white 64x16 box at 48,20 from
// 0.2 s to 1.8 s); two chapters.
bool generateFilm(const QString &path);
// A 0.4 s 128x72 clip of x265's, ten-bit, with the signalling of `kind`: "hdr10" (PQ, a Display P3
// mastering display from 0.005 to 1000 cd/m², light levels 1000 and 400), "hlg", or "sdr10" (none).
bool generateTenBitClip(const QString &path, const QString &kind);

// Has the encoder run each job as the shell text `command` makes of it, whatever the job's settings.
void runShell(BatchEncoder &encoder, std::function<QString(const MediaVideo &job)> command);
// Starts the jobs and waits for the run's end.
bool runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs, const RunOptions &options = {});
// ffprobe's quiet answer on a file, for instance "-show_entries stream=codec_name -of csv=p=0".
QByteArray ffprobe(const QString &file, const QString &args);

// This process's environment with "NAME=value" entries added or replaced.
QProcessEnvironment environmentWith(const QStringList &entries);

// Runs the program and returns its exit code (-1 when it did not start or crashed), with its output.
int run(const QString &program, const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr,
        const QStringList &extraEnv = {}, int timeoutMs = 120000);

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
// Every name in a folder, hidden ones too, sorted.
QStringList entries(const QString &dir);

// Sets environment variables (an empty value unsets) for its lifetime, then restores them.
class ScopedEnv
{
public:
    ScopedEnv(std::initializer_list<std::pair<const char *, QByteArray>> values);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    QList<std::pair<const char *, QByteArray>> m_old;
};

// An empty working directory for its lifetime: whatever a hostile name makes a shell run lands here.
class WorkingDir
{
public:
    WorkingDir();
    ~WorkingDir();
    WorkingDir(const WorkingDir &) = delete;
    WorkingDir &operator=(const WorkingDir &) = delete;
    QString path() const { return m_dir.path(); }
    bool isEmpty() const { return entries(m_dir.path()).isEmpty(); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

} // namespace TestSupport
