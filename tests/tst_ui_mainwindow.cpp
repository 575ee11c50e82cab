// The main window as a user drives it, with its panels replaced: imports, drops, the list, the
// destination row, the editor and the commands during a run. The rules behind them have their own
// tables (tst_naming, tst_rules); here is what only the window shows.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "model/JobListModel.h"
#include "model/Preferences.h"
#include "tools/MediaProbe.h"
#include "tools/OutputConflict.h"
#include "tools/OutputName.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/JobDelegate.h"
#include "ui/JobListView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/ProgressionView.h"

#include <QAbstractItemModelTester>
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

    QStringList openFiles(QWidget *, const QString &title, const QStringList &) override
    {
        titles << title;
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

// Records the sheet going up and down and what it said last.
struct SheetWatch
{
    QList<bool> shown;
    QString lastText;

    explicit SheetWatch(ContentView &view)
    {
        QObject::connect(view.status(), &RunStatus::showProgressBarChanged, view.progressSheet(),
                         [this, &view](bool on) {
                             QCOMPARE(view.progressSheet()->isVisible(), on);
                             shown << on;
                             lastText = view.progressSheet()->progression()->valueText();
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
    // The test's panels, and the model checked on every change.
    void prepare(ContentView &view)
    {
        view.setPanels(&m_panels);
        new QAbstractItemModelTester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     &view);
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
    }
    void init()
    {
        Preferences::clear();
        m_panels = FakePanels();
    }

    // Each job as "name>destination"; a directory import goes beside the sources, whatever the row says.
    void panelImports_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answer"); // the files chosen, or the one directory
        QTest::addColumn<QString>("destinationDir");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("expected");
        const QStringList files{place("f/clip.MOV"), place("f/CLIP2.MTS")};
        const QString filesTitle = QStringLiteral("Import video file");
        const QString treeTitle = QStringLiteral("Import video file from directory");
        place("tree/a.mp4");
        place("tree/sub/B.MTS");
        place("tree/sub/deeper/VIDEO.MP4");
        place("tree/sub/notes.txt");
        QFile::copy(m_clip, m_dir.filePath("tree/sub/deeper/picture.png"));
        QTest::newRow("files into the destination")
            << "openDocument" << files << "/out" << filesTitle
            << QStringList{"clip.MOV>/out/clip.mp4", "CLIP2.MTS>/out/CLIP2.mp4"};
        QTest::newRow("a tree, any letter case")
            << "openDirectory" << QStringList{m_dir.filePath("tree")} << "/out" << treeTitle
            << QStringList{"B.MTS>" + m_dir.filePath("tree/sub/B.mp4"),
                           "VIDEO.MP4>" + m_dir.filePath("tree/sub/deeper/VIDEO.mp4"),
                           "a.mp4>" + m_dir.filePath("tree/a.mp4")};
        QTest::newRow("files cancelled")
            << "openDocument" << QStringList() << QString() << filesTitle << QStringList();
    }
    void panelImports()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answer);
        QFETCH(QString, destinationDir);
        QFETCH(QString, title);
        QFETCH(QStringList, expected);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        prepare(view);
        view.destinationField()->setText(destinationDir);
        view.commitDestination();
        SheetWatch sheet(view);
        QSignalSpy finished(&view, &ContentView::importFinished);
        if (command == "openDirectory")
            m_panels.directory = answer.value(0);
        else
            m_panels.files = answer;

        view.command(command)->trigger();
        QVERIFY(m_panels.titles.isEmpty()); // the panel comes a moment after the command
        QTRY_COMPARE(m_panels.titles, QStringList{title});
        if (expected.isEmpty()) {
            QTest::qWait(50);
            QCOMPARE(finished.size(), 0);
            QVERIFY(sheet.shown.isEmpty());
            return;
        }
        QVERIFY(finished.size() == 1 || finished.wait(60000));
        QStringList jobs;
        for (const MediaVideo::Ptr &job : view.model()->jobs())
            jobs << QFileInfo(job->source).fileName() + '>' + job->destination;
        if (command == "openDirectory")
            jobs.sort();
        QCOMPARE(jobs, expected);
        QCOMPARE(sheet.shown, (QList<bool>{true, false}));
        QCOMPARE(sheet.lastText, QStringLiteral("[%1 / %1] 100.00%").arg(expected.size()));
        QVERIFY(view.listView()->isEnabled());
    }

    // A drop on the list takes every file named, whatever its extension, and the videos of a folder;
    // what cannot be opened is listed after the import, and no sheet covers the window.
    void dropImports()
    {
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        prepare(view);
        SheetWatch sheet(view);
        place("tree2/in/deep.M4V");
        place("tree2/skip.doc");
        const QByteArray latin1Name = QFile::encodeName(m_dir.filePath("tree2")) + "/caf\xe9.mov";
        std::filesystem::copy_file(m_clip.toStdString(), latin1Name.toStdString());
        QMimeData mime;
        mime.setUrls(
            {QUrl(QStringLiteral("https://example.org/x.mp4")), QUrl::fromLocalFile(place("drop/first.mkv")),
             QUrl::fromLocalFile(place("drop/any.txt")), QUrl::fromLocalFile(m_dir.filePath("tree2"))});
        QWidget *viewport = view.listView()->viewport();
        const auto actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(10, 10), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(waitForImport(view));
        QCOMPARE(names(view.model()), (QStringList{"first.mkv", "any.txt", "deep.M4V"}));
        auto *box = view.findChild<QMessageBox *>(QStringLiteral("notImported"));
        QVERIFY(box);
        QCOMPARE(box->informativeText(), m_dir.filePath("tree2/caf\\xe9.mov"));
        QVERIFY(sheet.shown.isEmpty());
    }

    void deleteRemovesEverySelectedRow()
    {
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        prepare(view);
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
        QTest::newRow("to the end") << QList<int>{1} << 5 << move << "0 2 3 4 1";
        QTest::newRow("two apart, together") << QList<int>{0, 3} << 2 << move << "1 0 3 2 4";
        QTest::newRow("target among the moved") << QList<int>{1, 2} << 2 << move << "0 1 2 3 4";
        // Some platforms report a move within one view as a copy: still a move, never a delete.
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
        prepare(view);
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
        const auto restore = qScopeGuard([] { JobListView::setDragRunner({}); });
        // Pressed beside the name (which would open the editor), then moved far enough to start a drag.
        const QPoint press = list->visualRect(view.model()->index(rows.constFirst())).center();
        const QPoint away = press + QPoint(0, QApplication::startDragDistance() + 8);
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, press);
        QTest::mouseMove(viewport, press + QPoint(0, 2)); // the view takes it for the start of a drag
        QTest::mouseMove(viewport, away);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, away);

        QCOMPARE(drags, 1);
        QCOMPARE(names(view.model()).join(QLatin1Char(' ')), expected);
    }

    // The destination typed or chosen takes effect on Return, on leaving the field and on Encoding,
    // is stored, and is said at once to be missing.
    void destinationTakesEffect_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"Return", "focus out", "Encoding", "chooser"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void destinationTakesEffect()
    {
        QFETCH(QString, how);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        prepare(view);
        addJobs(view, {QStringLiteral("/in/clip.mov"), QStringLiteral("/in/other.avi")});
        QLineEdit *field = view.destinationField();
        if (how == "chooser") {
            m_panels.directory = QStringLiteral("/chosen");
            QTest::mouseClick(view.findChild<QWidget *>(QStringLiteral("chooseDestination")), Qt::LeftButton);
            QTRY_COMPARE(m_panels.titles, QStringList{QStringLiteral("Choose the destination folder")});
            QCOMPARE(field->text(), QStringLiteral("/chosen"));
        } else if (how == "focus out") {
            view.show();
            QVERIFY(QTest::qWaitForWindowActive(&view));
            field->setFocus();
            QTest::keyClicks(field, QStringLiteral("/chosen"));
            QTest::keyClick(field, Qt::Key_Tab);
            QVERIFY(!field->hasFocus());
        } else if (how == "Encoding") {
            field->setText(QStringLiteral("/chosen"));
            QSignalSpy ended(view.encoder(), &BatchEncoder::runFinished);
            view.command(QStringLiteral("encoding"))->trigger(); // the sources do not exist: nothing runs
            QVERIFY(ended.wait(30000));
        } else {
            field->setText(QStringLiteral("/chosen"));
            QTest::keyClick(field, Qt::Key_Return);
        }
        QCOMPARE(view.model()->job(1)->destination, QStringLiteral("/chosen/other.mp4"));
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("destinationWarning"))->isVisibleTo(&view));
        // The stored directory is shown when the window comes back.
        ContentView again{ToolRunner(TestSupport::realResourceDir())};
        QCOMPARE(again.destinationField()->text(), QStringLiteral("/chosen"));
    }

    // What is on disk is made for each row: "name" a file, "name/" a folder, "name>target" a symbolic
    // link, "name|" a FIFO. A job is "source>destination"; an expected text is empty for no conflict.
    void outputConflicts_data()
    {
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QStringList>("jobs");
        QTest::addColumn<int>("policy");
        QTest::addColumn<QStringList>("expected");
        const int skip = int(Preferences::ExistingOutput::Skip);
        const int overwrite = int(Preferences::ExistingOutput::Overwrite);
        QTest::newRow("own source through a link, overwrite")
            << QStringList{"a.mp4", "sub/", "sub/b.mp4>../a.mp4"} << QStringList{"a.mp4>sub/b.mp4"}
            << overwrite << QStringList{"Same as the source: will not be run"};
        // Overwrite replaces plain files only; the run refuses anything else, and so does the row.
        QTest::newRow("FIFO there") << QStringList{"a.mov", "a.mp4|"} << QStringList{"a.mov>a.mp4"}
                                    << overwrite << QStringList{"a.mp4 exists: will not be run"};
        QTest::newRow("another job's source, overwrite")
            << QStringList{"a.mov", "b.mp4"} << QStringList{"a.mov>b.mp4", "b.mp4>b.mkv"} << overwrite
            << QStringList{"The source of job 2: will not be run", ""};
        QTest::newRow("a name that would break the line")
            << QStringList{"new\nline.mov", "new\nline.mp4"} << QStringList{"new\nline.mov>new\nline.mp4"}
            << skip << QStringList{"new\\x0aline.mp4 exists: will be skipped"};
        QTest::newRow("one output for two jobs")
            << QStringList{"a.mov", "a.mkv", "b.mov", "sub/"}
            << QStringList{"a.mov>a.mp4", "b.mov>b.mp4", "a.mkv>sub/../a.mp4"} << overwrite
            << QStringList{"Same output as job 3 (a.mkv)", "", "Same output as job 1 (a.mov)"};
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
        for (const OutputConflict &conflict :
             findOutputConflicts(list, Preferences::ExistingOutput(policy), &probePath))
            texts << conflict.text;
        QCOMPARE(texts, expected);
    }

    // A press on the name, Return on the current row and a double-click anywhere on a row open the
    // editor on that row's job, once; a press beside the name only selects.
    void opensTheEditor_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("onName");
        QTest::addColumn<bool>("opens");
        QTest::newRow("press on the name") << "press" << true << true;
        QTest::newRow("press beside the name") << "press" << false << false;
        QTest::newRow("Return") << "Return" << false << true;
        QTest::newRow("double-click beside the name") << "double-click" << false << true;
        QTest::newRow("double-click on the name") << "double-click" << true << true;
    }
    void opensTheEditor()
    {
        QFETCH(QString, how);
        QFETCH(bool, onName);
        QFETCH(bool, opens);
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        window.show();
        ContentView &view = *window.content();
        prepare(view);
        addJobs(view, {QStringLiteral("/in/first.mov"), QStringLiteral("/in/second.mov")});
        JobListView *list = view.listView();
        const QRect row = list->visualRect(view.model()->index(1));
        const QRect name = JobDelegate::layout(row, list->fontMetrics()).name;
        const QPoint at =
            onName ? QPoint(name.left() + 4, name.center().y()) : QPoint(row.center().x(), name.center().y());
        if (how == "Return") {
            list->setCurrentIndex(view.model()->index(1));
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            if (how == "double-click") { // as the window system sends it: the second press comes as it
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
            }
        }
        const QList<DetailView *> editors = window.findChildren<DetailView *>();
        QCOMPARE(editors.size(), opens ? 1 : 0);
        if (opens) {
            QCOMPARE(editors.constFirst()->job(), view.model()->job(1));
            QVERIFY(editors.constFirst()->windowModality() == Qt::WindowModal);
        } else {
            QCOMPARE(list->selectedRows(), QList<int>{1});
        }
    }

    void runDisablesCommandsAndCloseAsksFirst()
    {
        TestSupport::ResourceDir tools(TestSupport::ResourceDir::Entry::Fake,
                                       TestSupport::ResourceDir::Entry::Real);
        MainWindow window{ToolRunner(tools.path())};
        ContentView &view = *window.content();
        prepare(view);
        QVERIFY(view.waitForCatalog(30000));
        window.show();
        // Probed with the real tools, so the run has real command lines to start.
        for (const char *name : {"run/one.mp4", "run/two.mp4"}) {
            const QString source = place(QString::fromLatin1(name));
            view.model()->append(createMediaVideo(source, source + QStringLiteral(".out.mp4"),
                                                  ToolRunner(TestSupport::realResourceDir())));
        }
        // The fake encoder says when it runs, so that the stop below finds the first job encoding.
        const QString started = m_dir.filePath(QStringLiteral("run/encoder-started"));
        qputenv("FAKE_TOOL_SCRIPT", "touch:" + started.toUtf8() + ";hang");
        const auto unset = qScopeGuard([] { qunsetenv("FAKE_TOOL_SCRIPT"); });
        view.startEncoding();
        QTRY_VERIFY(view.progressSheet()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started), 30000);
        for (QAction *action : view.commands())
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY(!view.listView()->isEnabled());
        QTest::keyClick(view.progressSheet(), Qt::Key_Escape); // does not close the sheet
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
        QTRY_VERIFY(!view.progressSheet()->isVisible());
        QVERIFY(view.command(QStringLiteral("encoding"))->isEnabled());
        QCOMPARE(view.model()->job(0)->result.status, JobResult::Status::Stopped);
        QCOMPARE(view.model()->job(1)->result.status, JobResult::Status::NotRun);
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

        bool asked = false;
        window.setCloseQuestion([&asked](QWidget *) { return asked = true; });
        QVERIFY(window.close());
        QVERIFY(!asked);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_ui_mainwindow.moc"
