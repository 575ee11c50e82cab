// The job editor: loading, writing back on "Ok", the destination rules, the crop row and its preview.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/CropPresets.h"
#include "tools/EncoderCatalog.h"
#include "ui/DetailView.h"
#include "ui/ImageView.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
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
    QString title;
    QString suggested;
    QStringList extensions;

    QString saveFile(QWidget *, const QString &t, const QString &s, const QString &extension) override
    {
        ++saveCalls;
        title = t;
        suggested = s;
        extensions = {extension};
        return saveAnswer;
    }
    QString openFile(QWidget *, const QString &t, const QStringList &e) override
    {
        ++openCalls;
        title = t;
        extensions = e;
        return openAnswer;
    }
};

// Every field the editor may write, as readable lines, so a difference names the field.
QStringList settingsOf(const MediaVideo &job)
{
    return {"source=" + job.source,
            "destination=" + job.destination,
            "container=" + QString::number(job.container),
            "isQuicktime=" + QString::number(job.isQuicktime),
            "deInterlace=" + QString::number(job.deInterlace),
            "videoTrack=" + QString::number(job.videoTrack),
            "videoEncoder=" + rawText(job.videoEncoder),
            "videoDebit=" + QString::number(job.videoDebit),
            "width=" + QString::number(job.width),
            "height=" + QString::number(job.height),
            "videoCrop=" + job.videoCrop,
            "cropValue=" + QString::number(job.cropValue),
            "videoPreset=" + rawText(job.videoPreset),
            "videoProfile=" + rawText(job.videoProfile),
            "videoTune=" + rawText(job.videoTune),
            "audioDebit=" + QString::number(job.audioDebit),
            "audioSampling=" + QString::number(job.audioSampling),
            "audioEncoder=" + rawText(job.audioEncoder),
            "audioTrack=" + QString::number(job.audioTrack),
            "otherParam=" + job.otherParam,
            "subtitleTrack=" + QString::number(job.subtitleTrack),
            "subtitleExternal=" + job.subtitleExternal,
            "subtitleLanguage=" + job.subtitleLanguage};
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

// Whether any pixel within `reach` of (x, y) is red.
bool redNear(const QImage &image, int x, int y, int reach = 2)
{
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.rect().contains(p) && isRed(image.pixel(p)))
                return true;
        }
    }
    return false;
}

int redPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += isRed(image.pixel(x, y));
    }
    return count;
}

} // namespace

class TestDetailView : public QObject
{
    Q_OBJECT

    FakePanels m_panels;
    QTemporaryDir m_dir;
    QList<QPointer<DetailView>> m_open;

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
        auto *view = new DetailView(job);
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
        if (auto *combo = child<QComboBox>(view, picker)) {
            combo->setCurrentIndex(index);
            return;
        }
        auto *segmented = child<SegmentedPicker>(view, picker);
        QVERIFY2(segmented, picker);
        segmented->button(index)->click();
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
        Panels::setInstance(&m_panels);
    }

    void init()
    {
        Preferences::clear();
        EncoderCatalog::instance().reset();
        m_panels = FakePanels();
    }

    void cleanup()
    {
        for (const QPointer<DetailView> &view : std::as_const(m_open))
            delete view.data();
        m_open.clear();
    }

    void cleanupTestCase() { Panels::setInstance(nullptr); }

    void loadsEveryFieldAndWritesItBackUnchanged()
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
        job->subtitleExternal = "/subs/film.srt";
        job->subtitleLanguage = "eng";
        const QStringList before = settingsOf(*job);

        QPointer<DetailView> view = open(job);
        QCOMPARE(child<QLineEdit>(view, "sourceEdit")->text(), job->source);
        QVERIFY(!child<QLineEdit>(view, "sourceEdit")->isEnabled());
        QCOMPARE(view->destination(), m_dir.filePath("film.mkv"));
        QCOMPARE(child<QComboBox>(view, "containerPicker")->currentText(), "mkv");
        QVERIFY(!child<QCheckBox>(view, "quicktimeToggle")->isChecked());
        QVERIFY(!child<QCheckBox>(view, "deInterlaceToggle")->isChecked());
        QCOMPARE(child<QComboBox>(view, "videoTrackPicker")->currentIndex(), 1);
        QCOMPARE(child<SegmentedPicker>(view, "videoCodecPicker")->currentText(), "hevc_videotoolbox");
        QCOMPARE(child<QComboBox>(view, "videoDebitPicker")->currentText(), "4000");
        QCOMPARE(child<QComboBox>(view, "widthPicker")->currentText(), "1280");
        QCOMPARE(child<QComboBox>(view, "heightPicker")->currentText(), "720");
        QCOMPARE(view->crop(), ManualCrop);
        QCOMPARE(view->cropText(), "1920:800:0:140");
        QCOMPARE(child<SegmentedPicker>(view, "presetPicker")->currentText(), "slower");
        QCOMPARE(child<SegmentedPicker>(view, "profilePicker")->currentText(), "high10");
        QCOMPARE(child<SegmentedPicker>(view, "tunePicker")->currentText(), "zerolatency");
        QCOMPARE(child<QComboBox>(view, "audioTrackPicker")->currentIndex(), 2);
        QCOMPARE(child<SegmentedPicker>(view, "audioCodecPicker")->currentText(), "libmp3lame");
        QCOMPARE(child<QComboBox>(view, "audioDebitPicker")->currentText(), "192");
        QCOMPARE(child<QComboBox>(view, "samplingPicker")->currentText(), "48000");
        QCOMPARE(child<QLineEdit>(view, "otherParamEdit")->text(), "-movflags +faststart");
        QCOMPARE(child<QComboBox>(view, "subtitleTrackPicker")->currentText(), "5 UTF-8 English");
        QCOMPARE(child<QLineEdit>(view, "subtitleExternalEdit")->text(), "/subs/film.srt");
        QCOMPARE(child<QLineEdit>(view, "subtitleLanguageEdit")->text(), "eng");

        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), before);
    }

    void writesEveryChangedFieldOnOk()
    {
        auto job = makeJob();
        QPointer<DetailView> view = open(job);
        pick(view, "containerPicker", 1);
        child<QCheckBox>(view, "quicktimeToggle")->setChecked(false);
        child<QCheckBox>(view, "deInterlaceToggle")->setChecked(false);
        pick(view, "videoTrackPicker", 1);
        pick(view, "videoCodecPicker", 2);
        pick(view, "videoDebitPicker", Lists::videoDebits().indexOf("8500"));
        pick(view, "widthPicker", Lists::widths().indexOf("3840"));
        pick(view, "heightPicker", Lists::heights().indexOf("2160"));
        pick(view, "presetPicker", indexOfCase(VideoPresets::veryfast));
        pick(view, "profilePicker", indexOfCase(VideoProfiles::main));
        pick(view, "tunePicker", indexOfCase(VideoTunes::grain));
        pick(view, "audioTrackPicker", 1);
        pick(view, "audioCodecPicker", indexOfCase(AudioEncoders::copy));
        pick(view, "audioDebitPicker", Lists::audioDebits().indexOf("64"));
        pick(view, "samplingPicker", Lists::audioSamplings().indexOf("44100"));
        child<QLineEdit>(view, "otherParamEdit")->setText("-threads 2");
        pick(view, "subtitleTrackPicker", 1);
        child<QLineEdit>(view, "subtitleExternalEdit")->setText("/subs/a.ass");
        child<QLineEdit>(view, "subtitleLanguageEdit")->setText("ger");

        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->container, 1);
        QCOMPARE(job->destination, m_dir.filePath("film.mkv"));
        QVERIFY(!job->isQuicktime);
        QVERIFY(!job->deInterlace);
        QCOMPARE(job->videoTrack, 1);
        QCOMPARE(job->videoEncoder, VideoEncoders::libx265);
        QCOMPARE(job->videoDebit, 8500);
        QCOMPARE(job->width, 3840);
        QCOMPARE(job->height, 2160);
        QCOMPARE(job->videoPreset, VideoPresets::veryfast);
        QCOMPARE(job->videoProfile, VideoProfiles::main);
        QCOMPARE(job->videoTune, VideoTunes::grain);
        QCOMPARE(job->audioTrack, 1);
        QCOMPARE(job->audioEncoder, AudioEncoders::copy);
        QCOMPARE(job->audioDebit, 64);
        QCOMPARE(job->audioSampling, 44100);
        QCOMPARE(job->otherParam, "-threads 2");
        QCOMPARE(job->subtitleTrack, 1);
        QCOMPARE(job->subtitleExternal, "/subs/a.ass");
        QCOMPARE(job->subtitleLanguage, "ger");
    }

    void figuresNotInTheListsBecomeAuto_data()
    {
        QTest::addColumn<int>("videoDebit");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("audioDebit");
        QTest::addColumn<int>("audioSampling");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QList<int>>("written");
        QTest::newRow("automatic") << 0 << -2 << -2 << 0 << 0
                                   << QStringList{"Auto", "auto", "auto", "Auto", "Auto"}
                                   << QList<int>{0, -2, -2, 0, 0};
        QTest::newRow("unlisted") << 1200 << 1000 << 480 << 100 << 22050
                                  << QStringList{"Auto", "auto", "auto", "Auto", "Auto"}
                                  << QList<int>{0, -2, -2, 0, 0};
        QTest::newRow("zero size") << 500 << 0 << 0 << 32 << 44100
                                   << QStringList{"500", "auto", "auto", "32", "44100"}
                                   << QList<int>{500, -2, -2, 32, 44100};
        QTest::newRow("listed") << 10000 << 4096 << 576 << 384 << 48000
                                << QStringList{"10000", "4096", "576", "384", "48000"}
                                << QList<int>{10000, 4096, 576, 384, 48000};
    }
    void figuresNotInTheListsBecomeAuto()
    {
        QFETCH(int, videoDebit);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, audioDebit);
        QFETCH(int, audioSampling);
        QFETCH(QStringList, shown);
        QFETCH(QList<int>, written);
        auto job = makeJob();
        job->videoDebit = videoDebit;
        job->width = width;
        job->height = height;
        job->audioDebit = audioDebit;
        job->audioSampling = audioSampling;
        QPointer<DetailView> view = open(job);
        QStringList texts;
        for (const char *name :
             {"videoDebitPicker", "widthPicker", "heightPicker", "audioDebitPicker", "samplingPicker"})
            texts << child<QComboBox>(view, name)->currentText();
        QCOMPARE(texts, shown);
        click(view, "okButton");
        QCOMPARE((QList<int>{job->videoDebit, job->width, job->height, job->audioDebit, job->audioSampling}),
                 written);
    }

    void cancelLeavesTheJobUntouched()
    {
        auto job = makeJob();
        job->cropValue = ManualCrop;
        job->videoCrop = "1920:800:0:140";
        const QStringList before = settingsOf(*job);
        const QImage frame = job->image();
        QPointer<DetailView> view = open(job);
        pick(view, "containerPicker", 1);
        pick(view, "videoCodecPicker", 3);
        pick(view, "tunePicker", 4);
        pick(view, "audioCodecPicker", 2);
        pick(view, "videoDebitPicker", 3);
        pick(view, "subtitleTrackPicker", 1);
        commit(child<QLineEdit>(view, "destinationEdit"), m_dir.filePath("other"));
        commit(child<QLineEdit>(view, "cropEdit"), "100:100:0:0");
        child<QLineEdit>(view, "otherParamEdit")->setText("-x");
        click(view, "previewButton");
        m_panels.openAnswer = "/subs/new.srt";
        click(view, "subtitleButton");
        QTRY_COMPARE(m_panels.openCalls, 1);
        QVERIFY(!view.isNull());
        view->findChild<ImageView *>()->accept();

        click(view, "cancelButton");
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), before);
        QCOMPARE(job->image(), frame);
    }

    void escapeCancelsToo()
    {
        auto job = makeJob();
        const QStringList before = settingsOf(*job);
        QPointer<DetailView> view = open(job);
        pick(view, "containerPicker", 1);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), before);
    }

    void aJobWithoutSourceShowsOupsAndCloses_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Close button") << false;
        QTest::newRow("Escape") << true;
    }
    void aJobWithoutSourceShowsOupsAndCloses()
    {
        QFETCH(bool, byEscape);
        auto job = std::make_shared<MediaVideo>(QString(), QString("/out/x.mp4"));
        const QStringList before = settingsOf(*job);
        QPointer<DetailView> view = open(job);
        QCOMPARE(child<QLabel>(view, "oupsLabel")->text(), "Oups");
        QVERIFY(!child<QPushButton>(view, "okButton"));
        QVERIFY(child<QPushButton>(view, "closeButton"));
        if (byEscape)
            QTest::keyClick(view, Qt::Key_Escape);
        else
            click(view, "closeButton");
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), before);
    }

    void containerAndCodecsWithoutTemplate()
    {
        auto job = makeJob();
        job->destination = "/out/film.mp4";
        QPointer<DetailView> view = open(job);
        QVERIFY(child<QLineEdit>(view, "destinationEdit")->isEnabled());
        QVERIFY(child<QToolButton>(view, "exportButton")->isEnabled());
        pick(view, "videoCodecPicker", 2);
        pick(view, "audioCodecPicker", 1);
        QCOMPARE(view->destination(), "/out/film.mp4");
        pick(view, "containerPicker", 1);
        QCOMPARE(view->destination(), "/out/film.mkv");
        pick(view, "containerPicker", 0);
        QCOMPARE(view->destination(), "/out/film.mp4");
    }

    void containerAndCodecsWithTemplate()
    {
        Preferences::writeInt(Preferences::Key::formatFile, 2);
        auto job = makeJob();
        job->videoEncoder = VideoEncoders::libx265;
        job->destination = "/out/old.mp4";
        QPointer<DetailView> view = open(job);
        QVERIFY(!child<QLineEdit>(view, "destinationEdit")->isEnabled());
        QVERIFY(!child<QToolButton>(view, "exportButton")->isEnabled());
        QCOMPARE(view->destination(), "/out/film_x265_aac.mp4");
        pick(view, "videoCodecPicker", indexOfCase(VideoEncoders::h264_videotoolbox));
        QCOMPARE(view->destination(), "/out/film_x264_aac.mp4");
        pick(view, "audioCodecPicker", indexOfCase(AudioEncoders::libmp3lame));
        QCOMPARE(view->destination(), "/out/film_x264_mp3.mp4");
        pick(view, "containerPicker", 1);
        QCOMPARE(view->destination(), "/out/film_x264_mp3.mkv");
        pick(view, "audioCodecPicker", indexOfCase(AudioEncoders::copy));
        QCOMPARE(view->destination(), "/out/film_x264_copy.mkv");
        click(view, "okButton");
        QCOMPARE(job->destination, "/out/film_x264_copy.mkv");
    }

    void destinationCommittedByHand_data()
    {
        QTest::addColumn<int>("container");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("noted");
        const QString tmp = QDir::tempPath();
        QTest::newRow("no extension") << 0 << tmp + "/film" << tmp + "/film.mp4" << false;
        QTest::newRow("extension replaced") << 1 << tmp + "/film.mp4" << tmp + "/film.mkv" << false;
        QTest::newRow("dotted name") << 0 << tmp + "/movie.final.avi" << tmp + "/movie.final.mp4" << false;
        QTest::newRow("missing folder") << 0 << "/no/such/dir/film.mp4"
                                        << "<job>" << true;
        QTest::newRow("empty") << 0 << ""
                               << "<job>" << true;
        QTest::newRow("blank") << 0 << "   "
                               << "<job>" << true;
        QTest::newRow("bare name") << 0 << "renamed"
                                   << "<dir>/renamed.mp4" << false;
    }
    void destinationCommittedByHand()
    {
        QFETCH(int, container);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(bool, noted);
        auto job = makeJob();
        job->container = container;
        job->destination = m_dir.filePath(container ? "film.mkv" : "film.mp4");
        expected.replace("<job>", job->destination).replace("<dir>", m_dir.path());
        QPointer<DetailView> view = open(job);
        commit(child<QLineEdit>(view, "destinationEdit"), typed);
        QCOMPARE(view->destination(), expected);
        QCOMPARE(child<QLabel>(view, "destinationNote")->isVisibleTo(view), noted);
        QVERIFY(!closed(view)); // Return commits the field; it does not confirm the editor
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->destination, expected);
    }

    void okCommitsATypedDestinationAndRefusesABadOne()
    {
        auto job = makeJob();
        QPointer<DetailView> view = open(job);
        auto *edit = child<QLineEdit>(view, "destinationEdit");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "/no/such/dir/x");
        click(view, "okButton");
        QVERIFY(!closed(view)); // refused and shown, not written
        QCOMPARE(view->destination(), m_dir.filePath("film.mp4"));
        QVERIFY(child<QLabel>(view, "destinationNote")->isVisibleTo(view));
        edit->selectAll();
        QTest::keyClicks(edit, m_dir.filePath("typed"));
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->destination, m_dir.filePath("typed.mp4"));
    }

    void exportPanel_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("container");
        QTest::newRow("mkv") << "/out/film.mkv"
                             << "/out/film.mkv"
                             << "mkv";
        QTest::newRow("mp4") << "/out/clip.mp4"
                             << "/out/clip.mp4"
                             << "mp4";
        QTest::newRow("other extension keeps the container") << "/out/film.avi"
                                                             << "/out/film.avi"
                                                             << "mp4";
        QTest::newRow("cancelled") << ""
                                   << "<job>"
                                   << "mp4";
    }
    void exportPanel()
    {
        QFETCH(QString, answer);
        QFETCH(QString, destination);
        QFETCH(QString, container);
        auto job = makeJob();
        destination.replace("<job>", job->destination);
        QPointer<DetailView> view = open(job);
        m_panels.saveAnswer = answer;
        click(view, "exportButton");
        QCOMPARE(m_panels.saveCalls, 0); // the panel comes a moment after the button
        QTRY_COMPARE(m_panels.saveCalls, 1);
        QCOMPARE(m_panels.title, "Export video");
        QCOMPARE(m_panels.suggested, job->destination);
        QCOMPARE(m_panels.extensions, QStringList{"mp4"});
        QCOMPARE(view->destination(), destination);
        QCOMPARE(child<QComboBox>(view, "containerPicker")->currentText(), container);
        click(view, "okButton");
        QCOMPARE(job->destination, destination);
        QCOMPARE(job->container, Lists::containers().indexOf(container));
    }

    void subtitlePanel()
    {
        auto job = makeJob();
        job->subtitleExternal = "/subs/old.srt";
        QPointer<DetailView> view = open(job);
        m_panels.openAnswer = "";
        click(view, "subtitleButton");
        QTRY_COMPARE(m_panels.openCalls, 1);
        QCOMPARE(m_panels.title, "Import subtitle");
        QCOMPARE(m_panels.extensions, (QStringList{"srt", "ssa", "ass"}));
        QCOMPARE(child<QLineEdit>(view, "subtitleExternalEdit")->text(), "/subs/old.srt");
        m_panels.openAnswer = "/subs/new film.ass";
        click(view, "subtitleButton");
        QTRY_COMPARE(m_panels.openCalls, 2);
        QCOMPARE(child<QLineEdit>(view, "subtitleExternalEdit")->text(), "/subs/new film.ass");
        click(view, "okButton");
        QCOMPARE(job->subtitleExternal, "/subs/new film.ass");
    }

    void subtitleTrackRoundTrip_data()
    {
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("picked");
        QTest::newRow("none available") << QStringList{} << 0 << 0 << -1;
        QTest::newRow("one stream kept") << QStringList{"No subtitle", "5 UTF-8 English"} << 1 << 1 << -1;
        QTest::newRow("one stream dropped") << QStringList{"No subtitle", "5 UTF-8 English"} << 1 << 1 << 0;
        QTest::newRow("third of three") << QStringList{"No subtitle", "Select 3 track(s) for encoding",
                                                       "5 UTF-8 en", "6 UTF-8 fr", "7 UTF-8 de"}
                                        << 2 << 2 << 4;
        QTest::newRow("stored index beyond the list")
            << QStringList{"No subtitle", "5 UTF-8 en"} << 7 << 0 << -1;
    }
    void subtitleTrackRoundTrip()
    {
        QFETCH(QStringList, tracks);
        QFETCH(int, stored);
        QFETCH(int, loaded);
        QFETCH(int, picked);
        auto job = makeJob();
        job->container = 1; // Matroska takes any subtitle
        job->destination = m_dir.filePath("film.mkv");
        job->subtitleTracks = tracks;
        job->subtitleTrack = stored;
        QPointer<DetailView> view = open(job);
        auto *picker = child<QComboBox>(view, "subtitleTrackPicker");
        QCOMPARE(picker->isEnabled(), !tracks.isEmpty());
        QCOMPARE(picker->currentText(), tracks.isEmpty() ? QString("No subtitle") : tracks.at(loaded));
        if (picked >= 0)
            picker->setCurrentIndex(picked);
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->subtitleTrack, picked >= 0 ? picked : loaded);
    }

    void aBitmapSubtitleInMp4IsRefused()
    {
        auto job = makeJob();
        job->subtitleTracks = {"No subtitle", "5 PGS English"};
        QPointer<DetailView> view = open(job);
        pick(view, "subtitleTrackPicker", 1);
        click(view, "okButton");
        auto *refusal = view->findChild<QMessageBox *>("subtitleRefusal");
        QVERIFY(refusal);
        QVERIFY(!refusal->text().isEmpty());
        QVERIFY(!closed(view));
        QCOMPARE(job->subtitleTrack, 0);
        refusal->accept();

        pick(view, "containerPicker", 1); // Matroska holds it
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->subtitleTrack, 1);
        QCOMPARE(job->container, 1);
    }

    void showsTheCommandLineForTheCurrentChoices()
    {
        auto job = makeJob();
        QPointer<DetailView> view = open(job);
        auto *command = child<QPlainTextEdit>(view, "commandLineView");
        QVERIFY(command->isReadOnly());
        QTRY_VERIFY(command->toPlainText().contains("libx264"));
        pick(view, "videoCodecPicker", indexOfCase(VideoEncoders::libx265));
        QTRY_VERIFY(command->toPlainText().contains("libx265"));
        pick(view, "containerPicker", 1);
        QTRY_VERIFY(command->toPlainText().contains("film.mkv"));
        QCOMPARE(job->videoEncoder, VideoEncoders::libx264); // shown, not written
        click(view, "copyCommandButton");
        QCOMPARE(QApplication::clipboard()->text(), command->toPlainText());
    }

    void marksEncodersTheInstalledFfmpegLacks()
    {
        EncoderCatalog::instance().setAvailable({"libx264", "libx265", "aac"});
        auto job = makeJob();
        job->videoEncoder = VideoEncoders::hevc_videotoolbox;
        QPointer<DetailView> view = open(job);
        auto *video = child<SegmentedPicker>(view, "videoCodecPicker");
        QCOMPARE(video->count(), 4); // the positions are stored data: nothing is left out
        QCOMPARE(video->currentIndex(), indexOfCase(VideoEncoders::hevc_videotoolbox));
        QVERIFY(video->isEntryAvailable(0));
        QVERIFY(!video->isEntryAvailable(1));
        QVERIFY(!video->isEntryAvailable(3));
        QVERIFY(video->button(1)->toolTip().contains("h264_videotoolbox"));
        auto *audio = child<SegmentedPicker>(view, "audioCodecPicker");
        QVERIFY(!audio->isEntryAvailable(indexOfCase(AudioEncoders::libmp3lame)));
        QVERIFY(audio->isEntryAvailable(indexOfCase(AudioEncoders::copy)));
        click(view, "okButton");
        QCOMPARE(job->videoEncoder, VideoEncoders::hevc_videotoolbox);
    }

    // Crop row

    void presetCropTexts_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("text");
        QTest::newRow("1:85.1") << 1920 << 1080 << 1.0 << 2 << "1920:1032:0:24";
        QTest::newRow("2:35.1") << 1920 << 1080 << 1.0 << 3 << "1920:816:0:128";
        QTest::newRow("2:39.1") << 1920 << 1080 << 1.0 << 4 << "1920:800:0:136";
        QTest::newRow("4:3") << 1920 << 1080 << 1.0 << 7 << "1440:1080:240:0";
        QTest::newRow("5:3") << 1920 << 1080 << 1.0 << 8 << "1792:1072:64:0";
        QTest::newRow("16:9") << 1920 << 1080 << 1.0 << 9 << "1920:1080:0:0";
        QTest::newRow("4:3 at 720p") << 1280 << 720 << 1.0 << 7 << "960:720:160:0";
        QTest::newRow("4:3 PAL 16:15") << 720 << 576 << 16.0 / 15.0 << 7 << "760:536:4:16";
        QTest::newRow("none") << 1920 << 1080 << 1.0 << 0 << "";
        QTest::newRow("manual keeps") << 1920 << 1080 << 1.0 << 1 << "12:34:56:78";
    }
    void presetCropTexts()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, pixelAspect);
        QFETCH(int, preset);
        QFETCH(QString, text);
        auto job = makeJob(width, height, pixelAspect);
        job->cropValue = ManualCrop;
        job->videoCrop = "12:34:56:78";
        QPointer<DetailView> view = open(job);
        auto *picker = child<QComboBox>(view, "cropPicker");
        QCOMPARE(picker->count(), 10);
        if (preset == ManualCrop) {
            picker->setCurrentIndex(0);
            child<QLineEdit>(view, "cropEdit")->setText("12:34:56:78");
            picker->setCurrentIndex(ManualCrop);
        } else {
            picker->setCurrentIndex(preset);
        }
        QCOMPARE(view->cropText(), text);
        const bool manual = preset == ManualCrop;
        QCOMPARE(child<QPushButton>(view, "autocropButton")->isEnabled(), manual);
        QCOMPARE(child<QLineEdit>(view, "cropEdit")->isEnabled(), manual);
        QVERIFY(child<QPushButton>(view, "previewButton")->isEnabled());
        click(view, "okButton");
        QCOMPARE(job->cropValue, preset);
        QCOMPARE(job->videoCrop, text);
    }

    void loadingRecomputesTheStoredPreset()
    {
        auto job = makeJob();
        job->cropValue = 3;
        job->videoCrop = "1920:816:0:132"; // the table's stored text, never shown
        QPointer<DetailView> view = open(job);
        QCOMPARE(child<QComboBox>(view, "cropPicker")->currentIndex(), 3);
        QCOMPARE(view->cropText(), "1920:816:0:128");
    }

    void typedCropsAreValidated_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("text around") << "abc 1920:800:0:140 xyz"
                                     << "1920:800:0:140";
        QTest::newRow("too wide") << "1920:800:100:0"
                                  << "1820:800:100:0";
        QTest::newRow("too high") << "100:1200:0:0"
                                  << "100:1080:0:0";
        QTest::newRow("two numbers") << "1920:1080"
                                     << "";
        QTest::newRow("five digits") << "19200:800:0:0"
                                     << "1920:800:0:0";
        QTest::newRow("offset beyond") << "100:100:2000:0"
                                       << "-80:100:2000:0";
    }
    void typedCropsAreValidated()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        auto job = makeJob();
        job->cropValue = ManualCrop;
        QPointer<DetailView> view = open(job);
        commit(child<QLineEdit>(view, "cropEdit"), typed);
        QCOMPARE(view->cropText(), result);
        QVERIFY(!closed(view));
        click(view, "okButton");
        QCOMPARE(job->videoCrop, result);
    }

    void okValidatesACropTypedWithoutReturn()
    {
        auto job = makeJob();
        job->cropValue = ManualCrop;
        job->videoCrop = "-1"; // detect when encoding: kept as long as nobody types
        QPointer<DetailView> view = open(job);
        QCOMPARE(view->cropText(), "-1");
        click(view, "okButton");
        QCOMPARE(job->videoCrop, "-1");

        view = open(job);
        auto *edit = child<QLineEdit>(view, "cropEdit");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "x 1920:800:100:0");
        click(view, "okButton");
        QCOMPARE(job->videoCrop, "1820:800:100:0");
    }

    void previewOutlinesTheCrop_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("manualText");
        QTest::addColumn<QRect>("outline"); // in the picture's top-left coordinates; null for none
        // The rectangle's y counts from the bottom edge: 1920:816:0:128 on 1080 lines lies 136 lines
        // below the top.
        QTest::newRow("2:35.1") << 1920 << 1080 << 1.0 << 3 << "" << QRect(0, 136, 1920, 816);
        // PAL 4:3 with 16:15 pixels: the stored text is 760:536:4:16, the outline 576:576:96:0.
        QTest::newRow("4:3 PAL 16:15") << 720 << 576 << 16.0 / 15.0 << 7 << "" << QRect(96, 0, 576, 576);
        QTest::newRow("manual") << 320 << 240 << 1.0 << 1 << "100:100:10:20" << QRect(10, 120, 100, 100);
        QTest::newRow("none") << 320 << 240 << 1.0 << 0 << "" << QRect();
        QTest::newRow("manual, not four numbers") << 320 << 240 << 1.0 << 1 << "-1" << QRect();
    }
    void previewOutlinesTheCrop()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, pixelAspect);
        QFETCH(int, preset);
        QFETCH(QString, manualText);
        QFETCH(QRect, outline);
        auto job = makeJob(width, height, pixelAspect);
        job->cropValue = preset;
        job->videoCrop = manualText;
        const QImage frame = job->image();
        QPointer<DetailView> view = open(job);
        click(view, "previewButton");
        auto *preview = view->findChild<ImageView *>();
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        const QImage &shown = preview->image();
        QCOMPARE(shown.size(), frame.size());
        if (outline.isNull()) {
            QCOMPARE(redPixels(shown), 0);
        } else {
            const QPoint mid = outline.center();
            const int right = outline.x() + outline.width();
            const int bottom = outline.y() + outline.height();
            QVERIFY2(redNear(shown, mid.x(), outline.y()), "top edge");
            QVERIFY2(redNear(shown, mid.x(), bottom), "bottom edge");
            QVERIFY2(redNear(shown, outline.x(), mid.y()), "left edge");
            QVERIFY2(redNear(shown, right, mid.y()), "right edge");
            QVERIFY2(!redNear(shown, mid.x(), mid.y(), 5), "inside stays clear");
            // Only the outline: a stroke 2 wide along the four sides.
            QVERIFY(redPixels(shown) <= 2 * 2 * (outline.width() + outline.height()) + 16);
            if (outline.y() > 8) // where an outline measured from the top would run
                QVERIFY2(!redNear(shown, mid.x(), outline.y() - 8, 1), "y is not taken from the top");
        }
        QCOMPARE(job->image(), frame); // drawn on a copy
        preview->accept();
        QVERIFY(!preview->isVisible());
    }

    void eachPreviewDrawsOnAFreshCopy()
    {
        auto job = makeJob(320, 240);
        job->cropValue = ManualCrop;
        job->videoCrop = "100:100:10:20";
        QPointer<DetailView> view = open(job);
        click(view, "previewButton");
        QPointer<ImageView> first = view->findChild<ImageView *>();
        first->accept();
        QTRY_VERIFY(first.isNull());
        commit(child<QLineEdit>(view, "cropEdit"), "50:50:200:100");
        click(view, "previewButton");
        const QImage shown = view->findChild<ImageView *>()->image();
        QVERIFY(redNear(shown, 225, 240 - 100 - 50));
        QVERIFY(!redNear(shown, 60, 120, 1)); // the first rectangle is not there
    }

    void autocropRunsInTheBackground()
    {
        const QString clip = m_dir.filePath("letterbox.mp4");
        QVERIFY(TestSupport::generateClip(
            clip, {"-f", "lavfi", "-i", "testsrc=size=320x160:rate=25:duration=2", "-vf", "pad=320:240:0:40",
                   "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"}));
        auto job = makeJob(320, 240);
        job->source = clip;
        job->durationVideoMiddle = "00:00:00";
        job->cropValue = ManualCrop;
        job->videoCrop = "1:2:3:4";
        QPointer<DetailView> view = open(job);
        auto *button = child<QPushButton>(view, "autocropButton");
        button->click();
        QVERIFY(view->isDetectingCrop());
        QVERIFY(!button->isEnabled());
        QVERIFY(child<QProgressBar>(view, "cropBusy")->isVisibleTo(view));
        button->click();                       // ignored while the first one runs
        QCOMPARE(view->cropText(), "1:2:3:4"); // the window went on without waiting
        QTRY_VERIFY_WITH_TIMEOUT(!view->isDetectingCrop(), 60000);
        QVERIFY(button->isEnabled());
        QVERIFY(!child<QProgressBar>(view, "cropBusy")->isVisibleTo(view));
        QCOMPARE(view->cropText(), "320:160:0:40");
        click(view, "okButton");
        QCOMPARE(job->videoCrop, "320:160:0:40");
        QCOMPARE(job->cropValue, ManualCrop);
    }

    void autocropThatFindsNothingKeepsTheText()
    {
        auto job = makeJob(320, 240);
        job->source = m_dir.filePath("missing.mp4");
        job->cropValue = ManualCrop;
        job->videoCrop = "1:2:3:4";
        QPointer<DetailView> view = open(job);
        click(view, "autocropButton");
        QTRY_VERIFY_WITH_TIMEOUT(!view->isDetectingCrop(), 60000);
        QCOMPARE(view->cropText(), "1:2:3:4");
        QVERIFY(child<QLabel>(view, "cropNote")->isVisibleTo(view));
    }

    void closingDuringAutocropIsSafe()
    {
        auto job = makeJob(320, 240);
        job->source = m_dir.filePath("missing.mp4");
        job->cropValue = ManualCrop;
        job->videoCrop = "1:2:3:4";
        QPointer<DetailView> view = open(job);
        click(view, "autocropButton");
        click(view, "cancelButton");
        QTRY_VERIFY(view.isNull());
        QTest::qWait(300); // the detection ends and its result goes nowhere
        QCOMPARE(job->videoCrop, "1:2:3:4");
    }
};

QTEST_MAIN(TestDetailView)
#include "tst_ui_detailview.moc"
