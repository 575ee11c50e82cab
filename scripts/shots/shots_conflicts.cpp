// Pictures of the main window before and after a run: rows whose destination is taken (their own
// source, a file already there, another job's output), and a folder of .mp4, .MOV and .mkv files
// converted with fresh settings and no destination folder, with the summary the run ends with. Run
// under an X server (xcb).
//
//   tavrix-shots-conflicts OUTDIR
#include "model/Preferences.h"
#include "process/ToolRunner.h"
#include "session/JobListModel.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/Translations.h"

#include "ShotSupport.h"
#include <QAction>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

class ChosenFiles : public Panels
{
public:
    QStringList files;
    QString directory;
    QStringList openFiles(QWidget *, const QString &, const QStringList &) override { return files; }
    QString openDirectory(QWidget *, const QString &, const QString &) override { return directory; }
};

bool makeClip(const QString &path, const QString &picture, double seconds, const QStringList &extra = {})
{
    QStringList args{
        "-hide_banner", "-loglevel",
        "error",        "-y",
        "-f",           "lavfi",
        "-i",           picture,
        "-f",           "lavfi",
        "-i",           QStringLiteral("sine=frequency=440:duration=") + QString::number(seconds),
        "-c:v",         "libx264",
        "-preset",      "ultrafast",
        "-pix_fmt",     "yuv420p",
        "-c:a",         "aac",
        "-shortest"};
    args << extra << path;
    QProcess ffmpeg;
    ffmpeg.start(ToolRunner().locateTool(QStringLiteral("ffmpeg")).path, args);
    const bool ok = ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0;
    if (!ok)
        std::fprintf(stderr, "%s", ffmpeg.readAllStandardError().constData());
    return ok;
}

// The window as it is on screen, with any sheet or message over it.
bool grabScreenArea(const QWidget &window, const QString &path)
{
    QScreen *screen = window.screen();
    const QRect area = window.frameGeometry();
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return !shot.isNull() && shot.save(path);
}

int fail(const char *what)
{
    std::fprintf(stderr, "tavrix-shots-conflicts: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavrix-shots-XXXXXX"));
    // The pictures must not depend on (or change) the settings of whoever takes them.
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));
    if (argc < 2)
        return fail("usage: tavrix-shots-conflicts OUTDIR");
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    Preferences::clear(); // fresh settings: no destination folder, Rename for existing outputs

    // 1. Rows whose output is taken, before any run.
    const QDir phone(home.filePath(QStringLiteral("Phone")));
    QDir().mkpath(phone.path());
    const struct
    {
        const char *name;
        const char *picture;
    } clips[] = {
        {"IMG_0412.mp4", "testsrc2=size=640x360:rate=25"},
        {"interview.mov", "smptehdbars=size=640x360:rate=25"},
        {"garden.mov", "mandelbrot=size=640x360:rate=25"},
        {"garden.mkv", "testsrc=size=640x360:rate=25"},
        {"party.MOV", "rgbtestsrc=size=640x360:rate=25"},
    };
    ChosenFiles panels;
    for (const auto &clip : clips) {
        const QString path = phone.filePath(QString::fromLatin1(clip.name));
        if (!makeClip(path, QString::fromLatin1(clip.picture), 2))
            return fail("ffmpeg could not make the clips");
        panels.files << path;
    }
    // Converted once before: its output is there already.
    QFile::copy(phone.filePath(QStringLiteral("interview.mov")),
                phone.filePath(QStringLiteral("interview.mp4")));

    auto window = std::make_unique<MainWindow>();
    window->centerOnScreen();
    window->show();
    ContentView *view = window->content();
    view->setPanels(&panels);
    view->waitForCatalog(30000);
    view->command(QStringLiteral("open"))->trigger();
    if (!waitFor(
            [&] { return view->model()->rowCount() == int(panels.files.size()) && !view->isImporting(); },
            120000))
        return fail("the import did not end");
    settle();
    if (!window->grab().save(out.filePath(QStringLiteral("conflicts.png"))))
        return fail("could not save conflicts.png");
    window.reset();

    // 2. A folder from a camera and a phone, converted with fresh settings beside its files.
    const QDir folder(home.filePath(QStringLiteral("Holiday")));
    QDir().mkpath(folder.path());
    const struct
    {
        const char *name;
        const char *picture;
        double seconds;
    } holiday[] = {
        {"beach.mp4", "testsrc2=size=640x360:rate=25", 3},
        {"DSC_0031.MOV", "smptehdbars=size=640x360:rate=25", 3},
        {"boat trip.mkv", "mandelbrot=size=640x360:rate=25", 3},
    };
    for (const auto &clip : holiday) {
        if (!makeClip(folder.filePath(QString::fromLatin1(clip.name)), QString::fromLatin1(clip.picture),
                      clip.seconds))
            return fail("ffmpeg could not make the clips");
    }
    // A copy from the camera that stopped half way: its index is whole, its second half missing.
    const QString cut = folder.filePath(QStringLiteral("drone.mp4"));
    if (!makeClip(cut, QStringLiteral("testsrc2=size=640x360:rate=25"), 8, {"-movflags", "+faststart"}) ||
        !QFile::resize(cut, QFileInfo(cut).size() / 2))
        return fail("ffmpeg could not make the clips");
    panels.directory = folder.path();
    window = std::make_unique<MainWindow>();
    window->centerOnScreen();
    window->show();
    view = window->content();
    view->setPanels(&panels);
    view->waitForCatalog(30000);
    view->command(QStringLiteral("openDirectory"))->trigger();
    if (!waitFor([&] { return view->model()->rowCount() == 4 && !view->isImporting(); }, 120000))
        return fail("the folder import did not end");
    settle();
    view->startEncoding();
    if (!view->isRunning())
        return fail("the run did not start");
    if (!waitFor([&] { return !view->isRunning(); }, 300000))
        return fail("the run did not end");
    settle(800);
    if (!grabScreenArea(*window, out.filePath(QStringLiteral("folder-run.png"))))
        return fail("could not save folder-run.png");
    if (auto *summary = window->findChild<QMessageBox *>(QStringLiteral("runSummary")))
        summary->close();
    window.reset();

    std::printf("%s\n%s\n", qPrintable(out.filePath(QStringLiteral("conflicts.png"))),
                qPrintable(out.filePath(QStringLiteral("folder-run.png"))));
    return 0;
}
