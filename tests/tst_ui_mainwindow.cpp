// The main window with its panels replaced: imports, drops, list editing, the destination row, the
// progress sheet, and the commands during a run.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "model/Preferences.h"
#include "tools/MediaProbe.h"
#include "tools/OutputConflict.h"
#include "tools/OutputName.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/JobDelegate.h"
#include "model/JobListModel.h"
#include "ui/JobListView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/ProgressionView.h"
#include "ui/Setup.h"

#include <QAction>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <filesystem>

#include <sys/stat.h>

namespace {

// Answers the panels with what the test chose and remembers what was asked.
class FakePanels : public Panels
{
public:
    QStringList files;
    QString directory;
    QStringList titles;
    QList<QStringList> extensions;

    QStringList openFiles(QWidget *, const QString &title, const QStringList &ext) override
    {
        titles << title;
        extensions << ext;
        return files;
    }
    QString openDirectory(QWidget *, const QString &title, const QString &) override
    {
        titles << title;
        return directory;
    }
};

QStringList names(const JobListModel *model)
{
    QStringList out;
    for (const MediaVideo::Ptr &job : model->jobs())
        out << QFileInfo(job->source).fileName();
    return out;
}

QStringList destinations(const JobListModel *model)
{
    QStringList out;
    for (const MediaVideo::Ptr &job : model->jobs())
        out << job->destination;
    return out;
}

// Records the sheet going up and down, and whether it was really on screen each time.
struct SheetWatch
{
    QList<bool> shown;
    QList<bool> visible;
    QStringList lastValueText;

    explicit SheetWatch(ContentView &view)
    {
        QObject::connect(view.status(), &RunStatus::showProgressBarChanged, view.progressSheet(),
                         [this, &view](bool on) {
                             shown << on;
                             visible << view.progressSheet()->isVisible();
                             lastValueText << view.progressSheet()->progression()->valueText();
                         });
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip; // a real, tiny clip; other names are copies of it
    FakePanels m_panels;

    QString place(const QString &relative)
    {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!QFile::exists(path))
            QFile::copy(m_clip, path);
        return path;
    }
    static bool waitForImport(ContentView &view)
    {
        QSignalSpy done(&view, &ContentView::importFinished);
        return done.wait(60000);
    }
    static void addJobs(ContentView &view, const QStringList &sources)
    {
        for (const QString &source : sources)
            view.model()->append(std::make_shared<MediaVideo>(source, importDestination(source)));
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        QVERIFY(m_dir.isValid());
        m_clip = m_dir.filePath(QStringLiteral("source.mp4"));
        QVERIFY(TestSupport::generateSimpleClip(m_clip, 1.0));
        Panels::setInstance(&m_panels);
    }
    void cleanupTestCase() { Panels::setInstance(nullptr); }
    void init()
    {
        Preferences::clear();
        m_panels = FakePanels();
    }

    void fileImport_data()
    {
        QTest::addColumn<QString>("destinationDir");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("beside the source")
            << QString() << QStringList{m_dir.filePath("f/clip.mp4"), m_dir.filePath("f/CLIP2.mp4")};
        QTest::newRow("into the destination")
            << QStringLiteral("/out")
            << QStringList{QStringLiteral("/out/clip.mp4"), QStringLiteral("/out/CLIP2.mp4")};
    }
    void fileImport()
    {
        QFETCH(QString, destinationDir);
        QFETCH(QStringList, expected);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        view.destinationField()->setText(destinationDir);
        view.commitDestination();
        SheetWatch sheet(view);
        m_panels.files = {place("f/clip.MOV"), place("f/CLIP2.MTS")};

        view.command(QStringLiteral("open"))->trigger();
        QVERIFY(m_panels.titles.isEmpty()); // the panel comes a moment after the command
        QVERIFY(waitForImport(view));

        QCOMPARE(m_panels.titles, QStringList{QStringLiteral("Import video file")});
        QVERIFY(m_panels.extensions.constFirst().contains(QStringLiteral("mts")));
        QCOMPARE(names(view.model()), (QStringList{"clip.MOV", "CLIP2.MTS"}));
        QCOMPARE(destinations(view.model()), expected);
        QCOMPARE(sheet.shown, (QList<bool>{true, false}));
        QCOMPARE(sheet.visible, (QList<bool>{true, false}));
        QCOMPARE(sheet.lastValueText.constLast(), QStringLiteral("[2 / 2] 100.00%"));
        QCOMPARE(view.status()->currentEncodeFile(), QStringLiteral("CLIP2.MTS"));
        QVERIFY(view.listView()->isEnabled());
    }

    void directoryImportWalksSubdirectoriesAnyCase()
    {
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        view.destinationField()->setText(QStringLiteral("/out")); // not used by a directory import
        view.commitDestination();
        SheetWatch sheet(view);
        place("tree/a.mp4");
        place("tree/sub/B.MTS");
        place("tree/sub/deeper/VIDEO.MP4");
        place("tree/sub/notes.txt");
        QFile::copy(m_clip, m_dir.filePath("tree/sub/deeper/picture.png"));
        m_panels.directory = m_dir.filePath("tree");

        view.command(QStringLiteral("openDirectory"))->trigger();
        QVERIFY(waitForImport(view));

        QCOMPARE(m_panels.titles, QStringList{QStringLiteral("Import video file from directory")});
        QStringList found = names(view.model());
        found.sort();
        QCOMPARE(found, (QStringList{"B.MTS", "VIDEO.MP4", "a.mp4"}));
        for (const MediaVideo::Ptr &job : view.model()->jobs())
            QCOMPARE(QFileInfo(job->destination).absolutePath(), QFileInfo(job->source).absolutePath());
        QCOMPARE(sheet.shown, (QList<bool>{true, false}));
        // Only the accepted video files count, so the sheet ends full.
        QCOMPARE(sheet.lastValueText.constLast(), QStringLiteral("[3 / 3] 100.00%"));
    }

    void cancelledPanelsChangeNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("files") << QStringLiteral("openDocument");
        QTest::newRow("directory") << QStringLiteral("openDirectory");
    }
    void cancelledPanelsChangeNothing()
    {
        QFETCH(QString, command);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        addJobs(view, {QStringLiteral("/a/one.mp4")});
        SheetWatch sheet(view);
        QSignalSpy finished(&view, &ContentView::importFinished);
        view.command(command)->trigger();
        QTRY_COMPARE(m_panels.titles.size(), 1);
        QTest::qWait(50);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(names(view.model()), QStringList{"one.mp4"});
        QVERIFY(sheet.shown.isEmpty());
        QVERIFY(view.listView()->isEnabled());
    }

    // A drop takes every file named, whatever its extension; the command line only video files, and
    // lists the others and the missing in one message. Folders give their videos either way; the names
    // in them that cannot be opened are listed after the import.
    void dropAndCommandLineImports_data()
    {
        QTest::addColumn<bool>("byDrop");
        QTest::newRow("drop") << true;
        QTest::newRow("command line") << false;
    }
    void dropAndCommandLineImports()
    {
        QFETCH(bool, byDrop);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        SheetWatch sheet(view);
        place("tree2/in/deep.M4V");
        place("tree2/skip.doc");
        const QByteArray latin1Name = QFile::encodeName(m_dir.filePath("tree2")) + "/caf\xe9.mov";
        if (!std::filesystem::exists(latin1Name.toStdString()))
            std::filesystem::copy_file(m_clip.toStdString(), latin1Name.toStdString());
        const QStringList paths{place("drop/first.mkv"), place("drop/any.txt"), m_dir.filePath("tree2"),
                                m_dir.filePath("drop/missing.mp4")};
        if (byDrop) {
            QMimeData mime;
            QList<QUrl> urls{QUrl(QStringLiteral("https://example.org/x.mp4"))};
            for (const QString &path : paths)
                urls << QUrl::fromLocalFile(path);
            mime.setUrls(urls);
            QWidget *viewport = view.listView()->viewport();
            const auto actions = Qt::CopyAction | Qt::MoveAction;
            QDragEnterEvent enter(QPoint(10, 10), actions, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), actions, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &drop);
            QVERIFY(drop.isAccepted());
            QVERIFY(waitForImport(view));
        } else {
            view.importArguments(paths); // what the application does with its command line
            QVERIFY(waitForImport(view));
        }
        QStringList messages;
        for (const QMessageBox *box : view.findChildren<QMessageBox *>(QStringLiteral("notImported")))
            messages << box->informativeText();
        const QString unusable = m_dir.filePath("tree2/caf\\xe9.mov");
        if (byDrop) {
            QCOMPARE(names(view.model()), (QStringList{"first.mkv", "any.txt", "deep.M4V"}));
            QCOMPARE(messages, QStringList{unusable});
            QVERIFY(sheet.shown.isEmpty()); // a drop works without the sheet
        } else {
            QCOMPARE(names(view.model()), (QStringList{"first.mkv", "deep.M4V"}));
            QCOMPARE(messages,
                     (QStringList{m_dir.filePath("drop/any.txt") + ": not a video file\n" +
                                      m_dir.filePath("drop/missing.mp4") + ": no such file or folder",
                                  unusable}));
            QCOMPARE(sheet.shown, (QList<bool>{true, false}));
            QCOMPARE(sheet.lastValueText.constLast(), QStringLiteral("[2 / 2] 100.00%"));
        }
    }

    void deleteRemovesEverySelectedRow()
    {
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        addJobs(view, {"/a/0.mp4", "/a/1.mp4", "/a/2.mp4", "/a/3.mp4", "/a/4.mp4"});
        QItemSelectionModel *selection = view.listView()->selectionModel();
        for (int row : {1, 2, 4})
            selection->select(view.model()->index(row), QItemSelectionModel::Select);
        QTest::keyClick(view.listView(), Qt::Key_Delete);
        QCOMPARE(names(view.model()), (QStringList{"0.mp4", "3.mp4"}));

        view.command(QStringLiteral("deleteAll"))->trigger();
        QCOMPARE(view.model()->rowCount(), 0);
        QVERIFY(!view.command(QStringLiteral("deleteAll"))->isEnabled());
    }

    void reorder_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("reported"); // the action the platform says the drop took
        QTest::addColumn<QString>("expected");
        const int move = Qt::MoveAction;
        QTest::newRow("one down") << QList<int>{0} << 2 << move << "1 0 2 3 4";
        QTest::newRow("one up") << QList<int>{3} << 1 << move << "0 3 1 2 4";
        QTest::newRow("to the end") << QList<int>{1} << 5 << move << "0 2 3 4 1";
        QTest::newRow("two apart, together") << QList<int>{0, 3} << 2 << move << "1 0 3 2 4";
        QTest::newRow("onto itself") << QList<int>{2} << 2 << move << "0 1 2 3 4";
        QTest::newRow("target among the moved") << QList<int>{1, 2} << 2 << move << "0 1 2 3 4";
        QTest::newRow("one up, reported as a copy")
            << QList<int>{3} << 1 << int(Qt::CopyAction) << "0 3 1 2 4";
    }
    // Through the view's own drag: the mouse starts it on the list, the platform (stood in for here,
    // as the offscreen platform has no drag and drop) drops it on the target row and reports an action.
    void reorder()
    {
        QFETCH(QList<int>, rows);
        QFETCH(int, target);
        QFETCH(int, reported);
        QFETCH(QString, expected);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        view.resize(600, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        addJobs(view, {"/a/0", "/a/1", "/a/2", "/a/3", "/a/4"});
        JobListView *list = view.listView();
        QWidget *viewport = list->viewport();
        for (int row : rows)
            list->selectionModel()->select(view.model()->index(row), QItemSelectionModel::Select);

        const QRect last = list->visualRect(view.model()->index(4));
        QVERIFY(last.bottom() + 20 < viewport->height()); // room below the rows to drop at the end
        const QPoint dropAt = target < 5
                                  ? list->visualRect(view.model()->index(target)).topLeft() + QPoint(20, 4)
                                  : last.bottomLeft() + QPoint(20, 10);
        int drags = 0;
        JobListView::setDragRunner([&](QDrag *drag, Qt::DropActions actions, Qt::DropAction) {
            ++drags;
            QDragEnterEvent enter(dropAt, actions, drag->mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &enter);
            QDragMoveEvent move(dropAt, actions, drag->mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
            QDropEvent drop(QPointF(dropAt), actions, drag->mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &drop);
            return drop.isAccepted() ? Qt::DropAction(reported) : Qt::IgnoreAction;
        });
        // Pressed beside the name (which would open the editor), then moved far enough to start a drag.
        const QPoint press = list->visualRect(view.model()->index(rows.constFirst())).center();
        const QPoint away = press + QPoint(0, QApplication::startDragDistance() + 8);
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, press);
        QTest::mouseMove(viewport, press + QPoint(0, 2)); // the view takes it for the start of a drag
        QTest::mouseMove(viewport, away);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, away);
        JobListView::setDragRunner({});

        QCOMPARE(drags, 1);
        QCOMPARE(names(view.model()).join(QLatin1Char(' ')), expected);
    }

    void moveRowsFollowsTheUsualSemantics()
    {
        JobListModel model;
        for (const char *name : {"/a/0", "/a/1", "/a/2", "/a/3"})
            model.append(std::make_shared<MediaVideo>(QString::fromLatin1(name)));
        QVERIFY(model.moveRows({}, 0, 2, {}, 4)); // rows end up before the row that was at 4 (the end)
        QCOMPARE(names(&model).join(QLatin1Char(' ')), QStringLiteral("2 3 0 1"));
        QVERIFY(model.moveRows({}, 3, 1, {}, 0));
        QCOMPARE(names(&model).join(QLatin1Char(' ')), QStringLiteral("1 2 3 0"));
        QVERIFY(!model.moveRows({}, 3, 2, {}, 0));
    }

    void destinationRetargetsEveryJob_data()
    {
        QTest::addColumn<int>("formatFile");
        QTest::addColumn<QString>("how"); // Return, focus out, Encoding (typed), or chooser
        QTest::addColumn<QStringList>("expected");
        const QStringList plain{"/chosen/clip.mp4", "/chosen/other.mp4"};
        const QStringList templated{"/chosen/clip_x265_aac.mkv", "/chosen/other_x264_mp3.mkv"};
        QTest::newRow("typed, no template") << 0 << "Return" << plain;
        QTest::newRow("typed, left, no template") << 0 << "focus out" << plain;
        QTest::newRow("typed, then Encoding") << 0 << "Encoding" << plain;
        QTest::newRow("chosen, no template") << 0 << "chooser" << plain;
        QTest::newRow("typed, template") << 2 << "Return" << templated;
        QTest::newRow("typed, left, template") << 2 << "focus out" << templated;
        QTest::newRow("chosen, template") << 2 << "chooser" << templated;
    }
    void destinationRetargetsEveryJob()
    {
        QFETCH(int, formatFile);
        QFETCH(QString, how);
        QFETCH(QStringList, expected);
        const bool byChooser = how == QLatin1String("chooser");
        Preferences::writeInt(Preferences::Key::formatFile, formatFile);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        addJobs(view, {QStringLiteral("/in/clip.mov"), QStringLiteral("/in/other.avi")});
        view.model()->job(1)->videoEncoder = VideoEncoders::libx264;
        view.model()->job(1)->audioEncoder = AudioEncoders::libmp3lame;

        if (byChooser) {
            m_panels.directory = QStringLiteral("/chosen");
            QTest::mouseClick(view.findChild<QWidget *>(QStringLiteral("chooseDestination")), Qt::LeftButton);
            QTRY_COMPARE(view.destinationDirectory(), QStringLiteral("/chosen"));
            QCOMPARE(m_panels.titles, QStringList{QStringLiteral("Choose the destination folder")});
            QCOMPARE(view.destinationField()->text(), QStringLiteral("/chosen"));
        } else if (how == QLatin1String("focus out")) {
            view.show();
            QVERIFY(QTest::qWaitForWindowActive(&view));
            view.destinationField()->setFocus();
            QTest::keyClicks(view.destinationField(), QStringLiteral("/chosen"));
            QTest::keyClick(view.destinationField(), Qt::Key_Tab);
            QVERIFY(!view.destinationField()->hasFocus());
        } else if (how == QLatin1String("Encoding")) {
            view.destinationField()->setText(QStringLiteral("/chosen"));
            QSignalSpy ended(view.encoder(), &BatchEncoder::runFinished);
            view.command(QStringLiteral("encoding"))->trigger(); // the sources do not exist: nothing runs
            QVERIFY(ended.wait(30000));
        } else {
            view.destinationField()->setText(QStringLiteral("/chosen"));
            QTest::keyClick(view.destinationField(), Qt::Key_Return);
        }
        QCOMPARE(destinations(view.model()), expected);
        QCOMPARE(Preferences::readText(Preferences::Key::defaultPath).value_or(QString()),
                 QStringLiteral("/chosen"));
        // A missing folder is said at once, not when encoding fails.
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("destinationWarning"))->isVisibleTo(&view));

        // The stored directory is shown when the window comes back.
        ContentView again{ToolRunner(TestSupport::realResourceDir())};
        QCOMPARE(again.destinationField()->text(), QStringLiteral("/chosen"));

        // A cancelled chooser changes nothing; emptying the field sends the jobs back beside their sources.
        m_panels.directory.clear();
        view.chooseDestination();
        QTRY_COMPARE(m_panels.titles.size(), byChooser ? 2 : 1);
        QCOMPARE(view.destinationDirectory(), QStringLiteral("/chosen"));
        QCOMPARE(destinations(view.model()), expected);
        view.destinationField()->clear();
        view.commitDestination();
        for (const QString &destination : destinations(view.model()))
            QCOMPARE(QFileInfo(destination).absolutePath(), QStringLiteral("/in"));
    }

    // What is on disk is made for each row: "name" a file, "name/" a folder, "name>target" a symbolic
    // link, "name|" a FIFO. A job is "source>destination"; an expected text is empty for no conflict.
    void outputConflicts_data()
    {
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QStringList>("jobs");
        QTest::addColumn<int>("policy");
        QTest::addColumn<QStringList>("expected");
        const int rename = int(Preferences::ExistingOutput::Rename);
        const int skip = int(Preferences::ExistingOutput::Skip);
        const int overwrite = int(Preferences::ExistingOutput::Overwrite);
        QTest::newRow("new file") << QStringList{"a.mov"} << QStringList{"a.mov>a.mp4"} << rename
                                  << QStringList{""};
        QTest::newRow("no destination")
            << QStringList{"a.mov"} << QStringList{"a.mov>"} << skip << QStringList{""};
        QTest::newRow("own source, rename") << QStringList{"a.mp4"} << QStringList{"a.mp4>a.mp4"} << rename
                                            << QStringList{"Same as the source: a new name will be used"};
        QTest::newRow("own source, skip") << QStringList{"a.mp4"} << QStringList{"a.mp4>a.mp4"} << skip
                                          << QStringList{"Same as the source: will not be run"};
        QTest::newRow("own source through a link, overwrite")
            << QStringList{"a.mp4", "sub/", "sub/b.mp4>../a.mp4"} << QStringList{"a.mp4>sub/b.mp4"}
            << overwrite << QStringList{"Same as the source: will not be run"};
        QTest::newRow("own source spelled otherwise")
            << QStringList{"a.mp4", "sub/"} << QStringList{"a.mp4>sub/../a.mp4"} << rename
            << QStringList{"Same as the source: a new name will be used"};
        QTest::newRow("file there, rename") << QStringList{"a.mov", "a.mp4"} << QStringList{"a.mov>a.mp4"}
                                            << rename << QStringList{"a.mp4 exists: a new name will be used"};
        QTest::newRow("file there, skip") << QStringList{"a.mov", "a.mp4"} << QStringList{"a.mov>a.mp4"}
                                          << skip << QStringList{"a.mp4 exists: will be skipped"};
        QTest::newRow("file there, overwrite") << QStringList{"a.mov", "a.mp4"} << QStringList{"a.mov>a.mp4"}
                                               << overwrite << QStringList{"a.mp4 exists: will be replaced"};
        QTest::newRow("dangling link there")
            << QStringList{"a.mov", "a.mp4>gone.mp4"} << QStringList{"a.mov>a.mp4"} << skip
            << QStringList{"a.mp4 exists: will be skipped"};
        // Overwrite replaces plain files only; the run refuses anything else, and so does the row.
        QTest::newRow("FIFO there") << QStringList{"a.mov", "a.mp4|"} << QStringList{"a.mov>a.mp4"}
                                    << overwrite << QStringList{"a.mp4 exists: will not be run"};
        QTest::newRow("link there, overwrite") << QStringList{"a.mov", "b.mp4", "a.mp4>b.mp4"}
                                               << QStringList{"a.mov>a.mp4"} << overwrite
                                               << QStringList{"a.mp4 exists: will not be run"};
        QTest::newRow("another job's source, overwrite")
            << QStringList{"a.mov", "b.mp4"} << QStringList{"a.mov>b.mp4", "b.mp4>b.mkv"} << overwrite
            << QStringList{"The source of job 2: will not be run", ""};
        QTest::newRow("folder there") << QStringList{"a.mov", "a.mp4/"} << QStringList{"a.mov>a.mp4"}
                                      << rename << QStringList{"a.mp4 exists: a new name will be used"};
        QTest::newRow("a name that would break the line")
            << QStringList{"new\nline.mov", "new\nline.mp4"} << QStringList{"new\nline.mov>new\nline.mp4"}
            << skip << QStringList{"new\\x0aline.mp4 exists: will be skipped"};
        QTest::newRow("one output for two jobs")
            << QStringList{"a.mov", "a.mkv", "b.mov", "sub/"}
            << QStringList{"a.mov>a.mp4", "b.mov>b.mp4", "a.mkv>sub/../a.mp4"} << overwrite
            << QStringList{"Same output as job 3 (a.mkv)", "", "Same output as job 1 (a.mov)"};
        QTest::newRow("a file there says more than a shared output")
            << QStringList{"a.mp4", "a.mov"} << QStringList{"a.mp4>a.mp4", "a.mov>a.mp4"} << rename
            << QStringList{"Same as the source: a new name will be used",
                           "The source of job 1: a new name will be used"};
    }
    void outputConflicts()
    {
        QFETCH(QStringList, disk);
        QFETCH(QStringList, jobs);
        QFETCH(int, policy);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const auto at = [&dir](const QString &name) { return name.isEmpty() ? name : dir.filePath(name); };
        for (const QString &entry : disk) {
            if (entry.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir().mkpath(at(entry)));
            } else if (entry.endsWith(QLatin1Char('|'))) {
                QCOMPARE(::mkfifo(QFile::encodeName(at(entry.chopped(1))).constData(), 0600), 0);
            } else if (entry.contains(QLatin1Char('>'))) {
                const QStringList link = entry.split(QLatin1Char('>'));
                QVERIFY(QFile::link(link.at(1), at(link.at(0))));
            } else {
                QFile file(at(entry));
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }
        QList<MediaVideo::Ptr> list;
        for (const QString &job : jobs) {
            const QStringList paths = job.split(QLatin1Char('>'));
            list << std::make_shared<MediaVideo>(at(paths.at(0)), at(paths.at(1)));
        }
        QStringList texts;
        const QList<OutputConflict> found =
            findOutputConflicts(list, Preferences::ExistingOutput(policy), &probePath);
        for (const OutputConflict &conflict : found)
            texts << conflict.text;
        QCOMPARE(texts, expected);
    }

    // The row says it under the name, the editor under the destination, both as the job is now.
    void conflictsShowInTheRowAndTheEditor()
    {
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        view.show();
        const QString source = place("conflict/phone.mp4");
        auto job = std::make_shared<MediaVideo>(source, importDestination(source));
        job->container = 0; // mp4, as imported with fresh settings
        view.model()->append(job);
        const QModelIndex row = view.model()->index(0);
        const QString sameAsSource = QStringLiteral("Same as the source: a new name will be used");
        QTRY_COMPARE(row.data(JobListModel::ConflictRole).toString(), sameAsSource);

        view.editJob(row);
        auto *editor = view.findChild<DetailView *>();
        QVERIFY(editor);
        auto *note = editor->findChild<QLabel *>(QStringLiteral("destinationConflict"));
        QVERIFY(note->isVisibleTo(editor));
        QVERIFY(note->text().contains(sameAsSource));
        auto *field = editor->findChild<QLineEdit *>(QStringLiteral("destinationEdit"));
        field->setText(m_dir.filePath(QStringLiteral("conflict/phone-small.mp4")));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!note->isVisibleTo(editor));
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
        QTRY_COMPARE(row.data(JobListModel::ConflictRole).toString(), QString());

        // A file made while the user was in another window shows when the window is back.
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QVERIFY(QFile::copy(source, m_dir.filePath(QStringLiteral("conflict/phone-small.mp4"))));
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTRY_COMPARE(row.data(JobListModel::ConflictRole).toString(),
                     QStringLiteral("phone-small.mp4 exists: a new name will be used"));
    }

    void pressingTheNameOpensTheEditorAndSetupOpensItsSheet()
    {
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        window.show();
        ContentView &view = *window.content();
        addJobs(view, {QStringLiteral("/in/first.mov"), QStringLiteral("/in/second.mov")});
        JobListView *list = view.listView();
        const QRect row = list->visualRect(view.model()->index(1));
        const QRect name = JobDelegate::layout(row, list->fontMetrics()).name;

        // Beside the name, a press only selects the row.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.center().x(), name.center().y()));
        QVERIFY(!window.findChild<DetailView *>());
        QCOMPARE(list->selectedRows(), QList<int>{1});

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(name.left() + 4, name.center().y()));
        auto *editor = window.findChild<DetailView *>();
        QVERIFY(editor);
        QCOMPARE(editor->job(), view.model()->job(1));
        QVERIFY(editor->windowModality() == Qt::WindowModal);
        editor->reject();
        QTRY_VERIFY(!window.findChild<DetailView *>());

        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::Key_P));
        QTRY_VERIFY(window.findChild<Setup *>());
        auto *setup = window.findChild<Setup *>();
        QVERIFY(setup->isVisible() && setup->windowModality() == Qt::WindowModal);
        view.toggleSetup(); // once open, asking again does not stack a second sheet
        QCOMPARE(window.findChildren<Setup *>().size(), 1);
        setup->reject();
        QTRY_VERIFY(!window.findChild<Setup *>());
    }

    void runDisablesCommandsAndCloseAsksFirst()
    {
        TestSupport::ResourceDir tools(TestSupport::ResourceDir::Entry::Fake,
                                       TestSupport::ResourceDir::Entry::Real);
        MainWindow window{ToolRunner(tools.path())};
        ContentView &view = *window.content();
        QVERIFY(view.waitForCatalog(30000));
        window.show();
        // Probed with the real tools, so the run has real command lines to start.
        for (const char *name : {"run/one.mp4", "run/two.mp4"}) {
            const QString source = place(QString::fromLatin1(name));
            view.model()->append(createMediaVideo(source, source + QStringLiteral(".out.mp4"),
                                                  ToolRunner(TestSupport::realResourceDir())));
        }
        for (QAction *action : view.commands())
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));

        // The fake encoder says when it runs, so that the stop below finds the first job encoding.
        const QString started = m_dir.filePath(QStringLiteral("run/encoder-started"));
        qputenv("FAKE_TOOL_SCRIPT", "touch:" + started.toUtf8() + ";hang");
        view.startEncoding();
        QVERIFY(view.isRunning());
        QTRY_VERIFY(view.progressSheet()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started), 30000);
        for (QAction *action : view.commands())
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY(!view.listView()->isEnabled());
        auto *mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(place("run/three.mp4"))});
        QVERIFY(!view.model()->canDropMimeData(mime, Qt::CopyAction, -1, 0, {}));
        delete mime;

        // Escape does not close the sheet.
        QTest::keyClick(view.progressSheet(), Qt::Key_Escape);
        QVERIFY(view.progressSheet()->isVisible());

        int asked = 0;
        window.setCloseQuestion([&asked](QWidget *) { return ++asked > 1; });
        QVERIFY(!window.close()); // "no": the run goes on
        QCOMPARE(asked, 1);
        QVERIFY(view.isRunning());

        QSignalSpy ended(view.encoder(), &BatchEncoder::runFinished);
        QVERIFY(window.close()); // "yes": the run is stopped
        QCOMPARE(asked, 2);
        QVERIFY(ended.size() == 1 || ended.wait(30000));
        qunsetenv("FAKE_TOOL_SCRIPT");
        QVERIFY(!view.isRunning());
        QTRY_VERIFY(!view.progressSheet()->isVisible());
        QVERIFY(view.command(QStringLiteral("encoding"))->isEnabled());
        QCOMPARE(view.model()->job(0)->result.status, JobResult::Status::Stopped);
        QCOMPARE(view.model()->job(1)->result.status, JobResult::Status::NotRun);
    }

    // Encoding takes the jobs not done yet, clears their rows first and sums up a run that did not all
    // go well; with every job done it asks before converting them all again.
    void encodingRunsWhatIsNotDoneAndSumsUp()
    {
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        ContentView &view = *window.content();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const char *name : {"redo/done.mov", "redo/failed before.mov", "redo/bad option.mov"}) {
            const QString source = place(QString::fromLatin1(name));
            MediaVideo::Ptr job = createMediaVideo(source, importDestination(source),
                                                   ToolRunner(TestSupport::realResourceDir()));
            job->videoPreset = VideoPresets::ultrafast;
            view.model()->append(job);
        }
        MediaVideo &done = *view.model()->job(0);
        MediaVideo &failedBefore = *view.model()->job(1);
        MediaVideo &badOption = *view.model()->job(2);
        done.result.status = JobResult::Status::Succeeded; // a run before this one converted it
        failedBefore.result.status = JobResult::Status::Failed;
        failedBefore.result.reason = QStringLiteral("an earlier failure");
        badOption.otherParam = QStringLiteral("-no_such_option 1");

        QSignalSpy ended(view.encoder(), &BatchEncoder::runFinished);
        QTest::mouseClick(view.findChild<QPushButton *>(QStringLiteral("encoding")), Qt::LeftButton);
        QVERIFY(view.isRunning());
        QCOMPARE(view.status()->nbrFilesEncoding(), 2);
        QCOMPARE(failedBefore.result.status, JobResult::Status::None); // not the last run's word meanwhile
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 60000);
        QCOMPARE(done.result.status, JobResult::Status::Succeeded);
        QVERIFY(!QFileInfo::exists(done.destination)); // it was not run again
        QCOMPARE(failedBefore.result.status, JobResult::Status::Succeeded);
        QCOMPARE(badOption.result.status, JobResult::Status::Failed);

        auto *summary = window.findChild<QMessageBox *>(QStringLiteral("runSummary"));
        QVERIFY(summary && summary->isVisible());
        QCOMPARE(summary->text(), QStringLiteral("Encoding finished: 1 succeeded, 1 failed."));
        QVERIFY2(summary->informativeText().startsWith(
                     QStringLiteral("bad option.mov: ffmpeg exited with status")),
                 qPrintable(summary->informativeText()));
        summary->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!window.findChild<QMessageBox *>(QStringLiteral("runSummary")));

        // Every job done: asked first; "Cancel" starts nothing, "Convert Again" runs them all.
        badOption.result.status = JobResult::Status::Succeeded;
        for (const char *answer : {"cancelButton", "convertAgainButton"}) {
            view.startEncoding();
            auto *question = window.findChild<QMessageBox *>(QStringLiteral("convertAgain"));
            QVERIFY(question && question->isVisible());
            QVERIFY(!view.isRunning());
            QTest::mouseClick(question->findChild<QPushButton *>(QString::fromLatin1(answer)),
                              Qt::LeftButton);
            QTRY_VERIFY(!window.findChild<QMessageBox *>(QStringLiteral("convertAgain")));
        }
        QVERIFY(view.isRunning());
        QCOMPARE(view.status()->nbrFilesEncoding(), 3);
        QCOMPARE(done.result.status, JobResult::Status::None);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 60000);
        if (auto *box = window.findChild<QMessageBox *>(QStringLiteral("runSummary")))
            box->close();
    }

    void missingToolIsReportedOnceAndClosingWithoutRunAsksNothing()
    {
        TestSupport::ResourceDir tools(TestSupport::ResourceDir::Entry::Missing,
                                       TestSupport::ResourceDir::Entry::Real);
        MainWindow window{ToolRunner(tools.path())};
        window.show();
        const QString message = window.content()->reportMissingTools();
        QVERIFY(message.contains(QStringLiteral("apt-get install ffmpeg")));
        QVERIFY(!message.contains(QStringLiteral("mediainfo")));
        window.content()->reportMissingTools();
        const auto boxes = window.findChildren<QMessageBox *>(QStringLiteral("missingTools"));
        QVERIFY(boxes.size() == 1 && boxes.constFirst()->isVisible());
        QVERIFY(window.content()->command(QStringLiteral("open"))->isEnabled());

        MainWindow complete{ToolRunner(TestSupport::realResourceDir())};
        QVERIFY(complete.content()->reportMissingTools().isEmpty());
        QVERIFY(!complete.findChild<QMessageBox *>(QStringLiteral("missingTools")));

        // Without a run, closing asks nothing.
        complete.show();
        bool asked = false;
        complete.setCloseQuestion([&asked](QWidget *) { return asked = true; });
        QVERIFY(complete.close());
        QVERIFY(!asked);
        QVERIFY(QApplication::quitOnLastWindowClosed());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_ui_mainwindow.moc"
