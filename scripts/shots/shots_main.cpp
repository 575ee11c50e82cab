// Pictures of the main window: with a few generated clips imported, with the progress sheet during a
// real run, and after the run was stopped (each job's result). Run under an X server (xcb).
//
//   tavrix-shots-main OUTDIR
#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "model/Preferences.h"
#include "process/ToolRunner.h"
#include "session/JobListModel.h"
#include "ui/ContentView.h"
#include "ui/LogViewer.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/ProgressionView.h"
#include "ui/Translations.h"

#include "ShotSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

namespace {

class ChosenFiles : public Panels
{
public:
    QStringList files;
    QStringList openFiles(QWidget *, const QString &, const QStringList &) override { return files; }
};

bool makeClip(const QString &path, const QString &picture, double seconds)
{
    QProcess ffmpeg;
    ffmpeg.start(ToolRunner().locateTool(QStringLiteral("ffmpeg")).path,
                 {"-hide_banner", "-loglevel",
                  "error",        "-y",
                  "-f",           "lavfi",
                  "-i",           picture,
                  "-f",           "lavfi",
                  "-i",           QStringLiteral("sine=frequency=330:duration=") + QString::number(seconds),
                  "-c:v",         "libx264",
                  "-preset",      "ultrafast",
                  "-g",           "25",
                  "-pix_fmt",     "yuv420p",
                  "-c:a",         "aac",
                  "-shortest",    path});
    const bool ok = ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0;
    if (!ok)
        std::fprintf(stderr, "%s", ffmpeg.readAllStandardError().constData());
    return ok;
}

// The window as it is on screen, with any sheet over it.
bool grabScreenArea(const QWidget &window, const QString &path)
{
    QScreen *screen = window.screen();
    const QRect area = window.frameGeometry();
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return !shot.isNull() && shot.save(path);
}

int fail(const char *what)
{
    std::fprintf(stderr, "tavrix-shots-main: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavrix-shots-XXXXXX"));
    // The pictures must not depend on (or change) the settings of whoever takes them.
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));
    if (argc < 2)
        return fail("usage: tavrix-shots-main OUTDIR");
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    Preferences::clear();
    Preferences::writeInt(Preferences::Key::videoEncoder, int(VideoEncoders::libx264));
    Preferences::writeInt(Preferences::Key::videoPreset, int(VideoPresets::medium));

    const QDir videos(home.filePath(QStringLiteral("Videos")));
    const QDir converted(home.filePath(QStringLiteral("Converted")));
    QDir().mkpath(videos.path());
    QDir().mkpath(converted.path());
    const struct
    {
        const char *name;
        const char *picture;
        double seconds;
    } clips[] = {
        {"Holiday 2026 - beach.mp4", "testsrc2=size=1280x720:rate=25", 30},
        {"CONCERT_REHEARSAL.MTS", "smptehdbars=size=1280x720:rate=25", 6},
        {"interview cam B.mov", "mandelbrot=size=640x480:rate=25", 6},
        {"phone_vertical.mp4", "testsrc=size=360x640:rate=30", 5},
    };
    ChosenFiles panels;
    for (const auto &clip : clips) {
        const QString path = videos.filePath(QString::fromUtf8(clip.name));
        if (!makeClip(path, QString::fromLatin1(clip.picture), clip.seconds))
            return fail("ffmpeg could not make the clips");
        panels.files << path;
    }
    MainWindow window;
    window.centerOnScreen();
    window.show();
    ContentView &view = *window.content();
    view.setPanels(&panels);
    view.destinationField()->setText(converted.path());
    view.commitDestination();
    view.waitForCatalog(30000);

    view.command(QStringLiteral("open"))->trigger();
    if (!waitFor([&] { return view.model()->rowCount() == int(panels.files.size()) && !view.isImporting(); },
                 120000))
        return fail("the import did not end");
    settle();
    if (!window.grab().save(out.filePath(QStringLiteral("main.png"))))
        return fail("could not save main.png");

    view.startEncoding();
    if (!view.isRunning())
        return fail("the run did not start");
    // The first job partly done, with its time left known: a picture worth reading.
    const auto underWay = [&] {
        const RunStatus &s = *view.status();
        return s.activeEncoding() == QLatin1String("1") && s.percentValue() > 35 && s.runSecondsLeft() >= 0;
    };
    if (!waitFor(underWay, 180000))
        return fail("the run did not get under way");
    // Paused, with a choice made for the end: the sheet's controls all show.
    if (auto *pause = view.progressSheet()->findChild<QPushButton *>(QStringLiteral("pause")))
        pause->click();
    if (auto *whenDone = view.progressSheet()->findChild<QComboBox *>(QStringLiteral("whenDone")))
        whenDone->setCurrentIndex(whenDone->findText(QStringLiteral("Quit Tavrix")));
    settle(300);
    if (!grabScreenArea(window, out.filePath(QStringLiteral("progress.png"))))
        return fail("could not save progress.png");
    if (auto *pause = view.progressSheet()->findChild<QPushButton *>(QStringLiteral("pause")))
        pause->click();
    if (auto *whenDone = view.progressSheet()->findChild<QComboBox *>(QStringLiteral("whenDone")))
        whenDone->setCurrentIndex(0);

    // Let the first job finish and stop the second, so every kind of result shows.
    if (!waitFor([&] { return view.status()->activeEncoding() == QLatin1String("2"); }, 180000))
        return fail("the run did not reach its second job");
    settle(500);
    view.stopWork();
    if (!waitFor([&] { return !view.isRunning() && !view.progressSheet()->isVisible(); }, 60000))
        return fail("the run did not stop");
    settle();
    if (!window.grab().save(out.filePath(QStringLiteral("results.png"))))
        return fail("could not save results.png");

    // The log of the job that converted, as "Show Log" opens it.
    view.showLog(0, view.logFor(*view.model()->jobs().constFirst()));
    LogViewer *log = nullptr;
    if (!waitFor([&] { return (log = window.findChild<LogViewer *>()) && log->isVisible(); }, 10000))
        return fail("the log viewer did not open");
    settle();
    if (!log->grab().save(out.filePath(QStringLiteral("log.png"))))
        return fail("could not save log.png");
    log->close();

    std::printf("%s\n%s\n%s\n%s\n", qPrintable(out.filePath(QStringLiteral("main.png"))),
                qPrintable(out.filePath(QStringLiteral("progress.png"))),
                qPrintable(out.filePath(QStringLiteral("results.png"))),
                qPrintable(out.filePath(QStringLiteral("log.png"))));
    return 0;
}
