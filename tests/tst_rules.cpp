// The job editor's rules: subtitles against the container, the destination it shows and the one typed.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "tools/JobRules.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(SubtitleCheck::Problem)
Q_DECLARE_METATYPE(TypedDestination::Refusal)

class TestRules : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void subtitles_data()
    {
        QTest::addColumn<int>("container");
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("external"); // "+" before the name: the file is there
        QTest::addColumn<SubtitleCheck::Problem>("problem");
        QTest::addColumn<QString>("reason"); // a part of it
        using P = SubtitleCheck::Problem;
        const QStringList one{"No subtitle", "5 PGS English"};
        const QStringList three{"No subtitle", "Select 3 track(s) for encoding", "3 UTF-8 English",
                                "4 PGS French", "5 UTF-8 German"};
        const auto row = [](const char *name, int container, const QStringList &tracks, int track,
                            const char *external, P problem, const char *reason = "") {
            QTest::newRow(name) << container << tracks << track << QString(external) << problem
                                << QString(reason);
        };
        row("nothing", 0, {}, 0, "", P::None);
        row("picture stream in mp4", 0, one, 1, "", P::PictureInMp4,
            "“5 PGS English” is a picture subtitle (PGS), which MP4 cannot hold");
        row("picture stream in mkv", 1, one, 1, "", P::None);
        row("all of three, one a picture, in mp4", 0, three, 1, "", P::PictureInMp4, "“4 PGS French”");
        row("index past the list reads as none", 0, one, 9, "", P::None);
        row("text file in mp4", 0, {}, 0, "+film.srt", P::None);
        row("missing file", 1, {}, 0, "gone.srt", P::MissingFile, "gone.srt” does not exist");
        row("picture file in mp4", 0, {}, 0, "+film.sup", P::PictureInMp4,
            "film.sup” holds picture subtitles (PGS)");
        row("DVD file in mp4", 0, {}, 0, "+film.SUB", P::PictureInMp4, "(VobSub)");
    }

    void subtitles()
    {
        QFETCH(int, container);
        QFETCH(QStringList, tracks);
        QFETCH(int, track);
        QFETCH(QString, external);
        QFETCH(SubtitleCheck::Problem, problem);
        QFETCH(QString, reason);
        MediaVideo job("/in/film.mkv", "/out/film.mp4");
        job.container = container;
        job.subtitleTracks = tracks;
        job.subtitleTrack = track;
        const bool there = external.startsWith('+');
        job.subtitleExternal = external.isEmpty() ? QString() : "/subs/" + external.mid(there ? 1 : 0);
        const SubtitleCheck check =
            checkSubtitles(job, [&](const QString &path) { return there && path == job.subtitleExternal; });
        QCOMPARE(check.problem, problem);
        QCOMPARE(check.reason.isEmpty(), check.ok());
        QVERIFY2(check.reason.contains(reason), qPrintable(check.reason));
    }

    // What the editor shows for the container and codecs chosen in it, not the job's.
    void destinationPreview_data()
    {
        QTest::addColumn<int>("formatFile");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<QString>("audioCodec");
        QTest::addColumn<int>("container");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, int formatFile, const char *shown, const char *video,
                            const char *audio, int container, const char *expected) {
            QTest::newRow(name) << formatFile << QString(shown) << QString(video) << QString(audio)
                                << container << QString(expected);
        };
        row("no template, mkv", 0, "/out/film.mp4", "libx264", "aac", 1, "/out/film.mkv");
        row("no template, no extension", 0, "/out/film", "libx264", "aac", 0, "/out/film.mp4");
        row("no template, empty", 0, "", "libx264", "aac", 1, "");
        row("source name", 1, "/out/typed.mp4", "libx265", "copy", 1, "/data/out/clip.mkv");
        row("editor's codecs win", 2, "", "h264_videotoolbox", "libmp3lame", 1,
            "/data/out/clip_x264_mp3.mkv");
    }

    void destinationPreview()
    {
        QFETCH(int, formatFile);
        QFETCH(QString, shown);
        QFETCH(QString, videoCodec);
        QFETCH(QString, audioCodec);
        QFETCH(int, container);
        MediaVideo job("/data/in/clip.mov", "/data/out/old.mp4");
        job.videoEncoder = VideoEncoders::hevc_videotoolbox;
        job.audioEncoder = AudioEncoders::aac;
        QTEST(::destinationPreview(job, formatFile, shown, videoCodec, audioCodec, container), "expected");
    }

    // "<dir>" is an existing folder holding the job's destination.
    void typedDestination_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("container");
        QTest::addColumn<TypedDestination::Refusal>("refusal");
        QTest::addColumn<QString>("path");
        using R = TypedDestination::Refusal;
        const auto row = [](const char *name, const char *typed, int container, R refusal, const char *path) {
            QTest::newRow(name) << QString(typed) << container << refusal << QString(path);
        };
        row("no extension", "<dir>/film", 0, R::None, "<dir>/film.mp4");
        row("bare name beside the job's destination", "renamed", 0, R::None, "<dir>/renamed.mp4");
        row("a folder takes the source's name", "<dir>", 1, R::None, "<dir>/clip.mkv");
        row("dot segment", "<dir>/./film.avi", 0, R::None, "<dir>/film.mp4");
        row("missing folder", "/no/such/dir/film.mp4", 0, R::MissingFolder, "/no/such/dir");
        row("blank", "   ", 0, R::Empty, "");
    }

    void typedDestination()
    {
        QFETCH(QString, typed);
        QFETCH(int, container);
        QFETCH(QString, path);
        QVERIFY(m_dir.isValid());
        MediaVideo job("/data/in/clip.mov", m_dir.filePath("old.mp4"));
        const TypedDestination result =
            ::typedDestination(typed.replace("<dir>", m_dir.path()), job, container);
        QTEST(result.refusal, "refusal");
        QCOMPARE(result.path, path.replace("<dir>", m_dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
