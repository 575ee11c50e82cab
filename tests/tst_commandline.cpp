// The encoder command line: exact texts for three reference jobs and the edge cases, then real
// encodes of generated clips through the real bash.
#include "TestSupport.h"

#include "media/JobCommand.h"
#include "media/MediaProbe.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using JobEdit = std::function<void(MediaVideo &job)>;
Q_DECLARE_METATYPE(JobEdit)

namespace {

MediaVideo example1()
{
    MediaVideo job(QStringLiteral("/data/in/clip.mov"), QStringLiteral("/data/out/clip_x265_aac.mp4"));
    job.container = 0;
    job.deInterlace = true;
    job.isQuicktime = true;
    job.videoEncoder = VideoEncoders::libx265;
    job.videoDebit = 1000;
    job.width = job.height = -2;
    job.audioEncoder = AudioEncoders::aac;
    job.audioDebit = 160;
    job.audioSampling = 44100;
    job.videoPixelAspectRatio = 1.0;
    job.videoTracks = QStringList{"1 0 AVC 5 000 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000"};
    job.audioTracks =
        QStringList{"Select 1 track(s) for encoding", "2 1 AAC 128 kb/s CBR 48.0 kHz 2 English"};
    job.audioTrack = 1;
    job.subtitleLanguage = QStringLiteral("fre");
    return job;
}

const QString T = QStringLiteral("\"/app/Resources/ffmpeg\" -hide_banner ");
const QString IN = QStringLiteral("-y -i \"/data/in/clip.mov\" ");
const QString VF = QStringLiteral("-vf yadif=0:-1:0,scale=-2:-2 ");
const QString V = QStringLiteral("-map 0:0 -c:v libx265 -b:v 1000k ");
const QString PIX = QStringLiteral("-pix_fmt yuv420p ");
const QString A = QStringLiteral("-map 0:1 -c:a aac -b:a 160k -ac 2 -ar 44100 -async 1 ");
const QString OUT = QStringLiteral("-tag:v hvc1 -f mp4 \"/data/out/clip_x265_aac.mp4\"");
const QString MP4 = QStringLiteral("-f mp4 \"/data/out/clip_x265_aac.mp4\"");
const QString MKV = QStringLiteral("-f matroska \"/data/out/clip_x265_aac.mp4\"");
const QString EXAMPLE1 = T + IN + VF + V + PIX + A + OUT;
const QString SUB = QStringLiteral("/data/in/clip.srt");
const QString IN_SUB = QStringLiteral("-y -i \"/data/in/clip.mov\" -i \"/data/in/clip.srt\" ");

const QStringList threeSubtitles{"No subtitle", "Select 3 track(s) for encoding", "3 UTF-8 English",
                                 "4 PGS French", "5 ASS German"};

// Runs the job's line through the real bash; empty text when it wrote its output, else what went wrong.
QString encode(const ToolRunner &tools, const MediaVideo &job)
{
    const CommandLine line = commandLine(job, tools, QString());
    if (!line.ok())
        return line.error;
    QString log;
    const ShellOutcome outcome = tools.runFfmpegShell(line.text, [&](const QString &c) { log += c; });
    return outcome.succeeded() && QFileInfo(job.destination).size() > 0 ? QString() : line.text + "\n" + log;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    bool generate(const char *name, const QString &args) const
    {
        return TestSupport::generateClip(m_dir.filePath(name), args);
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
        QVERIFY(m_dir.isValid());
        const QString video = QStringLiteral("-f lavfi -i testsrc=size=160x120:rate=10:duration=1");
        // Black bars above and below: the picture is 160x80 from y 20.
        QVERIFY(generate("base.mp4", "-f lavfi -i testsrc=size=160x80:rate=10:duration=1 -f lavfi -i "
                                     "sine=duration=1 -vf pad=160:120:0:20 -c:a aac"));
        QVERIFY(TestSupport::writeFile(m_dir.filePath("a.srt"), "1\n00:00:00,000 --> 00:00:00,900\nHello\n"));
        const QString in = " -i " + m_dir.filePath("a.srt");
        QVERIFY(generate("subs.mkv", video + in + in + in +
                                         " -map 0 -map 1 -map 2 -map 3 -c:s srt -metadata:s:s:0 language=eng "
                                         "-metadata:s:s:1 language=fre -metadata:s:s:2 language=ger"));
    }

    void texts_data()
    {
        QTest::addColumn<JobEdit>("edit");
        QTest::addColumn<QString>("detected"); // what border detection reports, asked for by a "-1" crop
        QTest::addColumn<QString>("expected"); // for a refused job, a part of its message
        QTest::addColumn<bool>("fails");

        const auto row = [](const char *name, const QString &expected, const JobEdit &edit) {
            QTest::newRow(name) << edit << QString() << expected << false;
        };
        const auto refused = [](const char *name, const QString &message, const JobEdit &edit) {
            QTest::newRow(name) << edit << QString() << message << true;
        };
        const auto detected = [](const char *name, const QString &report, const QString &expected) {
            const JobEdit edit = [](MediaVideo &j) {
                j.videoCrop = "-1";
                j.videoWidth = 1920;
                j.videoHeight = 1080;
            };
            QTest::newRow(name) << edit << report << expected << false;
        };
        // Streams are mapped by the order written in their line, not by the line's place in the list.
        const auto audioLines = [&row](const char *name, const QStringList &lines, int track,
                                       const QString &expected) {
            row(name, expected, [=](MediaVideo &j) {
                j.audioTracks = lines;
                j.audioTrack = track;
            });
        };
        const auto subtitles = [&](const char *name, int container, const QStringList &lines, int track,
                                   const QString &external, const QString &language, const QString &expected,
                                   bool fails = false) {
            const JobEdit edit = [=](MediaVideo &j) {
                j.container = container;
                j.subtitleTracks = lines;
                j.subtitleTrack = track;
                j.subtitleExternal = external;
                j.subtitleLanguage = language;
            };
            fails ? refused(name, expected, edit) : row(name, expected, edit);
        };

        row("example 1", EXAMPLE1, [](MediaVideo &) {});
        row("example 2",
            QStringLiteral(
                "\"/app/Resources/ffmpeg\" -hide_banner -y -i \"/data/in/concert.ts\" -i "
                "\"/data/in/concert.srt\" -vf scale=iw*sar:ih,setsar=1,crop=1920:800:0:140,scale=1280:-2 "
                "-map 0:0 -c:v h264_videotoolbox -b:v 4000k -preset slow -profile:v high -tune film "
                "-pix_fmt yuv420p -map 0:1 -c:a copy -async 1 -map 0:2 -c:a copy -async 1 -map 1:0 "
                "-disposition:s:0 0 -metadata:s:s:0 language=eng -threads 4 -f matroska "
                "\"/data/out/concert_x264_copy.mkv\""),
            [](MediaVideo &j) {
                j.source = "/data/in/concert.ts";
                j.destination = "/data/out/concert_x264_copy.mkv";
                j.container = 1;
                j.deInterlace = false;
                j.videoEncoder = VideoEncoders::h264_videotoolbox;
                j.videoDebit = 4000;
                j.width = 1280;
                j.videoCrop = "1920:800:0:140";
                j.videoProfile = VideoProfiles::high;
                j.videoPreset = VideoPresets::slow;
                j.videoTune = VideoTunes::film;
                j.audioEncoder = AudioEncoders::copy;
                j.videoPixelAspectRatio = 1.333;
                j.videoTracks =
                    QStringList{"256 0-0 AVC High@L4 8 000 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.333"};
                j.audioTracks =
                    QStringList{"Select 2 track(s) for encoding", "257 0-1 AC-3 448 kb/s CBR 48.0 kHz 6",
                                "258 0-2 AAC 128 kb/s VBR 48.0 kHz 2 English"};
                j.audioTrack = 0;
                j.subtitleExternal = "/data/in/concert.srt";
                j.subtitleLanguage = "eng";
                j.otherParam = "-threads 4";
            });
        row("example 3", T + IN + VF + V + "-preset medium " + PIX + A + OUT, [](MediaVideo &j) {
            j.videoProfile = VideoProfiles::high10;
            j.videoTune = VideoTunes::film;
            j.videoPreset = VideoPresets::medium;
        });

        row("automatic rates",
            T + IN + VF + "-map 0:0 -c:v libx265 " + PIX + "-map 0:1 -c:a aac -ac 2 -async 1 " + OUT,
            [](MediaVideo &j) { j.videoDebit = j.audioDebit = j.audioSampling = 0; });
        row("never probed picture",
            T + IN + "-vf yadif=0:-1:0,scale=iw*sar:ih,setsar=1,scale=-2:-2 " + V + PIX + A + OUT,
            [](MediaVideo &j) { j.videoPixelAspectRatio = 0; });
        // Deinterlacing left to the source: only an interlaced one is.
        row("automatic deinterlacing, interlaced source", EXAMPLE1, [](MediaVideo &j) {
            j.deInterlace = false;
            j.deInterlaceAuto = j.interlaced = true;
        });
        row("automatic deinterlacing, progressive source", T + IN + "-vf scale=-2:-2 " + V + PIX + A + OUT,
            [](MediaVideo &j) {
                j.deInterlace = false;
                j.deInterlaceAuto = true;
            });
        row("no QuickTime tag", T + IN + VF + V + PIX + A + MP4,
            [](MediaVideo &j) { j.isQuicktime = false; });

        detected("detected crop", "crop=1904:800:8:140",
                 T + IN + "-vf yadif=0:-1:0,crop=1904:800:8:140,scale=-2:-2 " + V + PIX + A + OUT);
        detected("detected text from a file name is left out", "crop=$(touch X).mp4':", EXAMPLE1);
        detected("detector rounding on a whole picture", "crop=1920:1072:0:4",
                 T + IN + "-vf yadif=0:-1:0,crop=1920:1080:0:0,scale=-2:-2 " + V + PIX + A + OUT);

        // Profiles and tunes an encoder does not take are left out.
        row("high10 dropped, stillimage kept on h264 toolbox",
            T + IN + VF + "-map 0:0 -c:v h264_videotoolbox -b:v 1000k -tune stillimage " + PIX + A + MP4,
            [](MediaVideo &j) {
                j.videoEncoder = VideoEncoders::h264_videotoolbox;
                j.videoProfile = VideoProfiles::high10;
                j.videoTune = VideoTunes::stillimage;
            });

        row("second video line, with a long address",
            T + IN + VF + "-map 0:12 -c:v libx265 -b:v 1000k " + PIX + A + OUT, [](MediaVideo &j) {
                j.videoTracks = QStringList{"1 0 AVC", "3 0-12 HEVC"};
                j.videoTrack = 1;
            });

        const QString a2 = "-map 0:2 -c:a aac -b:a 160k -ac 2 -ar 44100 -async 1 ";
        const QStringList twoAudio{"Select 2 track(s) for encoding", "2 1 AAC LC", "3 2 AAC LC"};
        audioLines("second of two plain audio lines", twoAudio, 2, T + IN + VF + V + PIX + a2 + OUT);
        audioLines("every plain audio line", twoAudio, 0, T + IN + VF + V + PIX + A + a2 + OUT);
        audioLines("no audio stream", {"Select 0 track(s) for encoding"}, 1, T + IN + VF + V + PIX + OUT);
        // The source's layout kept, surround included; MP3 holds two channels at most.
        row("channels kept", T + IN + VF + V + PIX + "-map 0:1 -c:a aac -b:a 160k -ar 44100 -async 1 " + OUT,
            [](MediaVideo &j) { j.audioChannels = AudioChannels::Keep; });
        row("channels kept, but MP3",
            T + IN + VF + V + PIX + "-map 0:1 -c:a libmp3lame -b:a 160k -ac 2 -ar 44100 -async 1 " + OUT,
            [](MediaVideo &j) {
                j.audioChannels = AudioChannels::Keep;
                j.audioEncoder = AudioEncoders::libmp3lame;
            });

        // AV1 and VP9: their own quality scale (0 to 63) and presets, no x264 profile or tune; Opus at 48 kHz
        // rather than the 44100 it refuses, FLAC without a bitrate; WebM writes no MP4 subtitle codec.
        const QString WEBM = "-f webm \"/data/out/clip_x265_aac.mp4\"";
        row("AV1 in WebM, beyond its quality scale",
            T + IN + VF + "-map 0:0 -c:v libsvtav1 -crf 63 -preset 8 " + PIX +
                "-map 0:1 -c:a libopus -b:a 160k -ac 2 -ar 48000 -async 1 " + WEBM,
            [](MediaVideo &j) {
                j.container = 2;
                j.videoEncoder = VideoEncoders::libsvtav1;
                j.videoRate = VideoRate::Quality;
                j.videoQuality = 70;
                j.videoProfile = VideoProfiles::high;
                j.videoTune = VideoTunes::film;
                j.audioEncoder = AudioEncoders::libopus;
            });
        row("VP9 in WebM with an external subtitle",
            T + IN_SUB + VF + "-map 0:0 -c:v libvpx-vp9 -b:v 1000k -deadline good -cpu-used 0 -row-mt 1 " +
                PIX +
                "-map 0:1 -c:a libopus -b:a 160k -ac 2 -ar 24000 -async 1 -map 1:0 -c:s webvtt "
                "-disposition:s:0 0 "
                "-metadata:s:s:0 language=fre " +
                WEBM,
            [](MediaVideo &j) {
                j.container = 2;
                j.videoEncoder = VideoEncoders::libvpx_vp9;
                j.videoPreset = VideoPresets::veryslow;
                j.audioEncoder = AudioEncoders::libopus;
                j.audioSampling = 24000;
                j.subtitleExternal = SUB;
            });
        row("FLAC", T + IN + VF + V + PIX + "-map 0:1 -c:a flac -ac 2 -ar 44100 -async 1 " + MKV,
            [](MediaVideo &j) {
                j.container = 1;
                j.audioEncoder = AudioEncoders::flac;
            });
        // mediainfo describes the format of an audio line, and not Opus nor Vorbis.
        const QStringList opusAndAac{"Select 2 track(s) for encoding",
                                     "2 1  96.0 kb/s VBR 48.0 kHz 2 English",
                                     "3 2 Advanced Audio Codec Low Complexity 128 kb/s CBR 48.0 kHz 2"};
        const auto copiedVp9 = [opusAndAac](MediaVideo &j) {
            j.container = 2;
            j.videoEncoder = VideoEncoders::copy;
            j.audioEncoder = AudioEncoders::copy;
            j.videoTracks = QStringList{"1 0 VP9 800 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000"};
            j.audioTracks = opusAndAac;
        };
        row("copied VP9 and Opus in WebM", T + IN + "-map 0:0 -c:v copy -map 0:1 -c:a copy -async 1 " + WEBM,
            copiedVp9);
        refused(
            "copied AAC beside Opus in WebM",
            "WebM cannot hold the source's audio stream “3 2 Advanced Audio Codec Low Complexity 128 kb/s "
            "CBR 48.0 kHz 2” as it is: choose libopus, or MKV.",
            [copiedVp9](MediaVideo &j) {
                copiedVp9(j);
                j.audioTrack = 0;
            });

        // Described streams name every format, PCM too, which the track lines leave out.
        refused(
            "copied PCM in MP4",
            "MP4 cannot hold the source's audio stream “1 · English · PCM stereo” as it is: choose an audio "
            "encoder, or MKV.",
            [](MediaVideo &j) {
                j.audioEncoder = AudioEncoders::copy;
                j.streams = {
                    {MediaStream::Kind::Audio, 1, "PCM", "en", "English", "", 2, 0, 0, false, false}};
            });
        refused(
            "copied PCM in WebM",
            "WebM cannot hold the source's audio stream “2 · PCM stereo” as it is: choose libopus, or MKV.",
            [copiedVp9](MediaVideo &j) {
                copiedVp9(j);
                j.audioTrack = 0;
                j.streams = {{MediaStream::Kind::Audio, 1, "Opus", "", "", "", 2, 0, 0, false, false},
                             {MediaStream::Kind::Audio, 2, "PCM", "", "", "", 2, 0, 0, false, false}};
            });

        const QString ext = "-map 1:0 -c:s mov_text -disposition:s:0 0 ";
        subtitles("external subtitle in mp4", 0, {}, 0, SUB, "fre",
                  T + IN_SUB + VF + V + PIX + A + ext + "-metadata:s:s:0 language=fre " + OUT);
        subtitles("external subtitle that does not exist", 0, {}, 0, "/data/in/gone.srt", "fre", EXAMPLE1);
        // MP4 cannot hold a picture subtitle: it is left out (the row says so), the text ones go.
        subtitles("picture subtitle in mp4", 0, threeSubtitles, 1, "", "fre",
                  T + IN + VF + V + PIX + A + "-map 0:s:0 -map 0:s:2 -c:s mov_text " + OUT);
        subtitles("internal and external subtitle in mkv", 1, threeSubtitles, 4, SUB, "eng",
                  T + IN_SUB + VF + V + PIX + A +
                      "-map 0:s:2 -c:s copy -map 1:0 -disposition:s:1 0 -metadata:s:s:1 language=eng " + MKV);

        row("parameters stay words and never run",
            T + IN + VF + V + PIX + A + "-metadata \"title=A B\" \"\\$(touch\" \"X)\" \"\\`id\\`\" " + OUT,
            [](MediaVideo &j) { j.otherParam = "-metadata 'title=A B' $(touch X) `id`"; });
        row("hostile paths",
            T + "-y -i \"/in/a \\\"b\\\" \\$(x) \\`y\\` \\\\z;&'.mov\" " + VF + V + PIX + A +
                "-tag:v hvc1 -f mp4 \"/out/ été  two.mp4\"",
            [](MediaVideo &j) {
                j.source = "/in/a \"b\" $(x) `y` \\z;&'.mov";
                j.destination = "/out/ été  two.mp4";
            });
        // Control characters leave the double quotes for $'...' pieces, "!" for '!': one line, same words.
        row("control characters in paths",
            T + "-y -i \"/in/a\"$'\\x0a'\"b\"$'\\x1b\\x07''!'\".mov\" " + VF + V + PIX + A +
                "-tag:v hvc1 -f mp4 $'\\x09'\"out\"$'\\x7f\\xc2\\x9b'\".mp4\"",
            [](MediaVideo &j) {
                j.source = "/in/a\nb\x1b\x07!.mov";
                j.destination = QString::fromUtf8("\tout\x7f\u009b.mp4");
            });
        row("output that looks like an option",
            T + IN + VF + V + PIX + A + "-tag:v hvc1 -f mp4 \"./-out.mp4\"",
            [](MediaVideo &j) { j.destination = "-out.mp4"; });

        // The video copied as it is: no filter, rate, preset, profile, tune or picture format, whatever
        // the job holds; HEVC keeps its QuickTime tag in MP4, and MP4 refuses what it cannot hold.
        const auto copied = [](MediaVideo &j) {
            j.videoEncoder = VideoEncoders::copy;
            j.audioEncoder = AudioEncoders::copy;
            j.videoRate = VideoRate::Quality;
            j.videoCrop = "1920:800:0:140";
            j.width = 1280;
            j.videoPreset = VideoPresets::slow;
            j.videoProfile = VideoProfiles::high;
            j.videoTune = VideoTunes::film;
        };
        row("remux", T + IN + "-map 0:0 -c:v copy -map 0:1 -c:a copy -async 1 " + MP4, copied);
        row("copied HEVC for QuickTime", T + IN + "-map 0:0 -c:v copy " + A + OUT, [](MediaVideo &j) {
            j.videoEncoder = VideoEncoders::copy;
            j.videoTracks = QStringList{"1 0 HEVC 5 000 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000"};
        });
        refused("copy of a video MP4 cannot hold",
                "MP4 cannot hold the source's FFV1 video as it is: choose MKV, or an encoder.",
                [copied](MediaVideo &j) {
                    copied(j);
                    j.videoTracks = QStringList{"1 0 FFV1 25.0 Mb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000"};
                });
        row("copy of the same into MKV", T + IN + "-map 0:0 -c:v copy -map 0:1 -c:a copy -async 1 " + MKV,
            [copied](MediaVideo &j) {
                copied(j);
                j.container = 1;
                j.videoTracks = QStringList{"1 0 FFV1 25.0 Mb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000"};
            });

        refused("no video stream", "has no video stream", [](MediaVideo &j) { j.videoTracks.clear(); });
        refused("stored crop that is not a crop", "is not of the form width:height:x:y",
                [](MediaVideo &j) { j.videoCrop = "$(touch X)"; });
        refused("crop outside the picture", "“-80:100:2000:0” does not fit in the picture (1920×1080)",
                [](MediaVideo &j) {
                    j.videoWidth = 1920, j.videoHeight = 1080;
                    j.videoCrop = "-80:100:2000:0";
                });
        // The crop applies once the pixels are square: 768 wide here.
        row("crop of a PAL picture",
            T + IN + "-vf yadif=0:-1:0,scale=iw*sar:ih,setsar=1,crop=760:536:4:16,scale=-2:-2 " + V + PIX +
                A + OUT,
            [](MediaVideo &j) {
                j.videoWidth = 720, j.videoHeight = 576;
                j.videoPixelAspectRatio = 16.0 / 15.0;
                j.videoCrop = "760:536:4:16";
            });
    }

    void texts()
    {
        QFETCH(JobEdit, edit);
        QFETCH(QString, detected);
        QFETCH(QString, expected);
        QFETCH(bool, fails);

        MediaVideo job = example1();
        edit(job);
        CommandContext context;
        context.ffmpegPath = QStringLiteral("/app/Resources/ffmpeg");
        context.fileExists = [](const QString &path) {
            return path == SUB || path == "/data/in/concert.srt";
        };
        bool detectionRan = false;
        context.detectCrop = [&] {
            detectionRan = true;
            return detected;
        };
        const CommandLine line = buildCommandLine(job, context);
        if (fails) {
            QVERIFY(!line.ok());
            QVERIFY(line.text.isEmpty());
            QVERIFY2(line.error.contains(expected), qPrintable(line.error));
        } else {
            QVERIFY2(line.ok(), qPrintable(line.error));
            QCOMPARE(line.text, expected);
            QCOMPARE(detectionRan, job.videoCrop == QLatin1String("-1"));
        }
    }

    // Real clips, some under hostile names, and the real bash: probed with border detection, the command
    // built and run; the chosen streams arrive in the output (as mediainfo reports them), the picture is
    // cropped as detected when the job starts, and a name is taken as a name.
    void encodes_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("name"); // of the copy converted, and of its output; empty: the clip itself
        QTest::addColumn<QString>("output"); // .mkv: Matroska
        QTest::addColumn<int>("audioTrack");
        QTest::addColumn<int>("subtitleTrack");
        QTest::addColumn<bool>("external");
        QTest::addColumn<QString>("streams"); // audio languages | subtitles | picture height
        const auto row = [](const char *name, const char *clip, const QString &copy, const char *output,
                            int audioTrack, int subtitleTrack, bool external, const char *streams) {
            QTest::newRow(name) << QString(clip) << copy << QString(output) << audioTrack << subtitleTrack
                                << external << QString(streams);
        };
        row("the French subtitle", "subs.mkv", "", "one sub.mp4", 0, 3, false, "|Timed Text:French:Yes#|120");
        // The external stream comes last and is not the default one.
        row("every subtitle and an external one", "subs.mkv", "", "all.mkv", 0, 1, true,
            "|UTF-8:English:Yes#UTF-8:French:No#UTF-8:German:No#UTF-8:Spanish:No#|120");
        // Shell text in a name is tavrix-cli's test; here, what a terminal or a line would take apart.
        row("hostile name", "base.mp4",
            QStringLiteral("été 日本 two\nlines tab\tesc\x1b]0;title\x07 del\x7f cr\r crop=1:2:3:4.mp4"), "",
            1, 0, false, "#||80");
    }

    void encodes()
    {
        QFETCH(QString, clip);
        QFETCH(QString, name);
        QFETCH(QString, output);
        QFETCH(int, audioTrack);
        QFETCH(int, subtitleTrack);
        QFETCH(bool, external);
        const QString source = m_dir.filePath(name.isEmpty() ? clip : name);
        QVERIFY(name.isEmpty() || QFile::copy(m_dir.filePath(clip), source));
        const TestSupport::WorkingDir cwd;
        const ToolRunner tools(TestSupport::realResourceDir());
        Preferences::writeBool(Preferences::Key::autoCrop, true);
        MediaVideo::Ptr job =
            createMediaVideo(source, cwd.path() + "/out/" + output + name, tools, Preferences::jobSettings());
        Preferences::remove(Preferences::Key::autoCrop);
        QVERIFY(QDir(cwd.path()).mkdir("out"));
        job->container = job->destination.endsWith(".mkv") ? 1 : 0;
        job->videoCrop = "-1";
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::ultrafast;
        job->audioTrack = audioTrack;
        job->subtitleTrack = subtitleTrack;
        if (external) {
            job->subtitleExternal = m_dir.filePath("a.srt");
            job->subtitleLanguage = "spa";
        }
        QCOMPARE(encode(tools, *job), QString());
        QTEST(QStringList(
                  {tools.mediaInfoText(job->destination, "Audio", "%Language/String%#"),
                   tools.mediaInfoText(job->destination, "Text", "%Format%:%Language/String%:%Default%#"),
                   tools.mediaInfoField(job->destination, "Video", "Height")})
                  .join('|'),
              "streams");
        QCOMPARE(TestSupport::entries(cwd.path()), QStringList{"out"});
    }

    // Ten bits and high dynamic range through real conversions, read back with ffprobe: kept, signalling
    // included, where x265 carries them; tone-mapped to 8-bit BT.709 where the output cannot carry them or
    // the job asks for standard range.
    void highDynamicRange_data()
    {
        QTest::addColumn<QString>("kind");    // of the source: hdr10, hlg, or "" for 8-bit H.264
        QTest::addColumn<QString>("encoder"); // raw text
        QTest::addColumn<bool>("sdr");        // the job's "Convert HDR to SDR"
        QTest::addColumn<QString>("stream");  // pix_fmt, colour space, transfer, primaries
        QTest::addColumn<QString>("frame");   // the first frame's HDR side data
        const auto row = [](const char *name, const char *kind, const char *encoder, bool sdr,
                            const char *stream, const char *frame = "") {
            QTest::newRow(name) << QString(kind) << QString(encoder) << sdr << QString(stream)
                                << QString(frame);
        };
        const char *kept = "yuv420p10le,bt2020nc,smpte2084,bt2020";
        const char *hlg = "yuv420p10le,bt2020nc,arib-std-b67,bt2020";
        const char *mapped = "yuv420p,bt709,bt709,bt709";
        row("HDR10 to x265", "hdr10", "libx265", false, kept,
            "Mastering display metadata|34000/50000|50/10000|10000000/10000 / Content light level "
            "metadata|1000|400");
        row("HLG to x265", "hlg", "libx265", false, hlg);
        row("HDR10 to x264", "hdr10", "libx264", false, mapped);
        row("HLG to x264", "hlg", "libx264", false, mapped);
        row("HDR10 to x265, asked for SDR", "hdr10", "libx265", true, mapped);
        // AV1's fixed-point units: 0.68, 0.005 and 1000 cd/m² again
        row("HDR10 to AV1", "hdr10", "libsvtav1", false, kept,
            "Mastering display metadata|44564/65536|82/16384|256000/256 / Content light level "
            "metadata|1000|400");
        row("HLG to VP9", "hlg", "libvpx-vp9", false, hlg);
        row("8-bit to x265", "", "libx265", false, "yuv420p,unknown,unknown,unknown");
    }
    void highDynamicRange()
    {
        QFETCH(QString, kind);
        QFETCH(QString, encoder);
        QFETCH(bool, sdr);
        const QString source = m_dir.filePath("colour-" + kind + ".mkv");
        QVERIFY(QFileInfo::exists(source) ||
                (kind.isEmpty() ? TestSupport::generateClip(source, "-f lavfi -i testsrc2=s=128x72:d=0.4")
                                : TestSupport::generateTenBitClip(source, kind)));
        const ToolRunner tools(TestSupport::realResourceDir());
        const QString output =
            m_dir.filePath(QStringLiteral("colour-%1-%2-%3.mp4").arg(kind, encoder).arg(sdr));
        const MediaVideo::Ptr job = createMediaVideo(source, output, tools, Preferences::jobSettings());
        job->container = 0;
        job->videoEncoder = *caseFromRawText<VideoEncoders>(encoder);
        job->videoPreset = VideoPresets::ultrafast;
        job->hdrOutput = sdr ? HdrOutput::Sdr : HdrOutput::Keep;
        QCOMPARE(encode(tools, *job), QString());
        const QStringList head{"-v", "error", "-select_streams", "v:0"};
        QByteArray stream, frame;
        TestSupport::run("ffprobe",
                         head + QStringList{"-show_entries",
                                            "stream=pix_fmt,color_space,color_transfer,color_primaries",
                                            "-of", "csv=p=0", output},
                         &stream);
        TestSupport::run("ffprobe",
                         head +
                             QStringList{"-read_intervals", "%+#1", "-show_entries",
                                         "frame=side_data_list:side_data=side_data_type,red_x,min_luminance,"
                                         "max_luminance,max_content,max_average",
                                         "-of", "compact=p=0:nk=1", output},
                         &frame);
        QTEST(QString::fromUtf8(stream).trimmed(), "stream");
        const QStringList hdrData = QString::fromUtf8(frame).split('\n').filter(" metadata|");
        QTEST(hdrData.join(" / "), "frame");
    }

    // The command shown before a run names the crop still to detect; without ffmpeg there is none.
    void describedCommand()
    {
        MediaVideo job = example1();
        job.videoCrop = "-1";
        const CommandLine shown =
            commandLine(job, ToolRunner(TestSupport::realResourceDir()), QString(), CropDetection::Describe);
        QVERIFY2(shown.text.contains(QStringLiteral("-vf yadif=0:-1:0,") + DetectedCropPlaceholder +
                                     ",scale=-2:-2 "),
                 qPrintable(shown.text + shown.error));
        const TestSupport::ResourceDir none(TestSupport::ResourceDir::Entry::Missing,
                                            TestSupport::ResourceDir::Entry::Missing);
        const CommandLine missing =
            commandLine(job, ToolRunner(none.path()), QString(), CropDetection::Describe);
        QVERIFY(!missing.ok() && missing.error.contains("ffmpeg"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
