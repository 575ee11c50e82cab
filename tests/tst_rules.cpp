// The job editor's rules: subtitles against the container, the destination it shows and the one typed,
// what keeps "Ok" from taking an edited job; the output plan the rows, the editor and the run share;
// which jobs a run takes and how its results are counted.
#include "TestSupport.h"

#include "media/MediaProbe.h"
#include "media/PathProbe.h"
#include "model/MediaVideo.h"
#include "rules/CropPresets.h"
#include "rules/DraftProblems.h"
#include "rules/JobOutcome.h"
#include "rules/JobRules.h"
#include "rules/OutputPlan.h"
#include "rules/RunTally.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

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
        QTest::addColumn<QList<int>>("choice"); // {-1}: none made
        QTest::addColumn<int>("burn");
        QTest::addColumn<QString>("external"); // "+" before the name: the file is there
        QTest::addColumn<QString>("kept"); // positions of the streams written, then "|" and those left out
        QTest::addColumn<SubtitleCheck::Problem>("problem");
        QTest::addColumn<QString>("reason"); // a part of it
        using P = SubtitleCheck::Problem;
        const QStringList one{"No subtitle", "5 PGS English"};
        const QStringList three{"No subtitle", "Select 3 track(s) for encoding", "3 UTF-8 English",
                                "4 PGS French", "5 UTF-8 German"};
        const auto row = [](const char *name, int container, const QStringList &tracks, int track,
                            const char *external, const char *kept, P problem, const char *reason = "",
                            QList<int> choice = {-1}, int burn = 0) {
            QTest::newRow(name) << container << tracks << track << choice << burn << QString(external)
                                << QString(kept) << problem << QString(reason);
        };
        row("nothing", 0, {}, 0, "", "|", P::None);
        row("picture stream in mp4 is left out", 0, one, 1, "", "|0", P::None,
            "1 picture subtitle(s) cannot go into MP4: left out");
        row("picture stream in mkv", 1, one, 1, "", "0|", P::None);
        row("all of three, one a picture, in mp4", 0, three, 1, "", "0,2|1", P::None, "cannot go into MP4");
        row("index past the list reads as none", 0, one, 9, "", "|", P::None);
        row("a choice of two", 1, three, 1, "", "0,2|", P::None, "", {1, 3});
        row("a choice of none", 1, three, 1, "", "|", P::None, "", {});
        row("the burnt stream is not kept", 1, three, 1, "", "0,1|", P::None, "", {-1}, 3);
        row("a burn past the list burns nothing", 1, three, 1, "", "0,1,2|", P::None, "", {-1}, 4);
        row("text file in mp4", 0, {}, 0, "+film.srt", "|", P::None);
        row("missing file", 1, {}, 0, "gone.srt", "|", P::MissingFile, "gone.srt” does not exist");
        row("picture file in mp4 is refused", 0, {}, 0, "+film.sup", "|", P::PictureInMp4,
            "film.sup” holds picture subtitles (PGS), which MP4 cannot hold");
        row("DVD file in mp4", 0, {}, 0, "+film.SUB", "|", P::PictureInMp4, "(VobSub)");
    }

    void subtitles()
    {
        QFETCH(int, container);
        QFETCH(QStringList, tracks);
        QFETCH(int, track);
        QFETCH(QList<int>, choice);
        QFETCH(int, burn);
        QFETCH(QString, external);
        QFETCH(QString, kept);
        QFETCH(SubtitleCheck::Problem, problem);
        QFETCH(QString, reason);
        MediaVideo job("/in/film.mkv", "/out/film.mp4");
        job.container = container;
        job.subtitleTracks = tracks;
        job.subtitleTrack = track;
        if (choice != QList<int>{-1})
            job.subtitleChoice = choice;
        job.subtitleBurn = burn;
        const bool there = external.startsWith('+');
        job.subtitleExternal = external.isEmpty() ? QString() : "/subs/" + external.mid(there ? 1 : 0);
        const SubtitleCheck check =
            checkSubtitles(job, [&](const QString &path) { return there && path == job.subtitleExternal; });
        QCOMPARE(check.problem, problem);
        QCOMPARE(check.reason.isEmpty(), check.ok());
        const SubtitlePlan plan = subtitlePlan(job);
        const auto positions = [](const QList<SubtitleStream> &streams) {
            QStringList out;
            for (const SubtitleStream &s : streams)
                out << QString::number(s.position);
            return out.join(',');
        };
        QCOMPARE(positions(plan.kept) + '|' + positions(plan.leftOut), kept);
        const QString said = check.ok() ? leftOutNote(job) : check.reason;
        QCOMPARE(said.isEmpty(), QString(reason).isEmpty());
        QVERIFY2(said.contains(reason), qPrintable(said));
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
    // An edited job as "Ok" finds it. "<dir>" holds the files film.srt and film.sup and the folder sub; the
    // picture is 1920x1080 unless said ("WxH@par"). Each problem reads "field: message".
    void draftProblems_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<int>("cropValue");
        QTest::addColumn<QString>("crop");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, const char *destination, const char *encoder, int cropValue,
                            const char *crop, const char *subtitle, const QStringList &expected,
                            const char *picture = "1920x1080@1") {
            QTest::newRow(name) << QString(destination) << QString(picture) << QString(encoder) << cropValue
                                << QString(crop) << QString(subtitle) << expected;
        };
        const char *out = "<dir>/film.mp4";
        const int manual = ManualCrop;
        row("all usable", out, "libx264", manual, "1920:800:0:140", "<dir>/film.srt", {});
        row("crop wider than the picture", out, "libx264", manual, "3000:800:0:140", "",
            {"crop: The crop 3000:800:0:140 does not fit in the picture (1920×1080)."});
        row("crop past the bottom", out, "libx264", manual, "1920:800:0:400", "",
            {"crop: The crop 1920:800:0:400 does not fit in the picture (1920×1080)."});
        row("crop of three numbers", out, "libx264", manual, "1920:800:0", "",
            {"crop: The crop needs four whole numbers: width:height:x:y."});
        row("crop with words around it", out, "libx264", manual, "crop=1920:800:0:140", "",
            {"crop: The crop needs four whole numbers: width:height:x:y."});
        row("crop measured with square pixels", out, "libx264", manual, "1920:1080:0:0", "", {},
            "1440x1080@1.3333");
        row("crop wider than square pixels make it", out, "libx264", manual, "1440:1080:500:0", "",
            {"crop: The crop 1440:1080:500:0 does not fit in the picture (1920×1080)."}, "1440x1080@1.3333");
        row("crop found when the job runs", out, "libx264", manual, "-1", "", {});
        row("a copied picture is not cropped", out, "copy", manual, "3000:800:0:140", "", {});
        row("no destination", "", "libx264", 0, "", "", {"destination: A destination is needed."});
        row("destination in a missing folder", "/no/such/dir/film.mp4", "libx264", 0, "", "",
            {"destination: The folder /no/such/dir does not exist."});
        row("destination a folder", "<dir>/sub", "libx264", 0, "", "",
            {"destination: <dir>/sub is a folder: the destination needs a file name."});
        row("destination without its folder", "film.mp4", "libx264", 0, "", "",
            {"destination: The destination needs a whole path, from the top folder."});
        row("subtitle file missing", out, "libx264", 0, "", "<dir>/gone.srt",
            {"subtitle: The subtitle file “<dir>/gone.srt” does not exist."});
        row("subtitle file a folder", out, "libx264", 0, "", "<dir>/sub",
            {"subtitle: “<dir>/sub” is a folder, not a subtitle file."});
        row("picture subtitle file in MP4", out, "libx264", 0, "", "<dir>/film.sup",
            {"subtitle: The subtitle file “film.sup” holds picture subtitles (PGS), which MP4 cannot hold; "
             "choose Matroska or a text subtitle file."});
        row("three at once", "", "libx264", manual, "wide", "<dir>/gone.srt",
            {"destination: A destination is needed.",
             "crop: The crop needs four whole numbers: width:height:x:y.",
             "subtitle: The subtitle file “<dir>/gone.srt” does not exist."});
    }

    void draftProblems()
    {
        QFETCH(QString, destination);
        QFETCH(QString, picture);
        QFETCH(QString, encoder);
        QFETCH(int, cropValue);
        QFETCH(QString, crop);
        QFETCH(QString, subtitle);
        QFETCH(QStringList, expected);
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath("sub"));
        QVERIFY(TestSupport::writeFile(m_dir.filePath("film.srt"), "1\n00:00:01,000 --> 00:00:02,000\nHi\n"));
        QVERIFY(TestSupport::writeFile(m_dir.filePath("film.sup"), "PG"));
        const auto here = [this](QString text) { return text.replace("<dir>", m_dir.path()); };
        MediaVideo job("/data/in/clip.mov", here(destination));
        job.container = 0;
        job.videoWidth = picture.section('x', 0, 0).toInt();
        job.videoHeight = picture.section('x', 1).section('@', 0, 0).toInt();
        job.videoPixelAspectRatio = picture.section('@', 1).toDouble();
        job.videoEncoder = caseAtOrFirst<VideoEncoders>(int(rawTexts<VideoEncoders>().indexOf(encoder)));
        job.cropValue = cropValue;
        job.videoCrop = crop;
        job.subtitleExternal = here(subtitle);
        const QStringList names{"destination", "crop", "subtitle"};
        QStringList found;
        for (const DraftProblem &problem : ::draftProblems(job))
            found << names.at(int(problem.field)) + ": " + problem.message;
        for (QString &line : expected)
            line = here(line);
        QCOMPARE(found, expected);
    }

    // On disk: "name" a file, "name/" a folder, "name>target" a symbolic link, "name|" a FIFO. A job is
    // "source>destination". Each job's row note (empty when its destination is simply written) and the
    // name it writes (empty when it is not run).
    void outputPlan_data()
    {
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QStringList>("jobs");
        QTest::addColumn<int>("policy");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QStringList>("written");
        const int rename = int(ExistingOutput::Rename);
        const int skip = int(ExistingOutput::Skip);
        const int overwrite = int(ExistingOutput::Overwrite);
        QTest::newRow("own source through a link")
            << QStringList{"a.mp4", "sub/", "sub/b.mp4>../a.mp4"} << QStringList{"a.mp4>sub/b.mp4"}
            << overwrite << QStringList{"Same as the source: will not be run"} << QStringList{""};
        QTest::newRow("FIFO, overwrite")
            << QStringList{"a.mov", "a.mp4|"} << QStringList{"a.mov>a.mp4"} << overwrite
            << QStringList{"a.mp4 exists: will not be run"} << QStringList{""};
        QTest::newRow("another job's source")
            << QStringList{"a.mov", "b.mp4"} << QStringList{"a.mov>b.mp4", "b.mp4>b.mkv"} << overwrite
            << QStringList{"The source of job 2: will not be run", ""} << QStringList{"", "b.mkv"};
        QTest::newRow("a name that would break the line")
            << QStringList{"n\nl.mov", "n\nl.mp4"} << QStringList{"n\nl.mov>n\nl.mp4"} << skip
            << QStringList{"n\\x0al.mp4 exists: will be skipped"} << QStringList{""};
        QTest::newRow("one output for two jobs")
            << QStringList{"a.mov", "a.mkv", "sub/"} << QStringList{"a.mov>a.mp4", "a.mkv>sub/../a.mp4"}
            << overwrite << QStringList{"", "Same output as job 1 (a.mov): will not be run"}
            << QStringList{"a.mp4", ""};
        QTest::newRow("two jobs at one existing file, overwrite")
            << QStringList{"a.mov", "a.mkv", "a.mp4"} << QStringList{"a.mov>a.mp4", "a.mkv>a.mp4"}
            << overwrite
            << QStringList{"a.mp4 exists: will be replaced", "Same output as job 1 (a.mov): will not be run"}
            << QStringList{"a.mp4", ""};
        QTest::newRow("an MP4 converted beside itself")
            << QStringList{"clip.mp4"} << QStringList{"clip.mp4>clip.mp4"} << rename
            << QStringList{"Same as the source: written as clip-1.mp4"} << QStringList{"clip-1.mp4"};
        QTest::newRow("free names past the disk and the jobs before")
            << QStringList{"a.mp4", "a-1.mp4", "b.mov"} << QStringList{"a.mp4>a.mp4", "b.mov>a.mp4"} << rename
            << QStringList{"Same as the source: written as a-2.mp4",
                           "The source of job 1: written as a-3.mp4"}
            << QStringList{"a-2.mp4", "a-3.mp4"};
        QTest::newRow("one output for two jobs, skip")
            << QStringList{"a.mov", "b.mov"} << QStringList{"a.mov>o.mp4", "b.mov>o.mp4"} << skip
            << QStringList{"", "Same output as job 1 (a.mov): will be skipped"} << QStringList{"o.mp4", ""};
    }

    void outputPlan()
    {
        QFETCH(QStringList, disk);
        QFETCH(QStringList, jobs);
        QFETCH(int, policy);
        QTemporaryDir dir;
        for (const QString &entry : disk) {
            const QStringList link = entry.split('>');
            const QByteArray path = QFile::encodeName(dir.filePath(entry.chopped(1)));
            QVERIFY(entry.endsWith('/')   ? QDir().mkpath(dir.filePath(entry))
                    : entry.endsWith('|') ? ::mkfifo(path.constData(), 0600) == 0
                    : link.size() == 2    ? QFile::link(link[1], dir.filePath(link[0]))
                                          : TestSupport::writeFile(dir.filePath(entry), {}));
        }
        QList<MediaVideo::Ptr> list;
        for (const QString &job : jobs)
            list << std::make_shared<MediaVideo>(dir.filePath(job.section('>', 0, 0)),
                                                 dir.filePath(job.section('>', 1)));
        QStringList notes;
        QStringList written;
        for (const PlannedOutput &plan : planOutputs(list, ExistingOutput(policy), &probePath)) {
            notes << plan.note();
            written << (plan.path.isEmpty() ? QString() : QDir(dir.path()).relativeFilePath(plan.path));
        }
        QTEST(notes, "notes");
        QTEST(written, "written");
    }

    // Each letter is a job's last result: - none yet, S succeeded, I incomplete, F failed, N not run,
    // T stopped, X interrupted. Pending and retryable give the positions taken, in list order; the tally
    // is converted, incomplete, failed, stopped, not run.
    void runChoiceAndTally_data()
    {
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("retryable");
        QTest::addColumn<QList<int>>("tally");
        const auto row = [](const char *name, const char *results, const char *pending, const char *retryable,
                            const QList<int> &tally) {
            QTest::newRow(name) << QString(results) << QString(pending) << QString(retryable) << tally;
        };
        row("empty", "", "", "", {0, 0, 0, 0, 0});
        row("fresh list", "---", "012", "", {0, 0, 0, 0, 3});
        row("all converted", "SS", "", "", {2, 0, 0, 0, 0});
        row("one of each", "SIFNTX-", "123456", "1245", {1, 1, 1, 2, 2});
        row("not run is not retried", "NNS", "01", "", {1, 0, 0, 0, 2});
    }

    void runChoiceAndTally()
    {
        QFETCH(QString, results);
        using S = JobResult::Status;
        const QHash<QChar, S> status{{'-', S::None},       {'S', S::Succeeded}, {'I', S::Incomplete},
                                     {'F', S::Failed},     {'N', S::NotRun},    {'T', S::Stopped},
                                     {'X', S::Interrupted}};
        QList<MediaVideo::Ptr> jobs;
        for (const QChar letter : results) {
            jobs << std::make_shared<MediaVideo>(QStringLiteral("/v/%1.mov").arg(jobs.size()), QString());
            jobs.last()->result.status = status.value(letter);
        }
        const auto positions = [&jobs](const QList<MediaVideo::Ptr> &chosen) {
            QString text;
            for (const MediaVideo::Ptr &job : chosen)
                text += QString::number(jobs.indexOf(job));
            return text;
        };
        QTEST(positions(pendingJobs(jobs)), "pending");
        QTEST(positions(retryableJobs(jobs)), "retryable");
        const RunTally counted = tally(jobs);
        QTEST((QList<int>{counted.converted, counted.incomplete, counted.failed, counted.stopped,
                          counted.notRun}),
              "tally");
    }

    // A finished process and what was found after it, as the job's result: "exited N", "signal N" or
    // "stopped"; ffmpeg's last lines joined by "|"; the read-back as "readable S" (seconds),
    // "unreadable" or "-" when not asked. The source lasts 3 s.
    void jobOutcome_data()
    {
        QTest::addColumn<QString>("process");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        using S = JobResult::Status;
        const auto row = [](const char *name, const char *process, const char *lines, const char *readBack,
                            const char *host, S status, const char *reason) {
            QTest::newRow(name) << process << lines << readBack << host << int(status) << QString(reason);
        };
        row("success", "exited 0", "frame=   30", "readable 3", "", S::Succeeded, "");
        row("short output", "exited 0", "[mov,mp4 @ 0x1] stream 1, offset 0x9: partial file", "readable 1.2",
            "", S::Incomplete,
            "The output lasts 1.2 s of the source's 3.0 s; ffmpeg: stream 1, offset 0x9: partial file");
        row("error line", "exited 1", "frame=    1|Unknown encoder 'x'", "-", "", S::Failed,
            "ffmpeg exited with status 1: Unknown encoder 'x'");
        row("on a host", "exited 1", "Unknown encoder 'x'", "-", "studio", S::Failed,
            "On studio: ffmpeg exited with status 1: Unknown encoder 'x'");
        row("crash", "signal 11", "", "-", "", S::Failed,
            "ffmpeg was ended by signal 11 (Segmentation fault).");
        row("stopped", "stopped", "", "-", "", S::Stopped, "Stopped by the user");
        row("unreadable output", "exited 0", "", "unreadable", "", S::Failed,
            "ffmpeg ended without error, but “clip.mp4” cannot be read back: moov atom not found");
    }

    void jobOutcome()
    {
        QFETCH(QString, process);
        QFETCH(QString, lines);
        QFETCH(QString, readBack);
        QFETCH(QString, host);
        JobFacts facts;
        const QStringList words = process.split(' ');
        facts.process.kind = words[0] == "exited"   ? ProcessOutcome::Kind::Exited
                             : words[0] == "signal" ? ProcessOutcome::Kind::Crashed
                                                    : ProcessOutcome::Kind::Stopped;
        facts.process.exitCode = words.value(1).toInt();
        facts.process.sourceSeconds = 3.0;
        for (const QString &line : lines.split('|', Qt::SkipEmptyParts))
            facts.process.tail.add(line);
        facts.shownName = "clip.mp4";
        facts.outputWritten = true;
        facts.host = host;
        if (readBack != "-") {
            ReadBackFacts read;
            read.kind = readBack.startsWith("readable") ? ReadBackFacts::Kind::Readable
                                                        : ReadBackFacts::Kind::Unreadable;
            if (read.kind == ReadBackFacts::Kind::Readable)
                read.seconds = readBack.section(' ', 1).toDouble();
            else
                read.problem = ResultReason::text("moov atom not found");
            facts.readBack = read;
        }
        const JobResult result = judgeJob(facts);
        QTEST(int(result.status), "status");
        QTEST(result.reasonText(), "reason");
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
