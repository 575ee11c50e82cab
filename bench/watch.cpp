// Watched folders: how long after its last write a file is offered to the run (against the settle time
// it must wait, through inotify and through rescans), how long `tavrix-cli watch` takes to hand it to a
// job; then what watching a tree of many files at rest costs, in processor time a minute and memory,
// against the same event loop watching nothing, and with rescans instead of inotify.
//
//   bench_watch [FILES] [REST_SECONDS]    (default 10000 files, 10 s at rest per mode)
#include "watch/FolderWatch.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <utime.h>

namespace {

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds from the close of a file written in `folder` to its ready() signal, median of `rounds`.
double offerDelay(const QString &folder, qint64 settleMs, qint64 pollMs, int rounds)
{
    FolderWatch watch({{folder}, {}, settleMs, pollMs});
    watch.start();
    std::vector<double> delays;
    QElapsedTimer clock;
    QEventLoop loop;
    QString expected;
    QObject::connect(&watch, &FolderWatch::ready, &loop, [&](const QString &path) {
        if (path != expected)
            return; // a file of an earlier round, found by the first walk
        delays.push_back(double(clock.nsecsElapsed()) / 1e6);
        loop.quit();
    });
    for (int i = 0; i < rounds; ++i) {
        expected = QDir(folder).filePath(QStringLiteral("delay-%1-%2.mp4").arg(pollMs).arg(i));
        QFile file(expected);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(64 * 1024, 'x'));
        file.close();
        clock.start();
        QTimer::singleShot(int(settleMs + pollMs) * 3 + 2000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return median(delays);
}

struct Rest
{
    double startMs = 0;      // the first walk
    double cpuPerMinute = 0; // ms of processor time
    long rssKb = 0;
};

Rest atRest(const QString &folder, qint64 pollMs, int seconds, bool watching)
{
    Rest rest;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<FolderWatch> watch;
    if (watching) {
        watch = std::make_unique<FolderWatch>(FolderWatch::Options{{folder}, {}, 1000, pollMs});
        watch->start();
    }
    rest.startMs = double(clock.nsecsElapsed()) / 1e6;
    spin(500); // the files found complete are offered
    const double cpu = cpuMs();
    spin(seconds * 1000);
    rest.cpuPerMinute = (cpuMs() - cpu) * 60.0 / seconds;
    rest.rssKb = rssKb();
    return rest;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int restSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    QTemporaryDir dir;

    std::printf("From a file's last write to its offer to the run (median of 5):\n");
    for (const qint64 settle : {500, 2000}) {
        const QString folder = dir.filePath(QStringLiteral("delay-%1").arg(settle));
        QDir().mkpath(folder);
        const double inotify = offerDelay(folder, settle, 0, 5);
        const double poll = offerDelay(folder, settle, 1000, 5);
        std::printf(
            "  settle %5lld ms: inotify %7.0f ms (%.2f x settle), rescans every 1 s %7.0f ms (%.2f x)\n",
            settle, inotify, inotify / double(settle), poll, poll / double(settle));
    }

    // The command itself: the time to its "taken:" line, the file handed to the run.
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/tavrix-cli");
    if (QFile::exists(cli)) {
        const QString folder = dir.filePath(QStringLiteral("cli"));
        QDir().mkpath(folder);
        QProcess watch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        watch.setProcessEnvironment(env);
        watch.start(cli, {"watch", "--settle", "1", "--dest", dir.path(), folder});
        watch.waitForReadyRead(10000); // "watching: ..."
        watch.readAllStandardOutput();
        QFile file(QDir(folder).filePath(QStringLiteral("clip.mp4")));
        file.open(QIODevice::WriteOnly);
        file.write("not a video, refused after it is taken");
        file.close();
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (!out.contains("taken: ") && clock.elapsed() < 10000 && watch.waitForReadyRead(10000))
            out += watch.readAllStandardOutput();
        std::printf("  tavrix-cli watch --settle 1: \"taken:\" after %.0f ms (%.2f x settle)\n",
                    double(clock.nsecsElapsed()) / 1e6, double(clock.nsecsElapsed()) / 1e9);
        watch.terminate();
        watch.waitForFinished(10000);
    }

    // A tree of FILES video files in folders of 100, written an hour ago.
    const QString tree = dir.filePath(QStringLiteral("tree"));
    const qint64 old = QDateTime::currentSecsSinceEpoch() - 3600;
    for (int i = 0; i < files; ++i) {
        const QString sub = QStringLiteral("%1/d%2").arg(tree).arg(i / 100);
        if (i % 100 == 0)
            QDir().mkpath(sub);
        const QByteArray path = QFile::encodeName(QStringLiteral("%1/clip%2.mp4").arg(sub).arg(i));
        QFile file(QString::fromUtf8(path));
        file.open(QIODevice::WriteOnly);
        file.write("x");
        file.close();
        utimbuf times{old, old};
        ::utime(path.constData(), &times);
    }
    std::printf("\n%d files in %d folders at rest, %d s each (processor time scaled to a minute):\n", files,
                (files + 99) / 100, restSeconds);
    const long rssBefore = rssKb();
    const Rest idle = atRest(tree, 0, restSeconds, false);
    const Rest inotify = atRest(tree, 0, restSeconds, true);
    const Rest poll = atRest(tree, 10000, restSeconds, true);
    std::printf("  nothing watched:     %8.1f ms/min\n", idle.cpuPerMinute);
    std::printf("  inotify:             %8.1f ms/min (%.1f x nothing), first walk %.0f ms, RSS +%ld KiB\n",
                inotify.cpuPerMinute, inotify.cpuPerMinute / std::max(idle.cpuPerMinute, 0.1),
                inotify.startMs, inotify.rssKb - rssBefore);
    std::printf("  rescans every 10 s:  %8.1f ms/min (%.1f x inotify), first walk %.0f ms\n",
                poll.cpuPerMinute, poll.cpuPerMinute / std::max(inotify.cpuPerMinute, 0.1), poll.startMs);
    std::printf("  max RSS of this process: %ld KiB\n", maxRssKb());
    return 0;
}
