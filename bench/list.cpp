// The job list with 10 000 jobs that each hold a 1080p preview, as a folder of camera files gives.
//
// Prints the memory each job costs (the preview is kept as the PNG the prober read, plus the small
// thumbnail), the time per 1 000 jobs to prepare their previews, to add them to the list and to paint
// them, and beside each the cost of the alternative it avoids.
//
//   bench_list [JOBS]       (10000 by default; offscreen by default)
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "session/JobListModel.h"
#include "ui/JobDelegate.h"
#include "ui/JobListView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <thread>

namespace {

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

QByteArray makeFrame(const QString &dir, const QString &filter)
{
    const QString path = QDir(dir).filePath(QStringLiteral("frame.png"));
    QProcess ffmpeg;
    ffmpeg.start(
        ToolRunner().locateTool(QStringLiteral("ffmpeg")).path,
        {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i", filter, "-frames:v", "1", path});
    ffmpeg.waitForFinished(-1);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double msPerThousand(qint64 nanoseconds, int count)
{
    return double(nanoseconds) / 1e6 / count * 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    if (count < 1000) {
        std::fprintf(stderr, "usage: bench_list [JOBS >= 1000]\n");
        return 2;
    }

    QTemporaryDir dir;
    // A test picture with grain, so the PNG is as large as a real camera frame's rather than a flat one's.
    const QByteArray png = makeFrame(dir.path(), QStringLiteral("testsrc2=size=1920x1080:rate=1"));
    if (png.isEmpty()) {
        std::fprintf(stderr, "ffmpeg could not make the preview frame\n");
        return 1;
    }
    QImage decodedFrame;
    decodedFrame.loadFromData(png);
    std::printf("preview: %dx%d PNG of %.0f KiB; decoded it would take %.0f KiB\n", decodedFrame.width(),
                decodedFrame.height(), png.size() / 1024.0, decodedFrame.sizeInBytes() / 1024.0);

    // 1. Previews, prepared the way an import queue does it (decode once, keep the bytes, make the
    //    thumbnail), each job with bytes of its own. Two workers, as on the import queues.
    const size_t heapBefore = heapInUse();
    QList<MediaVideo::Ptr> jobs;
    jobs.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto job =
            std::make_shared<MediaVideo>(QStringLiteral("/videos/day %1/clip%2.MTS").arg(i / 100).arg(i),
                                         QStringLiteral("/out/clip%1.mp4").arg(i));
        job->info =
            QStringLiteral("00:12:%1 1920x1080 25 fps AVC / AC-3 2ch").arg(i % 60, 2, 10, QLatin1Char('0'));
        jobs << job;
    }
    QElapsedTimer clock;
    clock.start();
    const int workers = 2;
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = w; i < count; i += workers)
                jobs[i]->setImageData(QByteArray(png.constData(), png.size())); // a copy of its own
        });
    }
    for (std::thread &t : threads)
        t.join();
    const qint64 prepareNs = clock.nsecsElapsed();
    const double perJob = double(heapInUse() - heapBefore) / count;
    std::printf("memory per job: %.0f KiB (%.1f%% of one decoded frame, %.1fx less)\n", perJob / 1024.0,
                100.0 * perJob / decodedFrame.sizeInBytes(), decodedFrame.sizeInBytes() / perJob);
    std::printf("%d jobs: %.0f MiB in all\n", count, perJob * count / 1048576.0);
    std::printf("preparing previews: %.0f ms per 1000 jobs (%d workers, off the UI thread)\n",
                msPerThousand(prepareNs, count), workers);

    // 2. Adding them to the list shown in a window, a thousand at a time, letting the view lay out.
    JobListModel model;
    JobListView view;
    view.setItemDelegate(new JobDelegate(&view));
    view.setModel(&model);
    view.resize(800, 520);
    view.show();
    QApplication::processEvents();
    clock.restart();
    for (int i = 0; i < count; ++i) {
        model.append(jobs.at(i));
        if ((i + 1) % 1000 == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    const qint64 appendNs = clock.nsecsElapsed();
    std::printf("adding to the list: %.2f ms per 1000 jobs (UI thread)\n", msPerThousand(appendNs, count));

    // 3. Scrolling through the whole list page by page, painting every row.
    const int rowHeight = view.sizeHintForRow(0);
    const int rowsPerPage = std::max(1, view.viewport()->height() / rowHeight);
    QScrollBar *bar = view.verticalScrollBar();
    clock.restart();
    int painted = 0;
    for (int value = 0; value <= bar->maximum(); value += rowsPerPage * rowHeight) {
        bar->setValue(value);
        view.viewport()->repaint();
        painted += rowsPerPage;
    }
    const qint64 paintNs = clock.nsecsElapsed();
    const double paintPerThousand = msPerThousand(paintNs, painted);
    std::printf("painting while scrolling: %.1f ms per 1000 rows (%d rows per page)\n", paintPerThousand,
                rowsPerPage);

    // Beside it: painting rows from the full frame, decoded from the kept PNG each time, as a list
    // without thumbnails would have to (measured on 100 rows, scaled to 1000).
    QImage canvas(800, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    clock.restart();
    const int sample = 100;
    for (int i = 0; i < sample; ++i) {
        const QImage full = jobs.at(i)->image();
        painter.drawImage(QRect(700, 10, 64, 36), full);
    }
    const double fullPerThousand = msPerThousand(clock.nsecsElapsed(), sample);
    clock.restart();
    for (int i = 0; i < sample; ++i)
        painter.drawImage(QRect(700, 10, 64, 36), jobs.at(i)->thumbnail());
    const double thumbPerThousand = msPerThousand(clock.nsecsElapsed(), sample);
    std::printf("one picture per row: thumbnail %.1f ms vs full frame %.0f ms per 1000 rows (%.0fx)\n",
                thumbPerThousand, fullPerThousand, fullPerThousand / std::max(thumbPerThousand, 1e-6));

    // The same preparation with a frame that has camera-like grain, on fewer jobs: its PNG is many
    // times larger, and so is what each job keeps.
    const QByteArray grainy =
        makeFrame(dir.path(), QStringLiteral("testsrc2=size=1920x1080:rate=1,noise=alls=8:allf=t"));
    const int grainJobs = 200;
    QList<MediaVideo::Ptr> more;
    for (int i = 0; i < grainJobs; ++i)
        more << std::make_shared<MediaVideo>(QStringLiteral("/videos/grain%1.MTS").arg(i));
    const size_t grainBefore = heapInUse();
    clock.restart();
    for (const MediaVideo::Ptr &job : std::as_const(more))
        job->setImageData(QByteArray(grainy.constData(), grainy.size()));
    const qint64 grainNs = clock.nsecsElapsed();
    const double grainPerJob = double(heapInUse() - grainBefore) / grainJobs;
    std::printf("with grain (PNG of %.0f KiB, %d jobs): %.0f KiB per job, %.0f ms per 1000 jobs (1 worker)\n",
                grainy.size() / 1024.0, grainJobs, grainPerJob / 1024.0, msPerThousand(grainNs, grainJobs));
    return 0;
}
