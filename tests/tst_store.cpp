// What outlives the process: the saved job list (round trips on a probed clip, fields it cannot use; files
// it cannot use, kills in mid-write and the lock are tst_queue's), the job logs with their cap and rotation,
// and the single-instance channel.
#include "TestSupport.h"

#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "store/JobLogs.h"
#include "store/QueueFile.h"
#include "store/SingleInstance.h"

#include <QSignalSpy>
#include <QtTest>

#include <climits>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <tuple>
#include <unistd.h>

using Status = JobResult::Status;

namespace {

// Every field but the preview, compared exactly: a restored job must build the very command it had.
void compareJobs(const MediaVideo &a, const MediaVideo &b)
{
    const auto fields = [](const MediaVideo &j) {
        return std::tuple(j.id, j.source, j.destination, j.container, j.deInterlace, j.isQuicktime,
                          j.videoEncoder, j.videoDebit, j.width, j.height, j.videoCrop, j.videoProfile,
                          j.videoPreset, j.videoTune, j.audioEncoder, j.audioDebit, j.audioSampling,
                          j.durationVideo(), j.durationVideoMiddle, j.audioTracks, j.audioTrack,
                          j.videoTracks, j.videoTrack, j.subtitleTracks, j.subtitleTrack, j.subtitleExternal,
                          j.subtitleLanguage, j.cropValue, j.info, j.videoWidth, j.videoHeight,
                          j.videoPixelAspectRatio, j.videoDisplayAspectRatio, j.otherParam, j.videoBitDepth,
                          j.hdr, j.masteringDisplay, j.maxCll, j.maxFall, j.hdrOutput, j.streams,
                          j.audioChoice, j.subtitleChoice, j.subtitleBurn, j.keepDate);
    };
    QVERIFY(fields(a) == fields(b) && !a.hasImage());
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_clips;

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
        QVERIFY(
            TestSupport::writeFile(m_clips.filePath("a.srt"), "1\n00:00:00,000 --> 00:00:01,000\nHello\n"));
        // Two video, two audio and one subtitle stream: every track choice can differ from its start.
        QVERIFY(TestSupport::generateClip(
            m_clips.filePath("rich.mkv"),
            ("-f lavfi -i testsrc=size=320x240:rate=10:duration=1 -f lavfi -i testsrc=size=160x120:rate=10:"
             "duration=1 -f lavfi -i sine=duration=1 -f lavfi -i sine=frequency=880:duration=1 -i " +
             m_clips.filePath("a.srt") +
             " -map 0 -map 1 -map 2 -map 3 -map 4 -c:v libx264 -preset ultrafast -c:a aac -c:s srt")
                .split(' ')));
    }

    // A probed job with every setting changed, hostile texts and a failed result, beside one left as it came.
    void roundTrip()
    {
        QTemporaryDir dir;
        const MediaVideo::Ptr job =
            createMediaVideo(m_clips.filePath("rich.mkv"), dir.filePath("out.mkv"),
                             ToolRunner(TestSupport::realResourceDir()), Preferences::jobSettings());
        QVERIFY(job->hasImage());
        QCOMPARE(job->subtitleTracks.size() + job->audioTracks.size() + job->videoTracks.size(), 7);
        const QString name = "/in/new\nline \"q\" 'x' $(rm -rf ~) \\ \x01\x1f\t é📼.mov";
        job->source = name;
        job->destination = name + ".mp4";
        job->subtitleExternal = name + ".srt";
        job->info = name;
        job->otherParam = "-metadata title=\"a\nb\"";
        job->container = 0;
        job->deInterlace = job->isQuicktime = false;
        job->videoEncoder = VideoEncoders::libx264;
        job->videoDebit = 4000;
        job->width = 1280;
        job->height = 720;
        job->videoCrop = "320:200:0:20";
        job->videoProfile = VideoProfiles::high;
        job->videoPreset = VideoPresets::veryslow;
        job->videoTune = VideoTunes::ssim;
        job->audioEncoder = AudioEncoders::copy;
        job->audioDebit = 384;
        job->audioSampling = 48000;
        job->audioTrack = 2;
        job->videoTrack = job->subtitleTrack = 1;
        job->subtitleLanguage = "eng";
        job->cropValue = 3;
        job->videoPixelAspectRatio = 0.1 + 0.2;
        job->videoBitDepth = 10;
        job->hdr = HdrKind::Hdr10;
        job->masteringDisplay = "G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,50)";
        job->maxCll = 1000;
        job->maxFall = 400;
        job->hdrOutput = HdrOutput::Sdr;
        // The streams as mediainfo described them; tracks chosen one by one, none of the subtitles.
        QCOMPARE(job->streams.size(), 5);
        job->audioChoice = QList<int>{1, 2};
        job->subtitleChoice = QList<int>{};
        job->subtitleBurn = 1;
        job->keepDate = true;
        using K = ResultReason::Kind;
        const ResultReason exists(K::NameExists, {"clip.mkv"});
        job->result = {Status::Failed,
                       187,
                       {ResultReason(K::ExitedSaying, {"187", "Conversion failed"}),
                        ResultReason(K::WrittenTo, {"clip-1.mkv"}, {exists})},
                       "[aac] bad\nConversion failed!",
                       "/out/clip-1.mkv",
                       exists,
                       {}};
        const auto other = std::make_shared<MediaVideo>("/in/other.mov", "/out/other.mkv");
        const QueueFile file(dir.filePath("data"));
        QVERIFY(file.save({other, job}).ok());

        const QueueFile::LoadResult loaded = file.load();
        QCOMPARE(loaded.message, QString());
        QCOMPARE(loaded.jobs.size(), 2);
        compareJobs(*loaded.jobs[0], *other);
        compareJobs(*loaded.jobs[1], *job);
        QCOMPARE(loaded.jobs[0]->result.status, Status::None);
        const JobResult &result = loaded.jobs[1]->result;
        QVERIFY(std::tie(result.status, result.exitCode, result.reason, result.outputTail,
                         result.renameCause) == std::tie(job->result.status, job->result.exitCode,
                                                         job->result.reason, job->result.outputTail,
                                                         job->result.renameCause));

        // A list saved when reasons were kept as text shows that text as it was.
        QVERIFY(TestSupport::writeFile(
            file.path(), R"({"version":1,"jobs":[{"source":"/in/a.mov","result":{"status":2,)"
                         R"("reason":"ffmpeg a quitté avec le statut 1.","renameCause":"a.mp4 existe"}}]})"));
        const JobResult old = file.load().jobs.value(0)->result;
        QCOMPARE(old.reasonText(), "ffmpeg a quitté avec le statut 1.");
        QCOMPARE(old.renameCause.toString(), "a.mp4 existe");
    }

    // What the user cannot fix in the file reads as its default.
    void unfixableFieldsReadAsDefault_data()
    {
        QTest::addColumn<QByteArray>("fields");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("unknown fields") << QByteArray(R"("colour":"red","x":{})") << "container" << 1;
        QTest::newRow("container past the list") << QByteArray(R"("container":7)") << "container" << 0;
        QTest::newRow("track past the list")
            << QByteArray(R"("audioTracks":["all","1"],"audioTrack":2)") << "audioTrack" << 0;
        QTest::newRow("negative width") << QByteArray(R"("width":-7)") << "width" << -2;
        QTest::newRow("unknown status") << QByteArray(R"("result":{"status":42})") << "status" << 0;
        // A list saved before bit depth and high dynamic range were probed: an 8-bit standard range source.
        QTest::newRow("no bit depth") << QByteArray(R"("source":"/in/a.mov")") << "videoBitDepth" << 8;
        QTest::newRow("bit depth of no meaning")
            << QByteArray(R"("videoBitDepth":99)") << "videoBitDepth" << 8;
        QTest::newRow("HDR kind past the list") << QByteArray(R"("hdr":7)") << "hdr" << 0;
        QTest::newRow("light level out of range") << QByteArray(R"("maxCll":-5)") << "maxCll" << 0;
    }
    void unfixableFieldsReadAsDefault()
    {
        QFETCH(QByteArray, fields);
        QFETCH(QString, field);
        QFETCH(int, value);
        QTemporaryDir dir;
        const QueueFile file(dir.path());
        QVERIFY(TestSupport::writeFile(file.path(), R"({"version":1,"jobs":[{)" + fields + "}]}"));
        const QueueFile::LoadResult loaded = file.load();
        QCOMPARE(loaded.message, QString());
        QCOMPARE(loaded.jobs.size(), 1);
        const MediaVideo &job = *loaded.jobs[0];
        QCOMPARE(field == "status" ? int(job.result.status)
                                   : QueueFile::jobToJson(job).value(field).toInt(INT_MIN),
                 value);
    }

    // The watched folders kept with the list: what cannot be used is left out, and never costs the jobs.
    void watchedFoldersWithTheList_data()
    {
        QTest::addColumn<QByteArray>("watch");
        QTest::addColumn<QString>("expected"); // "convert|path,preset,paused;..."
        QTest::newRow("none") << QByteArray() << "0|";
        QTest::newRow("two, one paused with a preset")
            << QByteArray(R"({"convertNewFiles":true,"folders":[{"path":"/in/cam"},)"
                          R"({"path":"/in/phone","preset":"Phone","paused":true,"poll":30}]})")
            << "1|/in/cam,,0,0;/in/phone,Phone,1,30";
        QTest::newRow("relative, empty and repeated paths")
            << QByteArray(R"({"folders":[{"path":"cam"},{"path":""},{"path":"/in/a/"},{"path":"/in/a"}]})")
            << "0|/in/a,,0,0";
        QTest::newRow("wrong types") << QByteArray(R"({"convertNewFiles":"yes","folders":{"path":"/in"}})")
                                     << "0|";
        QTest::newRow("poll out of range")
            << QByteArray(R"({"folders":[{"path":"/a","poll":-5},{"path":"/b","poll":1e9}]})")
            << "0|/a,,0,0;/b,,0,86400";
        QTest::newRow("not an object") << QByteArray(R"([1,2])") << "0|";
    }
    void watchedFoldersWithTheList()
    {
        QFETCH(QByteArray, watch);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QueueFile file(dir.path());
        QVERIFY(TestSupport::writeFile(file.path(),
                                       R"({"version":1,"jobs":[{"source":"/in/a.mov"}])" +
                                           (watch.isEmpty() ? QByteArray() : ",\"watch\":" + watch) + "}"));
        QueueFile::LoadResult loaded = file.load();
        QCOMPARE(loaded.message, QString());
        QCOMPARE(loaded.jobs.size(), 1);
        const auto shown = [](const WatchSetup &setup) {
            QStringList folders;
            for (const WatchedFolder &f : setup.folders)
                folders << f.path + ',' + f.preset + ',' + QString::number(f.paused) + ',' +
                               QString::number(f.pollSeconds);
            return QString::number(setup.convertNewFiles) + '|' + folders.join(';');
        };
        QCOMPARE(shown(loaded.watch), expected);
        // Saved again, it reads back the same.
        QVERIFY(file.save(loaded.jobs, {}, loaded.watch).ok());
        QCOMPARE(shown(file.load().watch), expected);
    }

    // A real encoder's log past the cap is tst_runcontrol's; these are the edges it does not reach.
    void logCap_data()
    {
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("length");
        QTest::newRow("one line longer than the cap") << qint64(1000) << 1 << 5000;
        QTest::newRow("written out while it runs") << qint64(300 * 1024) << 20000 << 80;
    }
    void logCap()
    {
        QFETCH(qint64, cap);
        QFETCH(int, lines);
        QFETCH(int, length);
        QTemporaryDir dir;
        JobLog log = JobLogs(dir.path(), cap).open(MediaVideo("/in/clip.mov"));
        QByteArray all;
        for (int i = 0; i < lines; ++i) {
            QByteArray line = QByteArray::number(i).rightJustified(8, '0') + ' ';
            line += QByteArray(length - line.size(), char('a' + i % 26));
            log.append(line);
            all += line + '\n';
            // Held-back lines reach the file as the run goes, not only at its end.
            const QByteArray now = i % 1000 == 999 ? TestSupport::readFile(log.path()) : QByteArray();
            QVERIFY(now.size() <= cap);
            QVERIFY(now.isEmpty() || now.mid(now.lastIndexOf('\n', -2) + 1, 8).toInt() > i - 1000);
        }
        log.close();
        const QByteArray kept = TestSupport::readFile(log.path());
        QVERIFY(kept.size() <= cap && kept.size() > cap / 2 && kept.count("left out ...]\n") == 1);
        // The beginning says what was asked, the end what went wrong; whole lines around the marker.
        const qsizetype marker = kept.indexOf("[... ");
        const QByteArray end = kept.mid(kept.indexOf('\n', marker) + 1);
        QVERIFY(all.endsWith(end) && kept.startsWith(all.left(marker)));
        QVERIFY(length > cap / 4 || (marker > 0 && all.contains('\n' + end)));
    }

    // The newest logs stay, files the program did not name are never touched, and no source name
    // reaches outside the folder or hides characters in it.
    void logRotation()
    {
        QTemporaryDir dir;
        const JobLogs logs(dir.path(), 4096, 4);
        QVERIFY(QDir().mkpath(logs.folder()));
        const QString foreign = logs.folder() + "/notes.log";
        QVERIFY(TestSupport::writeFile(foreign, {}));
        QVERIFY(TestSupport::writeFile(logs.folder() + "/20000101-000000-000_" +
                                           QUuid::createUuid().toString(QUuid::WithoutBraces) + ".log",
                                       {}));
        QList<MediaVideo> jobs;
        for (const char *source : {"../../../etc/passwd", "/in/a\nb\x01\u202e c:d*\"'.mov", "..\\..\\x.mov",
                                   "/in/été 名前.mp4", "/in/.hidden"})
            jobs << MediaVideo(source);
        QStringList opened;
        for (int i = 0; i < 7; ++i) {
            const MediaVideo &job = jobs[i % jobs.size()];
            opened << logs.open(job).path();
            QCOMPARE(QFileInfo(opened.last()).absolutePath(), logs.folder());
            const QString name = QFileInfo(opened.last()).fileName();
            QVERIFY2(!name.startsWith('.') &&
                         !name.contains(
                             QRegularExpression("[^\\w.-]", QRegularExpression::UseUnicodePropertiesOption)),
                     qPrintable(name));
            QCOMPARE(logs.latestFor(job.id), opened.last());
            QThread::msleep(2); // logs are ordered by their creation time in milliseconds
        }
        QStringList left = QDir(logs.folder()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left.replaceInStrings(QRegularExpression("^"), logs.folder() + '/'), opened.mid(3)
                                                                                          << foreign);
        QCOMPARE(logs.latestFor(jobs[2].id), QString());
    }

    // A start hands its paths to the running instance whole, relative ones made absolute (the two real
    // starts are tst_queue's); a socket left by a killed instance is taken over, one that answers never is.
    void singleInstance()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("instance");
        // What a killed instance leaves behind: the socket file with nobody listening.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        ::close(fd);
        QVERIFY(!sendToRunningInstance({"/x.mov"}, 2000, name));
        InstanceServer server(name);
        QVERIFY2(server.listen(), qPrintable(server.error()));

        QSignalSpy received(&server, &InstanceServer::pathsReceived);
        const QStringList paths{"/v/a b.mov", "rel/new\nline.mkv", "-dash.mp4", "/v/q'\"$(x)`\\.mp4",
                                "/v/été 📼.mov"};
        auto sent = std::async(std::launch::async, [&] { return sendToRunningInstance(paths, 30000, name); });
        QVERIFY(received.wait(30000) && sent.get());
        QCOMPARE(received.first().first().toStringList(),
                 QStringList({paths[0], QDir::current().filePath(paths[1]),
                              QDir::current().filePath(paths[2]), paths[3], paths[4]}));
        InstanceServer rival(name);
        QVERIFY(!rival.listen() && !rival.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
