// The saved job list with 1 000 jobs as a folder of camera files gives: two audio streams, a subtitle
// stream, a failed result with its output tail on one job in ten.
//
// Prints the time to save and to load the list (the median of several rounds) and the size of the file,
// then the same list through a session as the window keeps it: restored into the list model (previews
// come later, in the background), and the part of a save the user interface thread pays (a copy of the
// list) beside the write that follows on the writing queue.
//
//   bench_queue [JOBS] [ROUNDS]     (1000 and 15 by default)
#include "session/Session.h"
#include "store/QueueFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QList<MediaVideo::Ptr> cameraJobs(int count)
{
    QList<MediaVideo::Ptr> jobs;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("/home/user/Videos/2024-06 Holidays/Camera A/CLIP%1.MTS")
                                 .arg(i, 4, 10, QLatin1Char('0'));
        auto job = std::make_shared<MediaVideo>(
            name, QString(name).replace(QStringLiteral(".MTS"), QStringLiteral(".mkv")));
        job->setDurationVideo(QStringLiteral("00:12:34"));
        job->durationVideoMiddle = QStringLiteral("00:06:17");
        job->videoTracks = {QStringLiteral("0:0 AVC High@L4.1 1920x1080 25.000 fps")};
        job->audioTracks = {QStringLiteral("Select 2 track(s) for encoding"),
                            QStringLiteral("0:1 AC-3 eng 2 channels 48000 Hz 192 kb/s"),
                            QStringLiteral("0:2 AAC fre 6 channels 48000 Hz 384 kb/s")};
        job->audioTrack = 1;
        job->subtitleTracks = {QStringLiteral("No subtitle"), QStringLiteral("0:3 PGS eng")};
        job->info = QStringLiteral("MPEG-TS, 1920x1080, 00:12:34, 2.1 GiB");
        job->videoWidth = 1920;
        job->videoHeight = 1080;
        job->videoPixelAspectRatio = 1.0;
        job->videoDisplayAspectRatio = 16.0 / 9.0;
        job->videoCrop = QStringLiteral("1920:800:0:140");
        if (i % 10 == 0) {
            job->result.status = JobResult::Status::Failed;
            job->result.exitCode = 1;
            job->result.reason = {ResultReason::text(QStringLiteral("Error while decoding stream #0:1"))};
            job->result.outputTail =
                QStringLiteral("[ac3 @ 0x55d] frame sync error\nError while decoding stream "
                               "#0:1\nConversion failed!");
        }
        jobs << job;
    }
    return jobs;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 15;
    QTemporaryDir dir;
    const QueueFile file(dir.path());
    const QList<MediaVideo::Ptr> jobs = cameraJobs(count);

    std::vector<double> saves;
    std::vector<double> loads;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QueueFile::SaveResult saved = file.save(jobs, {jobs[count / 2]->id});
        saves.push_back(timer.nsecsElapsed() / 1e6);
        if (!saved.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(saved.error));
            return 1;
        }
        timer.start();
        const QueueFile::LoadResult loaded = file.load();
        loads.push_back(timer.nsecsElapsed() / 1e6);
        if (loaded.jobs.size() != count) {
            std::fprintf(stderr, "%s\n", qPrintable(loaded.message));
            return 1;
        }
    }
    std::vector<double> restores;
    std::vector<double> uiSaves;
    std::vector<double> writes;
    for (int round = 0; round < rounds; ++round) {
        Session session;
        QElapsedTimer timer;
        timer.start();
        const QString message = session.keepJobsIn(dir.path(), false);
        restores.push_back(timer.nsecsElapsed() / 1e6);
        if (!message.isEmpty() || session.jobs()->rowCount() != count) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return 1;
        }
        // One edit, then the turn of the event loop that takes the copy and hands it to the writer.
        timer.start();
        session.jobs()->refresh(session.jobs()->job(0)->id);
        QCoreApplication::processEvents();
        uiSaves.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        const QString error = session.flushJobs();
        writes.push_back(timer.nsecsElapsed() / 1e6);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    const qint64 size = QFileInfo(file.path()).size();
    std::printf("%d jobs, median of %d rounds\n", count, rounds);
    std::printf("  save: %.1f ms\n", median(saves));
    std::printf("  load: %.1f ms\n", median(loads));
    std::printf("  file: %lld bytes (%.0f bytes a job)\n", size, double(size) / count);
    std::printf("  restore through the session, list filled: %.1f ms\n", median(restores));
    std::printf("  save through the session: %.1f ms on the user interface thread, then %.1f ms more until "
                "written\n",
                median(uiSaves), median(writes));
    return 0;
}
