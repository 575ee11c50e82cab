// The job editor: loading, writing back on "Ok" and nothing on "Cancel", the crop preview and the
// autocrop, its fit on a small screen; the rules it applies are tested on their own (tst_rules,
// tst_crop).
#include "TestSupport.h"

#include "model/JobJson.h"
#include "model/JobListModel.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "session/Session.h"
#include "tools/CropPresets.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the panels as the test says and remembers what it was asked.
class FakePanels : public Panels
{
public:
    QString saveAnswer;
    QString openAnswer;
    int saveCalls = 0;
    int openCalls = 0;
    QString suggested;
    QStringList extensions;

    QString saveFile(QWidget *, const QString &, const QString &s, const QString &extension) override
    {
        ++saveCalls;
        suggested = s;
        extensions = {extension};
        return saveAnswer;
    }
    QString openFile(QWidget *, const QString &, const QStringList &e) override
    {
        ++openCalls;
        extensions = e;
        return openAnswer;
    }
};

// Every field of the job but its id, one per line, so that a difference names the field.
QStringList settingsOf(const MediaVideo &job)
{
    QJsonObject fields = jobFieldsToJson(job, OptionForm::RawText);
    fields.remove(QStringLiteral("id"));
    return QString::fromUtf8(QJsonDocument(fields).toJson()).split(QLatin1Char('\n'));
}

// The bounds of the red pixels (a null rectangle for none).
QRect redBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestDetailView : public QObject
{
    Q_OBJECT

    FakePanels m_panels;
    QTemporaryDir m_dir;
    Session m_session{ToolRunner(TestSupport::realResourceDir())};
    QList<QPointer<DetailView>> m_open;
    const QString m_subtitle = m_dir.filePath("film.srt");

    // A probed-looking job in the temporary directory, with square pixels unless told otherwise.
    MediaVideo::Ptr makeJob(int width = 1920, int height = 1080, double pixelAspect = 1.0)
    {
        auto job = std::make_shared<MediaVideo>(m_dir.filePath("film.mov"), m_dir.filePath("film.mp4"));
        job->container = 0;
        job->videoEncoder = VideoEncoders::libx264;
        job->videoWidth = width;
        job->videoHeight = height;
        job->videoPixelAspectRatio = pixelAspect;
        job->durationVideoMiddle = "00:00:01";
        job->videoTracks = {"1 0 AVC 800 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000",
                            "2 1 AVC 400 kb/s Size: 1280x720 DAR: 16:9 PAR: 1.000"};
        job->audioTracks = {"Select 2 track(s) for encoding", "3 2 AAC 128 kb/s CBR 48.0 kHz 2 English",
                            "4 3 AAC 96 kb/s CBR 44.1 kHz 2 French"};
        job->subtitleTracks = {"No subtitle", "5 UTF-8 English"};
        QImage frame(int(width * pixelAspect + 0.5), height, QImage::Format_RGB32);
        frame.fill(QColor(90, 90, 90));
        job->setImage(frame);
        return job;
    }

    DetailView *open(const MediaVideo::Ptr &job)
    {
        auto *view = new DetailView(job, m_session, m_panels);
        m_open << view;
        view->show();
        return view;
    }

    template<typename T> static T *child(QWidget *view, const char *name)
    {
        return view->findChild<T *>(QString::fromLatin1(name));
    }

    static void click(QWidget *view, const char *button)
    {
        auto *b = child<QAbstractButton>(view, button);
        QVERIFY2(b, button);
        b->click();
    }

    static void pick(QWidget *view, const char *picker, int index)
    {
        child<QComboBox>(view, picker)->setCurrentIndex(index);
    }

    static void commit(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static bool closed(const QPointer<DetailView> &view)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return view.isNull() || !view->isVisible();
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        QVERIFY(m_dir.isValid());
        QFile subtitle(m_subtitle);
        QVERIFY(subtitle.open(QIODevice::WriteOnly));
    }

    void init()
    {
        Preferences::clear();
        m_panels = FakePanels();
    }

    void cleanup()
    {
        for (const QPointer<DetailView> &view : std::as_const(m_open))
            delete view.data();
        m_open.clear();
    }

    // The reference job: every field away from its default, as referenceFields() shows it.
    MediaVideo::Ptr referenceJob()
    {
        auto job = makeJob();
        job->container = 1;
        job->destination = m_dir.filePath("film.mkv");
        job->isQuicktime = false;
        job->deInterlace = false;
        job->videoTrack = 1;
        job->videoEncoder = VideoEncoders::hevc_videotoolbox;
        job->videoDebit = 4000;
        job->width = 1280;
        job->height = 720;
        job->videoCrop = "1920:800:0:140";
        job->cropValue = ManualCrop;
        job->videoPreset = VideoPresets::slower;
        job->videoProfile = VideoProfiles::high10;
        job->videoTune = VideoTunes::zerolatency;
        job->audioDebit = 192;
        job->audioSampling = 48000;
        job->audioEncoder = AudioEncoders::libmp3lame;
        job->audioTrack = 2;
        job->otherParam = "-movflags +faststart";
        job->subtitleTrack = 1;
        job->subtitleExternal = m_subtitle;
        job->subtitleLanguage = "eng";
        return job;
    }

    // Widget name and what it shows for referenceJob(), in the order a user would set them.
    QList<std::pair<QString, QString>> referenceFields() const
    {
        return {{"containerPicker", "mkv"},
                {"quicktimeToggle", "off"},
                {"deInterlaceToggle", "off"},
                {"videoTrackPicker", "2 1 AVC 400 kb/s Size: 1280x720 DAR: 16:9 PAR: 1.000"},
                {"videoCodecPicker", "hevc_videotoolbox"},
                {"videoDebitPicker", "4000"},
                {"widthPicker", "1280"},
                {"heightPicker", "720"},
                {"presetPicker", "slower"},
                {"profilePicker", "high10"},
                {"tunePicker", "zerolatency"},
                {"audioTrackPicker", "4 3 AAC 96 kb/s CBR 44.1 kHz 2 French"},
                {"audioCodecPicker", "libmp3lame"},
                {"audioDebitPicker", "192"},
                {"samplingPicker", "48000"},
                {"otherParamEdit", "-movflags +faststart"},
                {"subtitleTrackPicker", "5 UTF-8 English"},
                {"subtitleExternalEdit", m_subtitle},
                {"subtitleLanguageEdit", "eng"}};
    }

    // What a field shows: a picker's entry, an edit's text, a toggle's "on" or "off".
    static QString shown(QWidget *view, const QString &name)
    {
        if (auto *toggle = view->findChild<QCheckBox *>(name))
            return toggle->isChecked() ? "on" : "off";
        if (auto *combo = view->findChild<QComboBox *>(name))
            return combo->currentText();
        if (auto *segmented = view->findChild<SegmentedPicker *>(name))
            return segmented->currentText();
        if (auto *edit = view->findChild<QLineEdit *>(name))
            return edit->text();
        return "<no " + name + ">";
    }

    // Sets a field the way shown() reads it.
    static void enter(QWidget *view, const QString &name, const QString &text)
    {
        if (auto *toggle = view->findChild<QCheckBox *>(name)) {
            toggle->setChecked(text == "on");
        } else if (auto *combo = view->findChild<QComboBox *>(name)) {
            combo->setCurrentIndex(combo->findText(text));
        } else if (auto *segmented = view->findChild<SegmentedPicker *>(name)) {
            for (int i = 0; i < segmented->count(); ++i) {
                if (segmented->button(i)->text() == text)
                    segmented->button(i)->click();
            }
        } else if (auto *edit = view->findChild<QLineEdit *>(name)) {
            edit->setText(text);
        }
        QCOMPARE(shown(view, name), text);
    }

    // Every field is shown as the job has it and written back on "Ok" only: unchanged, or as the
    // user set it in the form; "Cancel" after any change, and the "Oups" of a job without a source,
    // leave the job as it was.
    void okWritesAndCancelDoesNot_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Ok, unchanged") << "unchanged";
        QTest::newRow("Ok, every field set") << "set";
        QTest::newRow("Cancel after every change") << "cancel";
        QTest::newRow("no source, Close") << "oups";
    }
    void okWritesAndCancelDoesNot()
    {
        QFETCH(QString, how);
        auto job = how == "unchanged" ? referenceJob()
                   : how == "oups"    ? std::make_shared<MediaVideo>(QString(), QString("/out/x.mp4"))
                                      : makeJob();
        const QStringList before = settingsOf(*job);
        const QImage frame = job->image();
        QPointer<DetailView> view = open(job);
        if (how == "oups") {
            QCOMPARE(child<QLabel>(view, "oupsLabel")->text(), "Oups");
            QVERIFY(!child<QPushButton>(view, "okButton"));
            click(view, "closeButton");
        } else if (how == "unchanged") {
            QCOMPARE(shown(view, "sourceEdit"), job->source);
            QVERIFY(!child<QLineEdit>(view, "sourceEdit")->isEnabled());
            for (const auto &[name, text] : referenceFields())
                QCOMPARE(shown(view, name), text);
            QCOMPARE(view->cropText(), "1920:800:0:140");
            click(view, "okButton");
        } else {
            for (const auto &[name, text] : referenceFields()) {
                if (name != "subtitleExternalEdit")
                    enter(view, name, text);
            }
            pick(view, "cropPicker", ManualCrop);
            commit(child<QLineEdit>(view, "cropEdit"), "1920:800:0:140");
            click(view, "previewButton");
            view->findChild<ImageView *>()->accept();
            m_panels.openAnswer = m_subtitle; // the external subtitle comes from its panel
            click(view, "subtitleButton");
            QTRY_COMPARE(shown(view, "subtitleExternalEdit"), m_subtitle);
            QCOMPARE(m_panels.extensions, (QStringList{"srt", "ssa", "ass"}));
            click(view, how == "set" ? "okButton" : "cancelButton");
        }
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), how == "set" ? settingsOf(*referenceJob()) : before);
        QCOMPARE(job->image(), frame);
    }

    void aRefusedDestinationGoesBackToWhatWasShown()
    {
        auto job = makeJob();
        QPointer<DetailView> view = open(job);
        enter(view, "containerPicker", "mkv");
        auto *edit = child<QLineEdit>(view, "destinationEdit");
        commit(edit, "/no/such/dir/film.mp4");
        QCOMPARE(view->destination(), m_dir.filePath("film.mkv")); // what was shown, not the job's
        m_panels.saveAnswer = "/out/exported.mkv";
        click(view, "exportButton");
        QCOMPARE(m_panels.saveCalls, 0); // the panel comes a moment after the button
        QTRY_COMPARE(m_panels.saveCalls, 1);
        QCOMPARE(m_panels.suggested, m_dir.filePath("film.mkv"));
        QCOMPARE(m_panels.extensions, QStringList{"mkv"});
        commit(edit, "");
        QCOMPARE(view->destination(), "/out/exported.mkv");

        // Typed without Return, Ok commits it first: refused and shown, then accepted and written.
        edit->selectAll();
        QTest::keyClicks(edit, "/no/such/dir/x");
        click(view, "okButton");
        QVERIFY(!closed(view));
        QCOMPARE(view->destination(), "/out/exported.mkv");
        QVERIFY(child<QLabel>(view, "destinationNote")->isVisibleTo(view));
        edit->selectAll();
        QTest::keyClicks(edit, m_dir.filePath("typed"));
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->destination, m_dir.filePath("typed.mkv"));
    }

    void cropRowAndPreview_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("outline"); // in the picture's top-left coordinates; null for none
        // A preset's stored text is recomputed on loading, never shown. The outline's y counts from
        // the bottom edge: 1920:816:0:128 on 1080 lines lies 136 lines below the top.
        QTest::newRow("2:35.1") << QSize(1920, 1080) << 1.0 << 3 << "1920:816:0:132"
                                << "1920:816:0:128" << QRect(0, 136, 1920, 816);
        // PAL 4:3 with 16:15 pixels: the stored text is 760:536:4:16, the outline 576:576:96:0.
        QTest::newRow("4:3 PAL 16:15") << QSize(720, 576) << 16.0 / 15.0 << 7 << ""
                                       << "760:536:4:16" << QRect(96, 0, 576, 576);
    }
    void cropRowAndPreview()
    {
        QFETCH(QSize, size);
        QFETCH(double, pixelAspect);
        QFETCH(int, preset);
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QFETCH(QRect, outline);
        auto job = makeJob(size.width(), size.height(), pixelAspect);
        job->cropValue = preset;
        job->videoCrop = stored;
        const QImage frame = job->image();
        QPointer<DetailView> view = open(job);
        QCOMPARE(view->cropText(), text);
        const bool manual = preset == ManualCrop;
        if (!manual) { // chosen in the picker rather than loaded
            pick(view, "cropPicker", ManualCrop);
            pick(view, "cropPicker", preset);
            QCOMPARE(view->cropText(), text);
        }
        QCOMPARE(child<QPushButton>(view, "autocropButton")->isEnabled(), manual);
        QCOMPARE(child<QLineEdit>(view, "cropEdit")->isEnabled(), manual);

        click(view, "previewButton");
        auto *preview = view->findChild<ImageView *>();
        QVERIFY(preview && preview->isVisible());
        const QImage &shown = preview->image();
        QCOMPARE(shown.size(), frame.size());
        // A stroke 2 wide along the outline (whose y counts from the bottom edge), and nothing inside.
        const QRect red = redBounds(shown);
        if (outline.isNull())
            QVERIFY(red.isNull());
        else
            QVERIFY(red.adjusted(-2, -2, 2, 2).contains(outline) &&
                    outline.adjusted(-2, -2, 2, 2).contains(red) &&
                    redBounds(shown.copy(outline.adjusted(3, 3, -3, -3))).isNull());
        QCOMPARE(job->image(), frame); // drawn on a copy
        preview->accept();
        QVERIFY(!preview->isVisible());
        click(view, "okButton");
        QCOMPARE(job->cropValue, preset);
        QCOMPARE(job->videoCrop, text);
    }

    // A manual crop on a 320x240 job. The detection runs on the session's workers while the window
    // goes on; a second press meanwhile is ignored, and closing the editor drops the result.
    void autocrop_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("closeWhileRunning");
        QTest::newRow("letterbox") << "letterbox.mp4"
                                   << "320:160:0:40" << false;
        QTest::newRow("nothing found") << "missing.mp4"
                                       << "1:2:3:4" << false;
        QTest::newRow("closed while running") << "letterbox.mp4"
                                              << "1:2:3:4" << true;
    }
    void autocrop()
    {
        QFETCH(QString, source);
        QFETCH(QString, found);
        QFETCH(bool, closeWhileRunning);
        const QString clip = m_dir.filePath("letterbox.mp4");
        if (!QFileInfo::exists(clip))
            QVERIFY(TestSupport::generateClip(clip,
                                              {"-f", "lavfi", "-i", "testsrc=size=320x160:rate=25:duration=2",
                                               "-vf", "pad=320:240:0:40", "-c:v", "libx264", "-preset",
                                               "ultrafast", "-pix_fmt", "yuv420p"}));
        auto job = makeJob(320, 240);
        job->source = m_dir.filePath(source);
        job->durationVideoMiddle = "00:00:00";
        job->cropValue = ManualCrop;
        job->videoCrop = "1:2:3:4";
        QPointer<DetailView> view = open(job);
        auto *button = child<QPushButton>(view, "autocropButton");
        button->click();
        QVERIFY(view->isDetectingCrop() && !button->isEnabled());
        QVERIFY(child<QProgressBar>(view, "cropBusy")->isVisibleTo(view));
        button->click();
        if (closeWhileRunning) {
            click(view, "cancelButton");
            QTRY_VERIFY(view.isNull());
            QVERIFY(m_session.workers().waitForPool(60000));
            QCoreApplication::processEvents();
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!view->isDetectingCrop(), 60000);
            QVERIFY(button->isEnabled() && !child<QProgressBar>(view, "cropBusy")->isVisibleTo(view));
            QCOMPARE(view->cropText(), found);
            QCOMPARE(child<QLabel>(view, "cropNote")->isVisibleTo(view), found == "1:2:3:4");
            click(view, "okButton");
        }
        QCOMPARE(job->videoCrop, found);
    }

    // The window goes away while an autocrop's ffmpeg never ends: nothing waits for it, and it is
    // gone with the window.
    void autocropEndsWithTheWindow()
    {
        TestSupport::ResourceDir hanging(TestSupport::ResourceDir::Entry::Fake,
                                         TestSupport::ResourceDir::Entry::Real);
        const QString groups = m_dir.filePath("groups");
        auto window = std::make_unique<MainWindow>(ToolRunner(hanging.path()));
        ContentView &content = *window->content();
        QVERIFY(content.waitForCatalog(30000)); // asked of the fake before it is told to hang
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG", "pgid:" + groups.toUtf8() + ";hang");
        const auto unset = qScopeGuard([] { qunsetenv("FAKE_TOOL_SCRIPT_FFMPEG"); });
        auto job = makeJob(320, 240);
        job->cropValue = ManualCrop;
        content.model()->append(job);
        content.editJob(content.model()->index(0));
        auto *editor = window->findChild<DetailView *>();
        QVERIFY(editor);
        click(editor, "autocropButton");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(groups).size() > 0, 30000);
        window.reset();
        QFile file(groups);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray group = file.readAll().split('\n').value(0).split(' ').value(1);
        QCOMPARE(TestSupport::livingMembers(group.toLongLong()), 0);
    }

    // The test's screen is a laptop's, 1366x768 (see main()). Opened there, and then made as small as
    // it goes, the editor stays on the screen and every control can be scrolled to.
    void fitsASmallScreen_data()
    {
        QTest::addColumn<bool>("smallest");
        QTest::newRow("as opened") << false;
        QTest::newRow("at its minimum size") << true;
    }
    void fitsASmallScreen()
    {
        QFETCH(bool, smallest);
        QPointer<DetailView> view = open(makeJob());
        const QRect screen = view->screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1366, 768));
        QVERIFY(screen.contains(view->frameGeometry()));
        if (smallest) {
            view->resize(view->minimumSize());
            QVERIFY(view->width() < 800 && view->height() < 600);
        }
        QCoreApplication::processEvents();
        auto *scroll = child<QScrollArea>(view, "editorScroll");
        const QWidget *form = scroll->widget();
        QVERIFY(form->width() <= scroll->viewport()->width() || scroll->horizontalScrollBar()->isVisible());
        QVERIFY(form->height() <= scroll->viewport()->height() || scroll->verticalScrollBar()->isVisible());
        // Every control lies on the form, none beyond its right edge.
        for (const QWidget *control : form->findChildren<QWidget *>()) {
            if (control->isVisibleTo(view) && control->parentWidget() == form)
                QVERIFY2(form->rect().contains(control->geometry()), qPrintable(control->objectName()));
        }
        for (const char *button : {"okButton", "cancelButton"})
            QVERIFY(view->rect().contains(child<QWidget>(view, button)->geometry()));
    }
};

int main(int argc, char **argv)
{
    // A laptop's screen: the editor must fit 1366x768.
    QTemporaryDir dir;
    QFile config(dir.filePath("screen.json"));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
                         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestDetailView test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ui_detailview.moc"
