// The encoder checks at start: how long finding out about every encoder takes one after another and side
// by side on the session's workers, how long a start with the answers kept takes, and whether the user
// interface thread stays free meanwhile (the call returns at once; the longest gap of a 10 ms timer).
//   bench_encoders [ROUNDS]
#include "media/EncoderCatalog.h"
#include "process/ToolRunner.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct Start
{
    double callMs = 0;    // checkEncoders() on the user interface thread
    double answersMs = 0; // until every answer is in
    double longestGapMs = 0;
};

// One start of a session, as the window makes it, with the event loop turning meanwhile.
Start sessionStart(const QString &cache)
{
    Session session(ToolRunner(), nullptr, cache);
    Start start;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        start.longestGapMs = std::max(start.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    tick.start();
    sinceTick.start();
    clock.start();
    session.checkEncoders();
    start.callMs = clock.nsecsElapsed() / 1e6;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (session.waitForEncoderCheck(0))
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    start.answersMs = clock.nsecsElapsed() / 1e6;
    return start;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("encoders.json"));
    const ToolRunner tools;
    if (!tools.locateTool(QStringLiteral("ffmpeg")).ok()) {
        std::fprintf(stderr, "ffmpeg is missing\n");
        return 1;
    }

    QList<double> serial, sideBySide, cached, calls, gaps;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(cache);
        QElapsedTimer clock;
        clock.start();
        EncoderCatalog alone{QString()};
        alone.checkAll(tools, [](const std::function<void()> &task) { task(); });
        serial << clock.nsecsElapsed() / 1e6;

        const Start fresh = sessionStart(cache);
        sideBySide << fresh.answersMs;
        calls << fresh.callMs;
        gaps << fresh.longestGapMs;
        const Start again = sessionStart(cache);
        cached << again.answersMs;
        calls << again.callMs;
        gaps << again.longestGapMs;
    }
    const int count = int(EncoderCatalog::checkedEncoders().size());
    std::printf("%d encoders, %d rounds, medians\n", count, rounds);
    std::printf("one after another:        %8.1f ms\n", median(serial));
    std::printf("side by side (session):   %8.1f ms  (%.2f of one after another)\n", median(sideBySide),
                median(sideBySide) / median(serial));
    std::printf("answers kept (cache):     %8.1f ms\n", median(cached));
    std::printf("checkEncoders() returned in %.3f ms at most; longest 10 ms timer gap %.1f ms\n",
                *std::max_element(calls.begin(), calls.end()), *std::max_element(gaps.begin(), gaps.end()));
    return 0;
}
