// The main window as a user drives it: reordering through the list's own drag, the destination row and
// opening the editor. The rules behind them have their own tables (tst_naming, tst_rules).
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "model/Preferences.h"
#include "rules/OutputName.h"
#include "session/JobListModel.h"
#include "session/Session.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/JobDelegate.h"
#include "ui/JobListView.h"
#include "ui/MainWindow.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

void addJobs(ContentView &view, const QStringList &sources)
{
    for (const QString &source : sources)
        view.model()->append(std::make_shared<MediaVideo>(source, importDestination(source)));
}

// Enters, moves over and drops on `viewport` at `at`, as the platform's drag and drop does; whether the drop
// was taken.
bool dropOn(QWidget *viewport, QPoint at, const QMimeData *data, Qt::DropActions actions)
{
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }

    void reorder_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("reported"); // the action the platform says the drop took
        QTest::addColumn<QString>("expected");
        const int move = Qt::MoveAction;
        // Row 0 goes down past one row, row 3 up past one.
        QTest::newRow("two apart, together") << QList<int>{0, 3} << 2 << move << "1 0 3 2 4";
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
        view.resize(600, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        addJobs(view, {"/a/0", "/a/1", "/a/2", "/a/3", "/a/4"});
        JobListView *list = view.listView();
        QWidget *viewport = list->viewport();
        for (int row : rows)
            list->selectionModel()->select(view.model()->index(row), QItemSelectionModel::Select);

        const QPoint dropAt = list->visualRect(view.model()->index(target)).topLeft() + QPoint(20, 4);
        int drags = 0;
        JobListView::setDragRunner([&](QDrag *drag, Qt::DropActions actions, Qt::DropAction) {
            ++drags;
            return dropOn(viewport, dropAt, drag->mimeData(), actions) ? Qt::DropAction(reported)
                                                                       : Qt::IgnoreAction;
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
        QStringList order;
        for (const MediaVideo::Ptr &job : view.model()->jobs())
            order << QFileInfo(job->source).fileName();
        QCOMPARE(order.join(QLatin1Char(' ')), expected);
    }

    // A file dropped on the list, or given as `tavrix FILE`, is probed whatever its extension and taken
    // when it holds video; one without a video stream gives no row and is named in the message, with why.
    void dropOrArgumentOfAnyExtension_data()
    {
        QTest::addColumn<bool>("dropped"); // else given on the command line
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("said"); // the message's list; empty: imported, no message
        QTest::newRow("dropped video, odd extension") << true << QString("clip.video") << QString();
        QTest::newRow("given video, odd extension") << false << QString("clip.video") << QString();
        QTest::newRow("dropped truncated download")
            << true << "broken.webm"
            << "broken.webm: not a media file: mediainfo finds no video or audio stream in it";
        QTest::newRow("given sound file") << false << "tone.mp4"
                                          << "tone.mp4: no video stream: mediainfo finds only audio in it";
    }
    void dropOrArgumentOfAnyExtension()
    {
        QFETCH(bool, dropped);
        QFETCH(QString, name);
        QFETCH(QString, said);
        QTemporaryDir folder;
        const QString file = folder.filePath(name);
        const QString picture = "testsrc=size=64x48:rate=25:duration=0.5";
        if (name == "clip.video") {
            QVERIFY(TestSupport::generateClip(file, "-f lavfi -i " + picture + " -f matroska"));
        } else if (name == "broken.webm") {
            QVERIFY(
                TestSupport::generateClip(file, QStringList{"-f", "lavfi", "-i", picture, "-c:v", "libvpx"}));
            QVERIFY(TestSupport::writeFile(file, TestSupport::readFile(file).left(64)));
        } else {
            QVERIFY(TestSupport::generateClip(file, QStringList{"-f", "lavfi", "-i", "sine=duration=0.5"}));
        }

        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        view.resize(600, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy imported(&view, &ContentView::importFinished);
        if (dropped) {
            QWidget *viewport = view.listView()->viewport();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QVERIFY(dropOn(viewport, viewport->rect().center(), &data, Qt::CopyAction));
        } else {
            view.importArguments({file});
        }
        QVERIFY(imported.wait(30000));

        auto *box = view.findChild<QMessageBox *>(QStringLiteral("notImported"));
        QCOMPARE(box ? box->informativeText() : QString(), said);
        QCOMPARE(view.model()->rowCount(), said.isEmpty() ? 1 : 0);
        if (said.isEmpty())
            QCOMPARE(view.model()->job(0)->videoTracks.size(), 1);
    }

    // The destination typed or chosen takes effect on Return, on leaving the field and on Encoding,
    // is stored, and is said at once to be missing.
    void destinationTakesEffect_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"Return", "focus out", "Encoding"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void destinationTakesEffect()
    {
        QFETCH(QString, how);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        addJobs(view, {QStringLiteral("/in/clip.mov"), QStringLiteral("/in/other.avi")});
        QLineEdit *field = view.destinationField();
        if (how == "focus out") {
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
    }
    void opensTheEditor()
    {
        QFETCH(QString, how);
        QFETCH(bool, onName);
        QFETCH(bool, opens);
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        window.show();
        ContentView &view = *window.content();
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
        if (opens)
            QCOMPARE(editors.constFirst()->job(), view.model()->job(1));
        else
            QCOMPARE(list->selectedRows(), QList<int>{1});
    }
    // With factory settings an MP4 converts beside itself under a new name: the row's note and the
    // editor's command name that file, which is the one the run writes.
    void theEditorShowsThePlannedOutput()
    {
        QTemporaryDir dir;
        const QString clip = dir.filePath("clip.mp4");
        QVERIFY(TestSupport::generateClip(clip, "-f lavfi -i testsrc=size=160x120:rate=10:duration=1"));
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        window.show();
        ContentView &view = *window.content();
        view.importPaths({clip});
        QTRY_COMPARE_WITH_TIMEOUT(view.model()->rowCount(), 1, 30000);
        QTRY_COMPARE(view.model()->index(0).data(JobListModel::ConflictRole).toString(),
                     QString("Same as the source: written as clip-1.mp4"));
        view.listView()->setCurrentIndex(view.model()->index(0));
        QTest::keyClick(view.listView(), Qt::Key_Return);
        auto *editor = window.findChild<DetailView *>();
        QVERIFY(editor);
        QTRY_VERIFY2(editor->commandLineText().endsWith(" \"" + dir.filePath("clip-1.mp4") + "\""),
                     qPrintable(editor->commandLineText()));
        QVERIFY(editor->commandLineText().contains(" -n -i "));
    }

    // "Apply Preset" from the list's context menu gives every selected job the preset, and the run writes
    // what it promises: a remux copies the streams as they are.
    void applyPresetFromTheMenu()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.mkv"), second = dir.filePath("second.mkv");
        QVERIFY(TestSupport::generateClip(first,
                                          "-f lavfi -i testsrc=size=160x120:rate=10:duration=1 -f lavfi -i "
                                          "sine=duration=1 -c:a aac -shortest"));
        QVERIFY(QFile::copy(first, second));
        MainWindow window{ToolRunner(TestSupport::realResourceDir())};
        window.show();
        ContentView &view = *window.content();
        view.importPaths({first, second});
        QTRY_COMPARE_WITH_TIMEOUT(view.model()->rowCount(), 2, 30000);
        view.listView()->selectAll();
        // The menu runs a loop of its own: the entry is chosen once it shows, as a user would.
        QTimer::singleShot(100, this, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const auto *presets = menu->findChild<QMenu *>("applyPresetMenu");
            QVERIFY(presets);
            for (QAction *entry : presets->actions()) {
                if (entry->text() == "Remux to MP4 — no re-encoding")
                    entry->trigger();
            }
            menu->close();
        });
        const QPoint at = view.listView()->visualRect(view.model()->index(1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.listView()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.listView()->viewport(), &event);
        for (const QString &source : {first, second}) {
            const int row = source == first ? 0 : 1;
            const MediaVideo::Ptr job = view.model()->job(row);
            QCOMPARE(job->preset, QString("Remux to MP4 — no re-encoding"));
            QCOMPARE(job->destination, source.chopped(4) + ".mp4");
        }

        QSignalSpy finished(view.session()->encoder(), &BatchEncoder::runFinished);
        view.command("encoding")->trigger();
        QVERIFY(finished.wait(60000));
        for (const QString &output : {dir.filePath("first.mp4"), dir.filePath("second.mp4")})
            QCOMPARE(TestSupport::ffprobe(output, "-show_entries stream=codec_name -of csv=p=0"),
                     QByteArray("h264\naac\n"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_ui_mainwindow.moc"
