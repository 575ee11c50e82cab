// The job editor: its fields bound to the job (written back on "Ok" only, and only when the job as
// edited can be taken), the autocrop ending with the window, its fit on a small screen. Its rules are
// tested on their own (tst_rules, tst_crop).
#include "TestSupport.h"

#include "model/JobJson.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "rules/CropPresets.h"
#include "session/JobListModel.h"
#include "session/Session.h"
#include "ui/ContentView.h"
#include "ui/DetailView.h"
#include "ui/MainWindow.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the panels as the test says.
class FakePanels : public Panels
{
public:
    QString answer;
    QString openFile(QWidget *, const QString &, const QStringList &) override { return answer; }
};

// Every field of the job but its id, one per line, so that a difference names the field.
QStringList settingsOf(const MediaVideo &job)
{
    QJsonObject fields = jobFieldsToJson(job, OptionForm::RawText);
    fields.remove(QStringLiteral("id"));
    return QString::fromUtf8(QJsonDocument(fields).toJson()).split(QLatin1Char('\n'));
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

    // A probed-looking 1920x1080 job in the temporary directory.
    MediaVideo::Ptr makeJob()
    {
        auto job = std::make_shared<MediaVideo>(m_dir.filePath("film.mov"), m_dir.filePath("film.mp4"));
        job->container = 0;
        job->videoEncoder = VideoEncoders::libx264;
        job->videoWidth = 1920;
        job->videoHeight = 1080;
        job->durationVideoMiddle = "00:00:01";
        job->videoTracks = {"1 0 AVC 800 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000",
                            "2 1 AVC 400 kb/s Size: 1280x720 DAR: 16:9 PAR: 1.000"};
        job->audioTracks = {"Select 2 track(s) for encoding", "3 2 AAC 128 kb/s CBR 48.0 kHz 2 English",
                            "4 3 AAC 96 kb/s CBR 44.1 kHz 2 French"};
        job->subtitleTracks = {"No subtitle", "5 UTF-8 English"};
        using K = MediaStream::Kind;
        job->streams = {{K::Audio, 1, "AAC", "en", "English", "", 2, 128000, 0, false, false},
                        {K::Audio, 2, "AAC", "fr", "French", "Commentary", 2, 96000, 0, false, false},
                        {K::Subtitle, 1, "UTF-8", "en", "English", "", 0, 0, 0, false, false}};
        QImage frame(1920, 1080, QImage::Format_RGB32);
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

    static void commit(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static bool closed(const QPointer<DetailView> &view)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return view.isNull() || !view->isVisible();
    }

    // Each field away from its default: the widget, what it shows, and the job's side of it.
    using Field = std::tuple<QString, QString, std::function<void(MediaVideo &)>>;
    QList<Field> referenceFields() const
    {
        const QString subtitle = m_subtitle;
        return {
            {"containerPicker", "mkv",
             [this](MediaVideo &j) { j.container = 1, j.destination = m_dir.filePath("film.mkv"); }},
            {"quicktimeToggle", "off", [](MediaVideo &j) { j.isQuicktime = false; }},
            {"deInterlaceToggle", "auto",
             [](MediaVideo &j) { j.deInterlace = false, j.deInterlaceAuto = true; }},
            {"videoTrackPicker", "2 1 AVC 400 kb/s Size: 1280x720 DAR: 16:9 PAR: 1.000",
             [](MediaVideo &j) { j.videoTrack = 1; }},
            {"videoCodecPicker", "hevc_videotoolbox",
             [](MediaVideo &j) { j.videoEncoder = VideoEncoders::hevc_videotoolbox; }},
            {"videoDebitPicker", "4000", [](MediaVideo &j) { j.videoDebit = 4000; }},
            {"widthPicker", "1280", [](MediaVideo &j) { j.width = 1280; }},
            {"heightPicker", "720", [](MediaVideo &j) { j.height = 720; }},
            {"presetPicker", "slower", [](MediaVideo &j) { j.videoPreset = VideoPresets::slower; }},
            {"profilePicker", "main", [](MediaVideo &j) { j.videoProfile = VideoProfiles::main; }},
            {"tunePicker", "zerolatency", [](MediaVideo &j) { j.videoTune = VideoTunes::zerolatency; }},
            {"audioTrackList", "2 · French · AAC stereo · 96 kb/s · Commentary",
             [](MediaVideo &j) { j.audioTrack = 2; }},
            {"audioCodecPicker", "libmp3lame",
             [](MediaVideo &j) { j.audioEncoder = AudioEncoders::libmp3lame; }},
            {"audioDebitPicker", "192", [](MediaVideo &j) { j.audioDebit = 192; }},
            {"samplingPicker", "48000", [](MediaVideo &j) { j.audioSampling = 48000; }},
            {"channelsPicker", "Keep", [](MediaVideo &j) { j.audioChannels = AudioChannels::Keep; }},
            {"otherParamEdit", "-movflags +faststart",
             [](MediaVideo &j) { j.otherParam = "-movflags +faststart"; }},
            {"subtitleTrackList", "1 · English · SubRip text", [](MediaVideo &j) { j.subtitleTrack = 1; }},
            {"burnSubtitlePicker", "1 · English · SubRip text", [](MediaVideo &j) { j.subtitleBurn = 1; }},
            {"keepDateToggle", "on", [](MediaVideo &j) { j.keepDate = true; }},
            {"subtitleLanguageEdit", "eng", [](MediaVideo &j) { j.subtitleLanguage = "eng"; }},
            {"cropPicker", "manual",
             [](MediaVideo &j) { j.cropValue = ManualCrop, j.videoCrop = "1920:800:0:140"; }},
            {"cropEdit", "1920:800:0:140", [](MediaVideo &) {}},
            {"subtitleExternalEdit", subtitle, [subtitle](MediaVideo &j) { j.subtitleExternal = subtitle; }}};
    }

    MediaVideo::Ptr referenceJob()
    {
        auto job = makeJob();
        for (const auto &[name, text, set] : referenceFields())
            set(*job);
        return job;
    }

    // What a field shows: a picker's entry, an edit's text, a toggle's "on" or "off".
    static QString shown(QWidget *view, const QString &name)
    {
        if (auto *toggle = view->findChild<QCheckBox *>(name))
            return toggle->checkState() == Qt::PartiallyChecked ? "auto" : toggle->isChecked() ? "on" : "off";
        if (auto *combo = view->findChild<QComboBox *>(name))
            return combo->currentText();
        if (auto *list = view->findChild<QListWidget *>(name)) {
            QStringList checked;
            for (int i = 0; i < list->count(); ++i) {
                if (list->item(i)->checkState() == Qt::Checked)
                    checked << list->item(i)->text();
            }
            return checked.join(" | ");
        }
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
            toggle->setCheckState(text == "on"     ? Qt::Checked
                                  : text == "auto" ? Qt::PartiallyChecked
                                                   : Qt::Unchecked);
        } else if (auto *combo = view->findChild<QComboBox *>(name)) {
            combo->setCurrentIndex(combo->findText(text));
        } else if (auto *list = view->findChild<QListWidget *>(name)) {
            const QStringList wanted = text.split(" | ", Qt::SkipEmptyParts);
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(wanted.contains(list->item(i)->text()) ? Qt::Checked
                                                                                    : Qt::Unchecked);
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

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        QVERIFY(m_dir.isValid());
        QVERIFY(TestSupport::writeFile(m_subtitle, {}));
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

    // Every field is shown as the job has it and written back on "Ok" only: unchanged, or as the user set
    // it in the form; "Cancel" after every change leaves the job as it was.
    void okWritesAndCancelDoesNot_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"unchanged", "set", "cancel"})
            QTest::newRow(how) << QString(how);
    }
    void okWritesAndCancelDoesNot()
    {
        QFETCH(QString, how);
        auto job = how == "unchanged" ? referenceJob() : makeJob();
        const QStringList before = settingsOf(*job);
        QPointer<DetailView> view = open(job);
        for (const auto &[name, text, set] : referenceFields()) {
            if (how == "unchanged") {
                QCOMPARE(shown(view, name), text);
            } else if (name == "cropEdit") {
                commit(child<QLineEdit>(view, "cropEdit"), text);
            } else if (name == "subtitleExternalEdit") { // from its panel
                m_panels.answer = text;
                click(view, "subtitleButton");
                QTRY_COMPARE(shown(view, name), text);
            } else {
                enter(view, name, text);
            }
        }
        click(view, how == "cancel" ? "cancelButton" : "okButton");
        QVERIFY(closed(view));
        QCOMPARE(settingsOf(*job), how == "set" ? settingsOf(*referenceJob()) : before);
    }

    // Passthrough greys the rows that cannot apply to a copied video, and a switch back restores them as
    // they were, the manual crop's field included.
    void passthroughGreysWhatDoesNotApply()
    {
        QPointer<DetailView> view = open(referenceJob());
        const QStringList rows{"videoRatePicker",   "videoDebitPicker", "widthPicker", "heightPicker",
                               "deInterlaceToggle", "cropPicker",       "cropEdit",    "presetPicker",
                               "profilePicker",     "tunePicker"};
        const auto enabled = [&] {
            QStringList on;
            for (const QString &name : rows)
                if (view->findChild<QWidget *>(name)->isEnabled())
                    on << name;
            return on;
        };
        QCOMPARE(enabled(), rows);
        enter(view, "videoCodecPicker", "copy");
        QCOMPARE(enabled(), QStringList());
        QVERIFY(child<QLabel>(view, "copyNote")->isVisible());
        QTRY_VERIFY(view->commandLineText().contains(" -map 0:1 -c:v copy -map 0:3 -c:a libmp3lame "));
        enter(view, "videoCodecPicker", "libx264");
        QCOMPARE(enabled(), rows);
        QVERIFY(!child<QLabel>(view, "copyNote")->isVisible());
        click(view, "cancelButton");
    }

    // "Convert HDR to SDR" is offered for a high dynamic range source only. It shows what the output
    // gets: an encoder that cannot carry HDR always converts, and the job's own choice comes back with
    // one that can.
    void hdrToggleFollowsTheEncoder()
    {
        QPointer<DetailView> plain = open(makeJob());
        QVERIFY(!child<QCheckBox>(plain, "hdrToSdrToggle")->isVisibleTo(plain));
        click(plain, "cancelButton");

        auto job = makeJob();
        job->videoBitDepth = 10;
        job->hdr = HdrKind::Hdr10;
        job->videoEncoder = VideoEncoders::libx265;
        QPointer<DetailView> view = open(job);
        auto *toggle = child<QCheckBox>(view, "hdrToSdrToggle");
        const auto state = [&] {
            return QStringLiteral("%1 %2").arg(shown(view, "hdrToSdrToggle"),
                                               toggle->isEnabled() ? "enabled" : "disabled");
        };
        QVERIFY(toggle->isVisible());
        QCOMPARE(state(), "off enabled");
        QTRY_VERIFY(view->commandLineText().contains(" -pix_fmt yuv420p10le -color_primaries bt2020 "));
        toggle->click();
        QTRY_VERIFY(view->commandLineText().contains("tonemap="));
        toggle->click();
        enter(view, "videoCodecPicker", "libx264");
        QCOMPARE(state(), "on disabled");
        QTRY_VERIFY(view->commandLineText().contains("tonemap="));
        enter(view, "videoCodecPicker", "libx265");
        QCOMPARE(state(), "off enabled");
        enter(view, "videoCodecPicker", "copy");
        QCOMPARE(state(), "off disabled");
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->hdrOutput, HdrOutput::Keep);
    }

    // A new encoder offers only the profiles and tunes it takes (one it does not take reads as Auto) and its
    // own quality scale, x264's default becoming its own; in WebM the command says what does not fit.
    // "Ok" writes what is shown.
    void encoderChoices_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<QString>("profiles"); // offered
        QTest::addColumn<QString>("tunes");
        QTest::addColumn<QString>("profile"); // shown, and written on "Ok"
        QTest::addColumn<QString>("tune");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("maxQuality");
        QTest::addColumn<QString>("command"); // a part of it, in WebM with Opus
        const auto row = [](const char *encoder, const char *profiles, const char *tunes, const char *profile,
                            const char *tune, int quality, int maxQuality, const char *command) {
            QTest::newRow(encoder) << QString(encoder) << QString(profiles) << QString(tunes)
                                   << QString(profile) << QString(tune) << quality << maxQuality
                                   << QString(command);
        };
        row("libx264", "auto baseline main high high10 high422 high444",
            "auto film animation grain stillimage fastdecode zerolatency psnr ssim", "high10", "film", 23, 51,
            "No command: WebM holds only VP9 or AV1 video, which libx264 does not write");
        row("libx265", "auto main", "auto animation grain fastdecode zerolatency psnr ssim", "auto", "auto",
            23, 51, "No command: WebM holds only VP9 or AV1");
        row("h264_vaapi", "auto baseline main high", "auto", "auto", "auto", 23, 51, "");
        row("libsvtav1", "auto", "auto", "auto", "auto", 32, 63,
            " -c:v libsvtav1 -crf 32 -preset 8 -pix_fmt yuv420p ");
        row("libvpx-vp9", "auto", "auto", "auto", "auto", 31, 63,
            " -c:v libvpx-vp9 -crf 31 -b:v 0 -deadline good -cpu-used 2 -row-mt 1 ");
        row("copy", "auto", "auto", "auto", "auto", 23, 51,
            "No command: WebM cannot hold the source's AVC video as it is");
    }
    void encoderChoices()
    {
        QFETCH(QString, encoder);
        QFETCH(int, maxQuality);
        QFETCH(QString, command);
        auto job = makeJob();
        job->videoProfile = VideoProfiles::high10;
        job->videoTune = VideoTunes::film;
        job->videoRate = VideoRate::Quality;
        QPointer<DetailView> view = open(job);
        enter(view, "videoCodecPicker", encoder);
        const auto offered = [&](const char *name) {
            auto *picker = child<SegmentedPicker>(view, name);
            QStringList shown;
            for (int i = 0; i < picker->count(); ++i)
                if (picker->button(i)->isVisibleTo(picker))
                    shown << picker->button(i)->text();
            return shown.join(' ');
        };
        QTEST(offered("profilePicker"), "profiles");
        QTEST(offered("tunePicker"), "tunes");
        QTEST(shown(view, "profilePicker"), "profile");
        QTEST(shown(view, "tunePicker"), "tune");
        auto *quality = child<QSpinBox>(view, "videoQualityBox");
        QTEST(quality->value(), "quality");
        QCOMPARE(quality->maximum(), maxQuality);
        enter(view, "containerPicker", "webm");
        QCOMPARE(child<QLineEdit>(view, "destinationEdit")->text(), m_dir.filePath("film.webm"));
        enter(view, "audioCodecPicker", "libopus");
        if (!command.isEmpty())
            QTRY_VERIFY2(view->commandLineText().contains(command), qPrintable(view->commandLineText()));
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(rawText(job->videoEncoder), encoder);
        QTEST(rawText(job->videoProfile), "profile");
        QTEST(rawText(job->videoTune), "tune");
        QTEST(job->videoQuality, "quality");
        QCOMPARE(job->container, 2);
        QCOMPARE(job->destination, m_dir.filePath("film.webm"));
        QCOMPARE(job->audioEncoder, AudioEncoders::libopus);
    }

    // A destination that cannot be used stays as typed, with why beside it; "Ok" waits for a usable one
    // and writes nothing meanwhile.
    void aRefusedDestinationStaysAsTyped()
    {
        auto job = makeJob();
        const QStringList before = settingsOf(*job);
        QPointer<DetailView> view = open(job);
        enter(view, "containerPicker", "mkv");
        auto *edit = child<QLineEdit>(view, "destinationEdit");
        auto *note = child<QLabel>(view, "destinationNote");
        commit(edit, "/no/such/dir/film.mp4");
        QCOMPARE(edit->text(), "/no/such/dir/film.mp4");
        QCOMPARE(note->text(), "The folder /no/such/dir does not exist.");
        QVERIFY(note->isVisibleTo(view));
        edit->selectAll();
        QTest::keyClicks(edit, "/no/such/dir/x");
        QVERIFY(!note->isVisibleTo(view));
        click(view, "okButton");
        QVERIFY(!closed(view));
        QCOMPARE(edit->text(), "/no/such/dir/x");
        QVERIFY(note->isVisibleTo(view));
        QCOMPARE(settingsOf(*job), before);
        edit->selectAll();
        QTest::keyClicks(edit, m_dir.filePath("typed"));
        click(view, "okButton");
        QVERIFY(closed(view));
        QCOMPARE(job->destination, m_dir.filePath("typed.mkv"));
    }

    // A typed crop that is not four numbers, or does not fit the picture, keeps the editor open with the
    // reason under the crop row and the job untouched; once mended, "Ok" writes it.
    // Choosing a preset sets every row; a row changed afterwards shows the preset as modified; Ok keeps the
    // preset's name with the job.
    void aPresetSetsEveryRow()
    {
        const MediaVideo::Ptr job = makeJob();
        DetailView *view = open(job);
        auto *picker = child<QComboBox>(view, "jobPresetPicker");
        auto *modified = child<QLabel>(view, "presetModifiedNote");
        QCOMPARE(picker->currentText(), QStringLiteral("Custom"));
        QVERIFY(modified->isHidden());
        // The arrow keys choose, as a user going down the list would.
        picker->setFocus();
        while (picker->currentText() != QStringLiteral("Remux to MKV — no re-encoding")) {
            const int before = picker->currentIndex();
            QTest::keyClick(picker, Qt::Key_Down);
            QVERIFY(picker->currentIndex() > before);
        }
        QCOMPARE(child<SegmentedPicker>(view, "videoCodecPicker")->currentIndex(),
                 indexOfCase(VideoEncoders::copy));
        QCOMPARE(child<SegmentedPicker>(view, "audioCodecPicker")->currentIndex(),
                 indexOfCase(AudioEncoders::copy));
        QCOMPARE(child<QComboBox>(view, "containerPicker")->currentText(), QStringLiteral("mkv"));
        QCOMPARE(child<QLineEdit>(view, "destinationEdit")->text(), m_dir.filePath("film.mkv"));
        QCOMPARE(view->draft().audioTrack, 0); // every audio track
        QVERIFY(modified->isHidden());
        QVERIFY(view->commandLineText().contains("-c:v copy"));

        child<SegmentedPicker>(view, "audioCodecPicker")
            ->button(indexOfCase(AudioEncoders::libopus))
            ->click();
        QVERIFY(modified->isVisible());
        QCOMPARE(job->preset, QString());
        click(view, "okButton");
        QCOMPARE(job->preset, QStringLiteral("Remux to MKV — no re-encoding"));
        QCOMPARE(job->audioEncoder, AudioEncoders::libopus);
        QCOMPARE(job->videoEncoder, VideoEncoders::copy);
    }

    // A quality target chosen by its level, then typed as a figure: the rows show one target, and Ok
    // keeps it with the rate.
    void aQualityTargetIsChosenAndTyped()
    {
        const MediaVideo::Ptr job = makeJob();
        DetailView *view = open(job);
        auto *rate = child<QComboBox>(view, "videoRatePicker");
        auto *level = child<QComboBox>(view, "targetQualityPicker");
        auto *ssim = child<QDoubleSpinBox>(view, "targetSsimBox");
        QVERIFY(!level->isVisible());
        rate->setFocus();
        while (rate->currentText() != QStringLiteral("Target quality"))
            QTest::keyClick(rate, Qt::Key_Down);
        QVERIFY(level->isVisible() && !child<QSpinBox>(view, "videoQualityBox")->isVisible());
        QCOMPARE(level->currentText(), QStringLiteral("High"));
        level->setFocus();
        QTest::keyClick(level, Qt::Key_Down); // Good
        QTest::keyClick(level, Qt::Key_Down); // Small
        QCOMPARE(ssim->value(), 0.96);
        ssim->setFocus();
        ssim->selectAll();
        QTest::keyClicks(ssim, "0.978");
        QCOMPARE(level->currentText(), QStringLiteral("Custom"));
        ssim->selectAll();
        QTest::keyClicks(ssim, "0.975");
        QCOMPARE(level->currentText(), QStringLiteral("Good"));
        click(view, "okButton");
        QCOMPARE(job->videoRate, VideoRate::Target);
        QCOMPARE(job->qualityTarget, 9750);
    }

    void aTypedCropIsCheckedOnOk_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("note");
        QTest::newRow("wider than the picture")
            << "3000:800:0:140"
            << "The crop 3000:800:0:140 does not fit in the picture (1920×1080).";
        QTest::newRow("three numbers") << "1920:800:0"
                                       << "The crop needs four whole numbers: width:height:x:y.";
    }
    void aTypedCropIsCheckedOnOk()
    {
        QFETCH(QString, typed);
        auto job = referenceJob();
        const QStringList before = settingsOf(*job);
        QPointer<DetailView> view = open(job);
        auto *crop = child<QLineEdit>(view, "cropEdit");
        auto *ok = child<QPushButton>(view, "okButton");
        crop->setFocus();
        crop->selectAll();
        QTest::keyClicks(crop, typed);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!closed(view));
        QCOMPARE(crop->text(), typed);
        QVERIFY(child<QLabel>(view, "cropNote")->isVisibleTo(view));
        QTEST(child<QLabel>(view, "cropNote")->text(), "note");
        QCOMPARE(view->focusWidget(), crop);
        QCOMPARE(settingsOf(*job), before);
        crop->selectAll();
        QTest::keyClicks(crop, "1920:816:0:132");
        QVERIFY(!child<QLabel>(view, "cropNote")->isVisibleTo(view));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(closed(view));
        QCOMPARE(job->videoCrop, "1920:816:0:132");
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
        const TestSupport::ScopedEnv hang{{"FAKE_TOOL_SCRIPT_FFMPEG", "pgid:" + groups.toUtf8() + ";hang"}};
        auto job = makeJob();
        job->cropValue = ManualCrop;
        content.model()->append(job);
        content.editJob(content.model()->index(0));
        auto *editor = window->findChild<DetailView *>();
        QVERIFY(editor);
        click(editor, "autocropButton");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(groups).size() > 0, 30000);
        window.reset();
        QCOMPARE(TestSupport::survivors(groups), 0);
    }

    // The test's screen is a laptop's, 1366x768 (see main()). Opened there the editor stays on the screen;
    // made as small as it goes, every control can still be scrolled to.
    void fitsASmallScreen()
    {
        QPointer<DetailView> view = open(makeJob());
        const QRect screen = view->screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1366, 768));
        QVERIFY(screen.contains(view->frameGeometry()));
        view->resize(view->minimumSize());
        QVERIFY(view->width() < 800 && view->height() < 600);
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
    const QString config = dir.filePath("screen.json");
    if (!TestSupport::writeFile(config, R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
        "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"))
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestDetailView test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ui_detailview.moc"