// Pictures of what a film holds: a film-like Matroska file (two audio languages, SubRip and PGS
// subtitles, chapters, 5.1) imported into the main window for MP4, whose row says what MP4 leaves out,
// and its editor scrolled to the track lists. Then, as a user would: one copy of the film remuxed to MP4
// (copy and copy, picked in the editor), another converted to AV1 and Opus in MKV, a run of both, and
// what ffprobe finds in the outputs. Run under an X server (xcb).
//
//   tavrix-shots-tracks OUTDIR
#include "TestSupport.h"

#include "model/Preferences.h"
#include "session/JobListModel.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/JobListView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"
#include "ui/Translations.h"

#include "ShotSupport.h"
#include <QAbstractButton>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

namespace {

int fail(const char *what)
{
    std::fprintf(stderr, "tavrix-shots-tracks: %s\n", what);
    return 1;
}

// Presses the entry `text` of a row of buttons, as a user does.
void pick(QWidget *editor, const char *picker, const QString &text)
{
    auto *row = editor->findChild<SegmentedPicker *>(QString::fromLatin1(picker));
    for (int i = 0; row && i < row->count(); ++i) {
        if (row->button(i)->text() == text)
            row->button(i)->click();
    }
}

void choose(QWidget *editor, const char *picker, const QString &text)
{
    if (auto *combo = editor->findChild<QComboBox *>(QString::fromLatin1(picker)))
        combo->setCurrentIndex(combo->findText(text));
}

void printStreams(const QString &file)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-show_entries",
                 "stream=codec_name,channels,pix_fmt:stream_tags=language:stream_disposition=forced",
                 "-show_entries", "format=nb_streams:chapter=id", "-of", "compact", file});
    probe.waitForFinished(30000);
    std::printf("%s:\n%s", qPrintable(file), probe.readAllStandardOutput().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavrix-shots-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));
    if (argc < 2)
        return fail("usage: tavrix-shots-tracks OUTDIR");
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    Preferences::clear();
    // A user who wants English and French sound, MP4 files and AV1... MP4 first: the row tells what it
    // cannot hold.
    Preferences::writeInt(Preferences::Key::container, 0);
    Preferences::writeText(Preferences::Key::audioLanguages, QStringLiteral("eng, fra"));

    const QString film = home.filePath(QStringLiteral("The Long Weekend (2026).mkv"));
    if (!TestSupport::generateFilm(film))
        return fail("ffmpeg could not make the film");
    MainWindow window;
    window.centerOnScreen();
    window.show();
    ContentView &view = *window.content();
    view.waitForCatalog(30000);
    view.importPaths({film});
    if (!waitFor([&] { return view.model()->rowCount() == 1 && !view.isImporting(); }, 60000))
        return fail("the import did not end");
    settle(300);
    bool ok = saveWindow(&window, out.filePath(QStringLiteral("tracks-row.png")));

    view.editJob(view.model()->index(0, 0));
    auto *editor = window.findChild<DetailView *>();
    if (!editor)
        return fail("no editor");
    settle(400);
    if (auto *scroll = editor->findChild<QScrollArea *>())
        if (auto *tracks = editor->findChild<QListWidget *>(QStringLiteral("audioTrackList")))
            scroll->ensureWidgetVisible(tracks, 0, 40);
    settle(300);
    ok &= saveWindow(editor, out.filePath(QStringLiteral("editor-tracks.png")));
    // The remux: both codecs copied, every audio track kept.
    pick(editor, "videoCodecPicker", QStringLiteral("copy"));
    pick(editor, "audioCodecPicker", QStringLiteral("copy"));
    editor->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    settle(300);

    // A second copy of the film, for AV1 and Opus in Matroska with the surround kept.
    const QString second = home.filePath(QStringLiteral("The Long Weekend (2026) for AV1.mkv"));
    QFile::copy(film, second);
    view.importPaths({second});
    if (!waitFor([&] { return view.model()->rowCount() == 2 && !view.isImporting(); }, 60000))
        return fail("the second import did not end");
    view.editJob(view.model()->index(1, 0));
    settle(400);
    const QList<DetailView *> editors = window.findChildren<DetailView *>();
    DetailView *av1 = nullptr;
    for (DetailView *e : editors)
        if (e->isVisible())
            av1 = e;
    if (!av1)
        return fail("no second editor");
    choose(av1, "containerPicker", QStringLiteral("mkv"));
    pick(av1, "videoCodecPicker", QStringLiteral("libsvtav1"));
    pick(av1, "presetPicker", QStringLiteral("ultrafast"));
    pick(av1, "audioCodecPicker", QStringLiteral("libopus"));
    choose(av1, "channelsPicker", QStringLiteral("Keep"));
    av1->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    settle(300);

    view.startEncoding();
    if (!waitFor([&] { return !view.isRunning(); }, 180000))
        return fail("the run did not end");
    settle(500);
    ok &= saveWindow(&window, out.filePath(QStringLiteral("tracks-results.png")));
    for (const MediaVideo::Ptr &job : view.model()->jobs())
        printStreams(job->result.writtenPath.isEmpty() ? job->destination : job->result.writtenPath);
    return ok ? 0 : 1;
}
