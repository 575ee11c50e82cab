// Watched folders in the window, as a user drives them: File ▸ Watch Folder…, the panel's buttons, files
// written slowly or moved in, the run that starts on its own, and a restart over the saved list.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "model/Preferences.h"
#include "session/JobListModel.h"
#include "session/Session.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/Translations.h"
#include "ui/WatchPanel.h"
#include "watch/FolderIntake.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

class FakePanels : public Panels
{
public:
    QString folder;
    QString openDirectory(QWidget *, const QString &, const QString &) override { return folder; }
};

QStringList sources(const ContentView &view)
{
    QStringList list;
    for (const MediaVideo::Ptr &job : view.model()->jobs())
        list << QFileInfo(job->source).fileName();
    list.sort();
    return list;
}

QAction *menuEntry(QMainWindow &window, const QString &name)
{
    for (QAction *menu : window.menuBar()->actions()) {
        for (QAction *entry : menu->menu()->actions()) {
            if (entry->objectName() == name)
                return entry;
        }
    }
    return nullptr;
}

// An empty saved list in `data` that watches `folder`, as a window closed earlier leaves it.
bool writeWatchedList(const QString &data, const QString &folder)
{
    return QDir().mkpath(data) &&
           TestSupport::writeFile(data + "/queue.json",
                                  R"({"version":1,"jobs":[],"watch":{"folders":[{"path":")" +
                                      folder.toUtf8() + R"("}]}})");
}

QString stateOf(const WatchPanel &panel, int row)
{
    const QTreeWidgetItem *item = panel.folderList()->topLevelItem(row);
    return item ? item->text(2) : QString();
}

// Lets the event loop run for `ms`, long enough for a watcher to have taken anything it would take.
void idle(int ms)
{
    QTest::qWait(ms);
}

} // namespace

class TestUiWatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePanels m_panels;

    QString clip(const QString &name)
    {
        const QString path = m_dir.filePath("clips/" + name);
        if (!QFileInfo::exists(path)) {
            QDir().mkpath(m_dir.filePath("clips"));
            // Each with content of its own: a copy of a file already seen is that file moved.
            TestSupport::generateClip(path, QStringList{"-f", "lavfi", "-i",
                                                        "testsrc2=size=96x64:rate=10:duration=1", "-c:v",
                                                        "libx264", "-preset", "ultrafast", "-metadata",
                                                        "title=" + name, "-f", "matroska"});
        }
        return path;
    }

    std::unique_ptr<MainWindow> openWindow(const QString &data)
    {
        auto window = std::make_unique<MainWindow>(ToolRunner(TestSupport::realResourceDir()));
        ContentView &view = *window->content();
        view.setPanels(&m_panels);
        view.setWatchSettleMs(300);
        view.session()->keepJobsIn(data, false);
        view.startWatching();
        window->resize(900, 700);
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        Preferences::clear();
        installTranslations(QLocale(QLocale::English));
    }

    void watchedFolderFromTheMenuToARestart()
    {
        const QString in = m_dir.filePath("in folder"), data = m_dir.filePath("data");
        QVERIFY(QDir().mkpath(in));
        QVERIFY(QFile::copy(clip("before.mkv"), in + "/there before.mkv"));
        idle(500); // complete by the time the folder is watched

        auto window = openWindow(data);
        ContentView *view = window->content();
        WatchPanel *panel = view->watchPanel();
        QVERIFY(!panel->isVisible());

        // File ▸ Watch Folder…, the folder chosen through the panel button, then Watch.
        m_panels.folder = in;
        QAction *entry = menuEntry(*window, "watchFolder");
        QVERIFY(entry);
        entry->trigger();
        auto *dialog = window->findChild<QDialog *>("watchFolderDialog");
        QVERIFY(dialog);
        QTest::mouseClick(dialog->findChild<QToolButton *>("watchChoose"), Qt::LeftButton);
        QPushButton *watch = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QVERIFY(watch->isEnabled());
        QTest::mouseClick(watch, Qt::LeftButton);
        QTRY_VERIFY(panel->isVisible());
        QCOMPARE(panel->folderList()->topLevelItemCount(), 1);
        QTRY_COMPARE(stateOf(*panel, 0), QString("Watching"));
        QTest::mouseClick(panel->findChild<QCheckBox *>("convertNewFiles"), Qt::LeftButton);

        // Written in three parts with pauses longer than the settle time, the file held open throughout;
        // and one moved in whole into a folder made after the start.
        const qint64 size = QFileInfo(clip("a.mkv")).size(), part = size / 3 + 1;
        QProcess writer;
        writer.start("bash", {"-c",
                              "exec 3>\"$2\"; for i in 0 1 2; do dd if=\"$1\" bs=$3 skip=$i count=1 "
                              "status=none >&3; sleep 0.6; done",
                              "-", clip("a.mkv"), in + "/slow $(x).mkv", QString::number(part)});
        QVERIFY(QDir().mkpath(in + "/sub"));
        QVERIFY(QFile::copy(clip("moved.mkv"), m_dir.filePath("moved.mkv")));
        QVERIFY(QFile::rename(m_dir.filePath("moved.mkv"), in + "/sub/moved.mkv"));
        QVERIFY(writer.waitForFinished(10000));

        // Each joins the list once and converts on its own; the outputs beside them are not taken.
        QTRY_COMPARE_WITH_TIMEOUT(sources(*view), (QStringList{"moved.mkv", "slow $(x).mkv"}), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(view->model()->jobs().cbegin(), view->model()->jobs().cend(),
                                             [](const MediaVideo::Ptr &job) {
                                                 return job->result.status == JobResult::Status::Succeeded;
                                             }),
                                 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!view->isRunning(), 10000);
        QCOMPARE(TestSupport::ffprobe(in + "/slow $(x).mp4", "-show_entries stream=codec_name -of csv=p=0"),
                 QByteArray("h264\n"));
        idle(1500);
        QCOMPARE(sources(*view), (QStringList{"moved.mkv", "slow $(x).mkv"}));
        QVERIFY(!view->isRunning());
        QCOMPARE(stateOf(*panel, 0), QString("Watching · 2 new files added"));

        // Paused, a new file waits; resumed, it is taken.
        panel->folderList()->setCurrentItem(panel->folderList()->topLevelItem(0));
        auto *pause = panel->findChild<QPushButton *>("watchPause");
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(stateOf(*panel, 0), QString("Paused"));
        QCOMPARE(pause->text(), QString("Resume"));
        QVERIFY(QFile::copy(clip("paused.mkv"), in + "/while paused.mkv"));
        idle(1500);
        QCOMPARE(view->model()->rowCount(), 2);
        QTest::mouseClick(pause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(view->model()->rowCount(), 3, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(view->model()->job(2)->result.status == JobResult::Status::Succeeded, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!view->isRunning(), 10000);

        // Closed and opened again: the folder is watched again, and nothing is taken twice.
        QCOMPARE(view->session()->flushJobs(), QString());
        window.reset();
        window = openWindow(data);
        view = window->content();
        panel = view->watchPanel();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->folderList()->topLevelItemCount(), 1);
        QVERIFY(panel->findChild<QCheckBox *>("convertNewFiles")->isChecked());
        QTRY_COMPARE(stateOf(*panel, 0), QString("Watching"));
        idle(1500);
        QCOMPARE(sources(*view), (QStringList{"moved.mkv", "slow $(x).mkv", "while paused.mkv"}));
        QVERIFY(!view->isRunning());

        // Stop Watching: the panel goes, the saved list no longer names the folder, the files stay.
        panel->folderList()->setCurrentItem(panel->folderList()->topLevelItem(0));
        QTest::mouseClick(panel->findChild<QPushButton *>("watchRemove"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(view->session()->flushJobs(), QString());
        const QJsonObject saved =
            QJsonDocument::fromJson(TestSupport::readFile(data + "/queue.json")).object();
        QCOMPARE(saved.value("watch").toObject().value("folders"), QJsonValue(QJsonArray()));
        QCOMPARE(view->model()->rowCount(), 3);
        QVERIFY(QFileInfo::exists(in + "/there before.mkv"));
    }

    // A folder looked through at an interval, as for a network share: chosen in the dialog, shown in the
    // panel and kept with the list.
    void lookedThroughAtAnInterval()
    {
        const QString in = m_dir.filePath("share"), data = m_dir.filePath("data-poll");
        QVERIFY(QDir().mkpath(in));
        auto window = openWindow(data);
        ContentView *view = window->content();
        view->command("watchFolder")->trigger();
        auto *dialog = window->findChild<QDialog *>("watchFolderDialog");
        QVERIFY(dialog);
        auto *path = dialog->findChild<QLineEdit *>("watchPath");
        path->setFocus();
        QTest::keyClicks(path, in);
        auto *poll = dialog->findChild<QCheckBox *>("watchPoll");
        QVERIFY(!poll->isChecked()); // a local folder is told of changes
        QTest::mouseClick(poll, Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        QTRY_COMPARE(stateOf(*view->watchPanel(), 0), QString("Watching · every 30 s"));
        QCOMPARE(view->session()->flushJobs(), QString());
        const QJsonObject saved =
            QJsonDocument::fromJson(TestSupport::readFile(data + "/queue.json")).object();
        QCOMPARE(saved.value("watch").toObject().value("folders").toArray().first().toObject().value("poll"),
                 QJsonValue(30));
    }

    // A record that cannot be read is kept aside and said, once; the folder is watched all the same.
    void unreadableRecordIsSaid()
    {
        const QString in = m_dir.filePath("in-record"), data = m_dir.filePath("data-record");
        QVERIFY(QDir().mkpath(in));
        QVERIFY(writeWatchedList(data, in));
        QVERIFY(TestSupport::writeFile(data + "/window-watch-record.json", "{ broken"));
        auto window = openWindow(data);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = window->findChild<QMessageBox *>("watchRecordProblem")));
        QVERIFY2(box->text().startsWith("The record cannot be read"), qPrintable(box->text()));
        QVERIFY(box->text().contains(data + "/window-watch-record.json.bad"));
        QCOMPARE(TestSupport::readFile(data + "/window-watch-record.json.bad"), "{ broken");
        QTRY_COMPARE(stateOf(*window->content()->watchPanel(), 0), QString("Watching"));
    }

    // A copy of a file taken before is not taken again, and the panel says why nothing happened.
    void aCopyIsSaid()
    {
        const QString in = m_dir.filePath("in-copy"), data = m_dir.filePath("data-copy");
        QVERIFY(QDir().mkpath(in));
        QVERIFY(writeWatchedList(data, in));
        auto window = openWindow(data);
        ContentView *view = window->content();
        QTRY_COMPARE(stateOf(*view->watchPanel(), 0), QString("Watching"));
        QVERIFY(QFile::copy(clip("copied.mkv"), in + "/one.mkv"));
        QTRY_COMPARE_WITH_TIMEOUT(sources(*view), QStringList{"one.mkv"}, 30000);
        QVERIFY(QFile::copy(clip("copied.mkv"), in + "/two.mkv"));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(*view->watchPanel(), 0),
                                  QString("Watching · 1 new file added · Not taken: “two.mkv” is a copy of "
                                          "“one.mkv”"),
                                  10000);
        QCOMPARE(sources(*view), QStringList{"one.mkv"});
    }
};

QTEST_MAIN(TestUiWatch)
#include "tst_ui_watch.moc"
