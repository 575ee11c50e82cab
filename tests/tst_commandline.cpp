// The encoder command line: exact texts for the worked examples and the edge cases, then real
// encodes of generated clips through the real bash.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using Edit = std::function<void(MediaVideo &job, CommandContext &context)>;
Q_DECLARE_METATYPE(Edit)

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
const QString MKV = QStringLiteral("-f matroska \"/data/out/clip_x265_aac.mp4\"");
const QString SUB = QStringLiteral("/data/in/clip.srt");

const QStringList threeSubtitles{"No subtitle", "Select 3 track(s) for encoding", "3 UTF-8 English",
                                 "4 PGS French", "5 ASS German"};

void detected(CommandContext &context, const QString &text)
{
    context.detectCrop = [text] { return text; };
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
    }

    void texts_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("fails");

        const auto row = [](const char *name, Edit edit, const QString &expected) {
            QTest::newRow(name) << edit << expected << false;
        };
        const auto failing = [](const char *name, Edit edit) {
            QTest::newRow(name) << edit << QString() << true;
        };

        row(
            "example 1", [](MediaVideo &, CommandContext &) {}, T + IN + VF + V + PIX + A + OUT);
        QTest::newRow("example 2")
            << Edit([](MediaVideo &j, CommandContext &) {
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
               })
            << QStringLiteral(
                   "\"/app/Resources/ffmpeg\" -hide_banner -y -i \"/data/in/concert.ts\" -i "
                   "\"/data/in/concert.srt\" -vf scale=iw*sar:ih,setsar=1,crop=1920:800:0:140,scale=1280:-2 "
                   "-map 0:0 -c:v h264_videotoolbox -b:v 4000k -preset slow -profile:v high -tune film "
                   "-pix_fmt yuv420p -map 0:1 -c:a copy -async 1 -map 0:2 -c:a copy -async 1 -map 1:0 "
                   "-disposition:s:0 0 -metadata:s:s:0 language=eng -threads 4 -f matroska "
                   "\"/data/out/concert_x264_copy.mkv\"")
            << false;
        row(
            "example 3",
            [](MediaVideo &j, CommandContext &) {
                j.videoProfile = VideoProfiles::high10;
                j.videoTune = VideoTunes::film;
                j.videoPreset = VideoPresets::medium;
            },
            T + IN + VF + V + "-preset medium " + PIX + A + OUT);

        row(
            "automatic rates",
            [](MediaVideo &j, CommandContext &) { j.videoDebit = j.audioDebit = j.audioSampling = 0; },
            T + IN + VF + "-map 0:0 -c:v libx265 " + PIX + "-map 0:1 -c:a aac -ac 2 -async 1 " + OUT);
        row(
            "audio copy", [](MediaVideo &j, CommandContext &) { j.audioEncoder = AudioEncoders::copy; },
            T + IN + VF + V + PIX + "-map 0:1 -c:a copy -async 1 " + OUT);
        row(
            "never probed picture", [](MediaVideo &j, CommandContext &) { j.videoPixelAspectRatio = 0; },
            T + IN + "-vf yadif=0:-1:0,scale=iw*sar:ih,setsar=1,scale=-2:-2 " + V + PIX + A + OUT);
        row(
            "size",
            [](MediaVideo &j, CommandContext &) {
                j.width = 1280;
                j.deInterlace = false;
            },
            T + IN + "-vf scale=1280:-2 " + V + PIX + A + OUT);
        row(
            "detected crop",
            [](MediaVideo &j, CommandContext &c) {
                j.videoCrop = "-1";
                detected(c, "crop=1904:800:8:140");
            },
            T + IN + "-vf yadif=0:-1:0,crop=1904:800:8:140,scale=-2:-2 " + V + PIX + A + OUT);
        row(
            "detected text from a file name is left out",
            [](MediaVideo &j, CommandContext &c) {
                j.videoCrop = "-1";
                detected(c, "crop=$(touch X).mp4':");
            },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "detected negative crop is left out",
            [](MediaVideo &j, CommandContext &c) {
                j.videoCrop = "-1";
                detected(c, "crop=-16:-8:8:4");
            },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "nothing detected",
            [](MediaVideo &j, CommandContext &c) {
                j.videoCrop = "-1";
                detected(c, "");
            },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "main profile on hevc toolbox",
            [](MediaVideo &j, CommandContext &) {
                j.videoEncoder = VideoEncoders::hevc_videotoolbox;
                j.videoProfile = VideoProfiles::main;
            },
            T + IN + VF + "-map 0:0 -c:v hevc_videotoolbox -b:v 1000k -profile:v main " + PIX + A + OUT);
        row(
            "baseline dropped for x265",
            [](MediaVideo &j, CommandContext &) { j.videoProfile = VideoProfiles::baseline; },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "high10 on h264 toolbox dropped",
            [](MediaVideo &j, CommandContext &) {
                j.videoEncoder = VideoEncoders::h264_videotoolbox;
                j.videoProfile = VideoProfiles::high10;
            },
            T + IN + VF + "-map 0:0 -c:v h264_videotoolbox -b:v 1000k " + PIX + A +
                "-f mp4 \"/data/out/clip_x265_aac.mp4\"");
        row(
            "stillimage dropped for x265",
            [](MediaVideo &j, CommandContext &) { j.videoTune = VideoTunes::stillimage; },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "stillimage on h264 toolbox",
            [](MediaVideo &j, CommandContext &) {
                j.videoEncoder = VideoEncoders::h264_videotoolbox;
                j.videoTune = VideoTunes::stillimage;
            },
            T + IN + VF + "-map 0:0 -c:v h264_videotoolbox -b:v 1000k -tune stillimage " + PIX + A +
                "-f mp4 \"/data/out/clip_x265_aac.mp4\"");
        row(
            "x264 in mp4 has no hvc1 tag",
            [](MediaVideo &j, CommandContext &) {
                j.videoEncoder = VideoEncoders::libx264;
                j.videoProfile = VideoProfiles::high444;
                j.videoTune = VideoTunes::grain;
            },
            T + IN + VF + "-map 0:0 -c:v libx264 -b:v 1000k -profile:v high444 -tune grain " + PIX + A +
                "-f mp4 \"/data/out/clip_x265_aac.mp4\"");
        row(
            "no QuickTime tag", [](MediaVideo &j, CommandContext &) { j.isQuicktime = false; },
            T + IN + VF + V + PIX + A + "-f mp4 \"/data/out/clip_x265_aac.mp4\"");
        row(
            "video line with a long address",
            [](MediaVideo &j, CommandContext &) { j.videoTracks = {"3 0-12 HEVC"}; },
            T + IN + VF + "-map 0:1 -c:v libx265 -b:v 1000k " + PIX + A + OUT);
        row(
            "video line without order", [](MediaVideo &j, CommandContext &) { j.videoTracks = {"AVC"}; },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "video track past the list reads as the first",
            [](MediaVideo &j, CommandContext &) {
                j.videoTracks = {"1 0 AVC", "2 3 AVC"};
                j.videoTrack = 7;
            },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "second video track",
            [](MediaVideo &j, CommandContext &) {
                j.videoTracks = {"1 0 AVC", "2 3 AVC"};
                j.videoTrack = 1;
            },
            T + IN + VF + "-map 0:3 -c:v libx265 -b:v 1000k " + PIX + A + OUT);

        const QString a2 = "-map 0:2 -c:a aac -b:a 160k -ac 2 -ar 44100 -async 1 ";
        row(
            "second of two plain audio lines",
            [](MediaVideo &j, CommandContext &) {
                j.audioTracks = {"Select 2 track(s) for encoding", "2 1 AAC LC", "3 2 AAC LC"};
                j.audioTrack = 2;
            },
            T + IN + VF + V + PIX + a2 + OUT);
        row(
            "every plain audio line",
            [](MediaVideo &j, CommandContext &) {
                j.audioTracks = {"Select 2 track(s) for encoding", "2 1 AAC LC", "3 2 AAC LC"};
                j.audioTrack = 0;
            },
            T + IN + VF + V + PIX + A + a2 + OUT);
        row(
            "audio lines without address or order",
            [](MediaVideo &j, CommandContext &) {
                j.audioTracks = {"Select 2 track(s) for encoding", "AAC", " "};
                j.audioTrack = 0;
            },
            T + IN + VF + V + PIX + A + A + OUT);
        row(
            "no audio stream",
            [](MediaVideo &j, CommandContext &) {
                j.audioTracks = {"Select 0 track(s) for encoding"};
                j.audioTrack = 1;
            },
            T + IN + VF + V + PIX + OUT);
        row(
            "never probed audio",
            [](MediaVideo &j, CommandContext &) {
                j.audioTracks.clear();
                j.audioTrack = 0;
            },
            T + IN + VF + V + PIX + OUT);
        row(
            "audio track past the list reads as every stream",
            [](MediaVideo &j, CommandContext &) { j.audioTrack = 9; }, T + IN + VF + V + PIX + A + OUT);

        const QString withSub = "-y -i \"/data/in/clip.mov\" -i \"/data/in/clip.srt\" ";
        row(
            "external subtitle in mp4", [](MediaVideo &j, CommandContext &) { j.subtitleExternal = SUB; },
            T + withSub + VF + V + PIX + A +
                "-map 1:0 -c:s mov_text -disposition:s:0 0 -metadata:s:s:0 language=fre " + OUT);
        row(
            "external subtitle in mkv",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleExternal = SUB;
                j.container = 1;
            },
            T + withSub + VF + V + PIX + A + "-map 1:0 -disposition:s:0 0 -metadata:s:s:0 language=fre " +
                MKV);
        row(
            "external subtitle without language",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleExternal = SUB;
                j.subtitleLanguage.clear();
            },
            T + withSub + VF + V + PIX + A + "-map 1:0 -c:s mov_text -disposition:s:0 0 " + OUT);
        row(
            "external subtitle with a strange language",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleExternal = SUB;
                j.subtitleLanguage = "fr; rm x";
            },
            T + withSub + VF + V + PIX + A +
                "-map 1:0 -c:s mov_text -disposition:s:0 0 -metadata:s:s:0 \"language=fr; rm x\" " + OUT);
        row(
            "external subtitle that does not exist",
            [](MediaVideo &j, CommandContext &) { j.subtitleExternal = "/data/in/gone.srt"; },
            T + IN + VF + V + PIX + A + OUT);

        row(
            "one internal subtitle in mkv",
            [](MediaVideo &j, CommandContext &) {
                j.container = 1;
                j.subtitleTracks = {"No subtitle", "3 UTF-8 English"};
                j.subtitleTrack = 1;
            },
            T + IN + VF + V + PIX + A + "-map 0:s:0 -c:s copy " + MKV);
        row(
            "one internal subtitle in mp4",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleTracks = {"No subtitle", "3 UTF-8 English"};
                j.subtitleTrack = 1;
            },
            T + IN + VF + V + PIX + A + "-map 0:s:0 -c:s mov_text " + OUT);
        row(
            "no subtitle chosen", [](MediaVideo &j, CommandContext &) { j.subtitleTracks = threeSubtitles; },
            T + IN + VF + V + PIX + A + OUT);
        row(
            "picture subtitle in mkv",
            [](MediaVideo &j, CommandContext &) {
                j.container = 1;
                j.subtitleTracks = threeSubtitles;
                j.subtitleTrack = 3;
            },
            T + IN + VF + V + PIX + A + "-map 0:s:1 -c:s copy " + MKV);
        failing("picture subtitle in mp4", [](MediaVideo &j, CommandContext &) {
            j.subtitleTracks = threeSubtitles;
            j.subtitleTrack = 3;
        });
        failing("all subtitles with a picture one in mp4", [](MediaVideo &j, CommandContext &) {
            j.subtitleTracks = threeSubtitles;
            j.subtitleTrack = 1;
        });
        row(
            "all subtitles in mkv",
            [](MediaVideo &j, CommandContext &) {
                j.container = 1;
                j.subtitleTracks = threeSubtitles;
                j.subtitleTrack = 1;
            },
            T + IN + VF + V + PIX + A + "-map 0:s:0 -map 0:s:1 -map 0:s:2 -c:s copy " + MKV);
        row(
            "internal and external subtitle in mkv",
            [](MediaVideo &j, CommandContext &) {
                j.container = 1;
                j.subtitleTracks = threeSubtitles;
                j.subtitleTrack = 4;
                j.subtitleExternal = SUB;
                j.subtitleLanguage = "eng";
            },
            T + withSub + VF + V + PIX + A +
                "-map 0:s:2 -c:s copy -map 1:0 -disposition:s:1 0 -metadata:s:s:1 language=eng " + MKV);
        row(
            "internal and external subtitle in mp4",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleTracks = {"No subtitle", "3 Timed Text English"};
                j.subtitleTrack = 1;
                j.subtitleExternal = SUB;
            },
            T + withSub + VF + V + PIX + A +
                "-map 0:s:0 -c:s mov_text -map 1:0 -disposition:s:1 0 -metadata:s:s:1 language=fre " + OUT);
        row(
            "subtitle track past the list reads as none",
            [](MediaVideo &j, CommandContext &) {
                j.subtitleTracks = threeSubtitles;
                j.subtitleTrack = 12;
            },
            T + IN + VF + V + PIX + A + OUT);

        row(
            "global parameters", [](MediaVideo &, CommandContext &c) { c.globalParams = "-threads 2"; },
            T + "-threads 2 " + IN + VF + V + PIX + A + OUT);
        row(
            "parameters stay words and never run",
            [](MediaVideo &j, CommandContext &) { j.otherParam = "-metadata 'title=A B' $(touch X) `id`"; },
            T + IN + VF + V + PIX + A + "-metadata \"title=A B\" \"\\$(touch\" \"X)\" \"\\`id\\`\" " + OUT);
        row(
            "quoted parameter",
            [](MediaVideo &j, CommandContext &) { j.otherParam = "-metadata title=\"My \\\"film\\\"\""; },
            T + IN + VF + V + PIX + A + "-metadata \"title=My \\\"film\\\"\" " + OUT);
        row(
            "hostile paths",
            [](MediaVideo &j, CommandContext &) {
                j.source = "/in/a \"b\" $(x) `y` \\z;&'.mov";
                j.destination = "/out/ été  two.mp4";
            },
            T + "-y -i \"/in/a \\\"b\\\" \\$(x) \\`y\\` \\\\z;&'.mov\" " + VF + V + PIX + A +
                "-tag:v hvc1 -f mp4 \"/out/ été  two.mp4\"");
        row(
            "output that looks like an option",
            [](MediaVideo &j, CommandContext &) { j.destination = "-out.mp4"; },
            T + IN + VF + V + PIX + A + "-tag:v hvc1 -f mp4 \"./-out.mp4\"");

        failing("no video stream", [](MediaVideo &j, CommandContext &) { j.videoTracks.clear(); });
        failing("stored crop that is not a crop",
                [](MediaVideo &j, CommandContext &) { j.videoCrop = "$(touch X)"; });
    }

    void texts()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, expected);
        QFETCH(bool, fails);

        MediaVideo job = example1();
        CommandContext context;
        context.ffmpegPath = QStringLiteral("/app/Resources/ffmpeg");
        context.fileExists = [](const QString &path) {
            return path == SUB || path == "/data/in/concert.srt";
        };
        context.detectCrop = [] {
            qWarning("detection run without a \"-1\" crop");
            return QString();
        };
        edit(job, context);
        const CommandLine line = buildCommandLine(job, context);
        if (fails) {
            QVERIFY(!line.ok());
            QVERIFY(line.text.isEmpty());
            QVERIFY(line.error.size() > 10);
        } else {
            QVERIFY2(line.ok(), qPrintable(line.error));
            QCOMPARE(line.text, expected);
        }
    }

    void pictureSubtitleErrorNamesTheStream()
    {
        MediaVideo job = example1();
        job.subtitleTracks = threeSubtitles;
        job.subtitleTrack = 3;
        const CommandLine line = buildCommandLine(job, {QStringLiteral("/f"), {}, {}, {}});
        QVERIFY(line.error.contains("4 PGS French"));
        QVERIFY(line.error.contains("Matroska"));
    }

    void parameterWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "-threads 4" << QStringList{"-threads", "4"};
        QTest::newRow("spaces") << "  -a   b  " << QStringList{"-a", "b"};
        QTest::newRow("single quotes") << "-m 'a \"b\" $c'" << QStringList{"-m", "a \"b\" $c"};
        QTest::newRow("double quotes")
            << "-m \"a 'b' \\\"c\\\" \\d\"" << QStringList{"-m", "a 'b' \"c\" \\d"};
        QTest::newRow("backslash") << "a\\ b c" << QStringList{"a b", "c"};
        QTest::newRow("empty word") << "-m ''" << QStringList{"-m", ""};
        QTest::newRow("nothing") << "" << QStringList{};
    }

    void parameterWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(splitParameters(text), words);
    }

    // Real clips, real bash: the chosen streams are the ones that arrive in the output.
    void encodesChosenStreams()
    {
        QTemporaryDir dir;
        using TestSupport::generateClip;
        const QStringList video{"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1"};
        const QStringList x264{"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};
        const QString twoAudio = dir.filePath("two audio.mkv");
        QVERIFY(generateClip(twoAudio, QStringList(video) << "-f"
                                                          << "lavfi"
                                                          << "-i"
                                                          << "sine=duration=1"
                                                          << "-f"
                                                          << "lavfi"
                                                          << "-i"
                                                          << "sine=frequency=880:duration=1"
                                                          << "-map"
                                                          << "0"
                                                          << "-map"
                                                          << "1"
                                                          << "-map"
                                                          << "2" << x264 << "-c:a"
                                                          << "aac"
                                                          << "-metadata:s:a:0"
                                                          << "language=eng"
                                                          << "-metadata:s:a:1"
                                                          << "language=fre"));
        QFile srt(dir.filePath("a.srt"));
        QVERIFY(srt.open(QIODevice::WriteOnly));
        srt.write("1\n00:00:00,000 --> 00:00:00,900\nHello\n");
        srt.close();
        const QString subs = dir.filePath("subs.mkv");
        QVERIFY(generateClip(subs, QStringList(video) << "-i" << srt.fileName() << "-i" << srt.fileName()
                                                      << "-i" << srt.fileName() << "-map"
                                                      << "0"
                                                      << "-map"
                                                      << "1"
                                                      << "-map"
                                                      << "2"
                                                      << "-map"
                                                      << "3" << x264 << "-c:s"
                                                      << "srt"
                                                      << "-metadata:s:s:0"
                                                      << "language=eng"
                                                      << "-metadata:s:s:1"
                                                      << "language=fre"
                                                      << "-metadata:s:s:2"
                                                      << "language=ger"));

        const ToolRunner tools(TestSupport::realResourceDir());
        const auto encode = [&](const QString &source, const QString &output, const auto &edit) {
            MediaVideo::Ptr job = createMediaVideo(source, output, tools);
            job->videoEncoder = VideoEncoders::libx264;
            job->videoPreset = VideoPresets::ultrafast;
            job->videoDebit = 200;
            edit(*job);
            const CommandLine line = commandLine(*job, tools);
            if (!line.ok())
                return line.error;
            QString log;
            tools.runFfmpegShell(line.text, [&](const QString &c) { log += c; });
            return QFileInfo(output).size() > 0 ? QString() : line.text + "\n" + log;
        };
        const auto field = [&](const QString &file, const char *section, const char *templ) {
            return tools.mediaInfoText(file, section, templ);
        };

        const QString second = dir.filePath("second.mp4");
        QCOMPARE(encode(twoAudio, second,
                        [](MediaVideo &j) {
                            j.container = 0;
                            j.audioTrack = 2;
                        }),
                 QString());
        QCOMPARE(field(second, "Audio", "%Language/String%#"), QStringLiteral("French#"));

        const QString both = dir.filePath("both.mkv");
        QCOMPARE(encode(twoAudio, both,
                        [](MediaVideo &j) {
                            j.container = 1;
                            j.audioTrack = 0;
                        }),
                 QString());
        QCOMPARE(field(both, "Audio", "%Language/String%#"), QStringLiteral("English#French#"));

        const QString oneSub = dir.filePath("one sub.mp4");
        QCOMPARE(encode(subs, oneSub,
                        [](MediaVideo &j) {
                            j.container = 0;
                            j.subtitleTrack = 3; // the French line
                        }),
                 QString());
        QCOMPARE(field(oneSub, "Text", "%Format% %Language/String%#"), QStringLiteral("Timed Text French#"));

        // All three of the source's streams, then the external one, which is not the default stream.
        const QString all = dir.filePath("all.mkv");
        QCOMPARE(encode(subs, all,
                        [&](MediaVideo &j) {
                            j.container = 1;
                            j.subtitleTrack = 1;
                            j.subtitleExternal = srt.fileName();
                            j.subtitleLanguage = "spa";
                        }),
                 QString());
        QCOMPARE(field(all, "Text", "%Language/String%#"), QStringLiteral("English#French#German#Spanish#"));
        QCOMPARE(field(all, "Text", "%Default%#").split('#').value(3), QStringLiteral("No"));
    }

    // Hostile names all the way: probed, border detection, command, encode through the real bash.
    void hostileNamesThroughTheShell_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("double quotes") << "a \"b\" c.mp4";
        QTest::newRow("command substitution") << "$(touch INJECTED).mp4";
        QTest::newRow("backticks") << "`touch INJECTED`.mp4";
        QTest::newRow("backslashes") << "back\\slash\\$HOME.mp4";
        QTest::newRow("separators") << "semi;colon & amp | pipe.mp4";
        QTest::newRow("single quote") << "it's.mp4";
        QTest::newRow("leading dash") << "-leading.mp4";
        QTest::newRow("two spaces") << "two  spaces.mp4";
        QTest::newRow("not ascii") << "été 日本 crop=1:2:3:4.mp4";
    }

    void hostileNamesThroughTheShell()
    {
        QFETCH(QString, name);
        static QTemporaryDir dir;
        static QString base;
        if (base.isEmpty()) {
            base = dir.filePath("base.mp4");
            QVERIFY(TestSupport::generateClip(base, {"-f", "lavfi", "-i",
                                                     "testsrc=size=160x120:rate=10:duration=1", "-f", "lavfi",
                                                     "-i", "sine=duration=1", "-c:v", "libx264", "-preset",
                                                     "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"}));
        }
        QTemporaryDir cwd;
        const auto back = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
        QVERIFY(QDir::setCurrent(cwd.path()));
        const QString source = dir.filePath(name);
        QFile::remove(source);
        QVERIFY(QFile::copy(base, source));
        const QString output = dir.filePath("out " + name);

        const ToolRunner tools(TestSupport::realResourceDir());
        Preferences::writeBool(Preferences::Key::autoCrop, true);
        MediaVideo::Ptr job = createMediaVideo(source, output, tools);
        Preferences::remove(Preferences::Key::autoCrop);
        QCOMPARE(job->videoWidth, 160);
        QVERIFY(job->hasImage());
        QCOMPARE(job->videoCrop, QStringLiteral("160:112:0:4")); // detection rounds to multiples of 16
        job->videoCrop = "-1";
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::ultrafast;
        const CommandLine line = commandLine(*job, tools);
        QVERIFY2(line.ok(), qPrintable(line.error));
        QVERIFY2(line.text.contains("crop=160:112:0:4,scale=-2:-2 "), qPrintable(line.text));
        QString log;
        const ShellOutcome outcome = tools.runFfmpegShell(line.text, [&](const QString &c) { log += c; });
        QVERIFY2(outcome.succeeded(), qPrintable(line.text + "\n" + log));
        QVERIFY(QFileInfo(output).size() > 0);
        QCOMPARE(tools.mediaInfoField(output, "Video", "Height"), QStringLiteral("112"));
        QVERIFY(!QFile::exists(cwd.filePath("INJECTED")));
        QVERIFY(!QFile::exists(dir.filePath("INJECTED")));
    }

    // An audio-only file whose name looks like a crop report: the detection finds nothing and nothing runs.
    void audioOnlyNamedLikeACrop()
    {
        QTemporaryDir dir;
        QTemporaryDir cwd;
        const auto back = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
        QVERIFY(QDir::setCurrent(cwd.path()));
        const QString source = dir.filePath("crop=$(touch X).mp4");
        QVERIFY(TestSupport::generateClip(source, {"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac"}));
        const ToolRunner tools(TestSupport::realResourceDir());
        MediaVideo::Ptr job = createMediaVideo(source, dir.filePath("out.mp4"), tools);
        job->videoCrop = "-1";
        QVERIFY(!commandLine(*job, tools).ok()); // no video stream
        // Even with a video line forced in, the name never becomes a crop and never runs.
        job->videoTracks = {"1 0 AVC"};
        const CommandLine line = commandLine(*job, tools);
        QVERIFY(line.ok());
        QVERIFY2(line.text.contains(" -vf scale=-2:-2 "), qPrintable(line.text));
        tools.runFfmpegShell(line.text);
        QVERIFY(!QFile::exists(cwd.filePath("X")));
        QVERIFY(!QFile::exists(dir.filePath("X")));
    }

    void commandLineReadsToolAndStore()
    {
        Preferences::writeText(Preferences::Key::otherParams, "-threads 3");
        const ToolRunner tools(TestSupport::realResourceDir());
        MediaVideo job = example1();
        job.videoCrop = "-1";
        const CommandLine shown = commandLine(job, tools, CropDetection::Describe);
        QVERIFY2(shown.ok(), qPrintable(shown.error));
        QVERIFY(shown.text.startsWith("\"" + TestSupport::realResourceDir() +
                                      "/ffmpeg\" -hide_banner -threads 3 -y"));
        QVERIFY(shown.text.contains(QStringLiteral("-vf yadif=0:-1:0,") + DetectedCropPlaceholder +
                                    ",scale=-2:-2 "));
        Preferences::remove(Preferences::Key::otherParams);

        const TestSupport::ResourceDir none(TestSupport::ResourceDir::Entry::Missing,
                                            TestSupport::ResourceDir::Entry::Missing);
        const CommandLine missing = commandLine(job, ToolRunner(none.path()), CropDetection::Describe);
        QVERIFY(!missing.ok());
        QVERIFY(missing.error.contains("ffmpeg"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
