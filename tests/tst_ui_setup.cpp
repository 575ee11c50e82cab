// The settings sheet: what it shows from the store and what "Ok" and "Cancel" leave there.
#include "TestSupport.h"

#include "model/Preferences.h"
#include "session/Session.h"
#include "ui/Setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QtTest>

namespace Key = Preferences::Key;

namespace {

const char *const Pickers[] = {"containerPicker",    "videoEncoderPicker",   "videoProfilePicker",
                               "videoPresetPicker",  "videoTunePicker",      "videoDebitPicker",
                               "audioEncoderPicker", "audioDebitPicker",     "audioSamplingPicker",
                               "formatFilePicker",   "existingOutputPicker", "videoRatePicker",
                               "vaapiDevicePicker",  "audioChannelsPicker"};

// The settings store as the program keeps it.
QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrix"),
                     QStringLiteral("Tavrix"));
}

// Every key the sheet writes, as "key=value", with "absent" for a key never written.
QStringList storedKeys()
{
    QStringList out;
    for (const Preferences::KeyInfo &info : Preferences::allKeys()) {
        if (QLatin1String(info.key) != QLatin1String(Key::defaultPath))
            out << QString::fromLatin1(info.key) + '=' + store().value(info.key, "absent").toString();
    }
    return out;
}

} // namespace

class TestSetup : public QObject
{
    Q_OBJECT

    QPointer<Setup> m_sheet;

    template<typename T> T *child(const char *name)
    {
        return m_sheet->findChild<T *>(QString::fromLatin1(name));
    }
    // What the sheet shows: the pickers' texts, the toggles, the two texts.
    QStringList shown()
    {
        QStringList out;
        for (const char *name : Pickers)
            out << child<QComboBox>(name)->currentText();
        for (const char *name :
             {"quicktimeToggle", "deInterlaceToggle", "autoCropToggle", "keepDateToggle", "hdrToSdrToggle"}) {
            const Qt::CheckState state = child<QCheckBox>(name)->checkState();
            out << (state == Qt::Checked ? "on" : state == Qt::PartiallyChecked ? "auto" : "off");
        }
        return out << child<QLineEdit>("otherParamsEdit")->text()
                   << child<QLineEdit>("subtitleLanguageEdit")->text()
                   << child<QLineEdit>("audioLanguagesEdit")->text()
                   << child<QLineEdit>("subtitleLanguagesEdit")->text();
    }

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }
    void cleanup() { delete m_sheet.data(); }

    // "Ok" without a change writes every key back as shown: absent keys become zero values (fresh
    // settings deinterlace interlaced sources only), and a figure not in its list is shown as
    // "Auto" and written as 0. The destination folder is not the sheet's key.
    // "Cancel", after changes, leaves the store as it was.
    void okWritesWhatIsShownCancelNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("stored"); // "key=value" as a hand-edited file has it, booleans as 1
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        QTest::newRow("empty store")
            << "Ok"
            << ""
            << "mp4,libx264,auto,auto,auto,Auto,aac,Auto,Auto,None,Rename,Bitrate,First render "
               "node,Stereo,off,auto,off,off,off,,,,"
            << "container=0,quicktime=false,autoCrop=false,deInterlace=false,videoEncoder=0,videoProfile=0,"
               "videoPreset=0,videoTune=0,videoDebit=0,audioEncoder=0,audioDebit=0,audioSampling=0,"
               "otherParams=,subtitleLanguage=,formatFile=0,existingOutput=0,simultaneousJobs=1,"
               "videoRate=0,videoQuality=23,vaapiDevice=,audioChannels=0,deInterlaceAuto=true,"
               "audioLanguages=,subtitleLanguages=,keepDate=false,hdrOutput=0,presetForNewFiles=,"
               "largerOutput=0,"
               "skipSameFormat=false,checkQuality=false,qualityTarget=9850";
        QTest::newRow("every key set, a figure unlisted")
            << "Ok"
            << "container=1,quicktime=1,autoCrop=1,deInterlace=1,videoEncoder=3,videoProfile=6,videoPreset=9,"
               "videoTune=8,videoDebit=1200,audioEncoder=2,audioDebit=384,audioSampling=48000,formatFile=2,"
               "existingOutput=2,otherParams=-movflags +faststart,subtitleLanguage=eng,defaultPath=/out,"
               "simultaneousJobs=99,videoRate=1,videoQuality=30,vaapiDevice=/dev/dri/"
               "renderD130,audioChannels=1,audioLanguages=eng "
               "fra,subtitleLanguages=fre,keepDate=1,hdrOutput=1,qualityTarget=9700,checkQuality=1"
            << "mkv,hevc_videotoolbox,high444,veryslow,ssim,Auto,copy,384,48000,{source}_{videoCodec}_{"
               "audioCodec},"
               "Overwrite,Quality,/dev/dri/renderD130,Keep,on,on,on,on,on,-movflags +faststart,eng,eng "
               "fra,fre"
            << "container=1,quicktime=true,autoCrop=true,deInterlace=true,videoEncoder=3,videoProfile=6,"
               "videoPreset=9,videoTune=8,videoDebit=0,audioEncoder=2,audioDebit=384,audioSampling=48000,"
               "otherParams=-movflags +faststart,subtitleLanguage=eng,formatFile=2,existingOutput=2,"
               "simultaneousJobs=" +
                   QString::number(QThread::idealThreadCount()) + // no more than the cores
                   ",videoRate=1,videoQuality=30,vaapiDevice=/dev/dri/renderD130,audioChannels=1,"
                   "deInterlaceAuto=false,audioLanguages=eng "
                   "fra,subtitleLanguages=fre,keepDate=true,hdrOutput=1,"
                   "presetForNewFiles=,largerOutput=0,skipSameFormat=false,checkQuality=true,qualityTarget="
                   "9700";
        QTest::newRow("Cancel") << "Cancel"
                                << "otherParams=-threads 2"
                                << ""
                                << "";
    }
    void okWritesWhatIsShownCancelNothing()
    {
        QFETCH(QString, how);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        for (const QString &entry : stored.split(',', Qt::SkipEmptyParts))
            store().setValue(entry.section('=', 0, 0), entry.section('=', 1));
        const QStringList before = storedKeys();
        m_sheet = new Setup;
        m_sheet->show();
        if (how == "Ok") {
            QCOMPARE(this->shown(), shown.split(','));
            child<QPushButton>("okButton")->click();
        } else {
            child<QLineEdit>("otherParamsEdit")->setText("-threads 8");
            child<QComboBox>("containerPicker")->setCurrentIndex(1);
            child<QCheckBox>("autoCropToggle")->setChecked(true);
            child<QPushButton>("cancelButton")->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_sheet.isNull());
        QCOMPARE(storedKeys(), how == "Ok" ? written.split(',') : before);
        QCOMPARE(Preferences::readText(Key::defaultPath).has_value(), stored.contains("defaultPath"));
    }

    // New files take the preset chosen here; the sheet's settings are saved as a preset of their own.
    void presetForNewFiles()
    {
        m_sheet = new Setup;
        m_sheet->show();
        auto *picker = child<QComboBox>("newFilesPresetPicker");
        QCOMPARE(picker->currentText(), QStringLiteral("Custom"));
        QVERIFY(child<QLabel>("presetForNewFilesNote")->isHidden());
        picker->setFocus();
        while (picker->currentText() != QStringLiteral("Phone — 720p H.264"))
            QTest::keyClick(picker, Qt::Key_Down);
        QVERIFY(child<QLabel>("presetForNewFilesNote")->isVisible());

        child<QComboBox>("videoEncoderPicker")->setCurrentIndex(indexOfCase(VideoEncoders::libsvtav1));
        child<QPushButton>("saveAsPresetButton")->click();
        auto *ask = m_sheet->findChild<QInputDialog *>("presetNameDialog");
        QVERIFY(ask);
        ask->setTextValue("  My AV1\n");
        ask->done(QDialog::Accepted);
        QCOMPARE(picker->currentText(), QStringLiteral("My AV1"));
        while (picker->currentText() != QStringLiteral("Phone — 720p H.264"))
            QTest::keyClick(picker, Qt::Key_Up);
        child<QPushButton>("okButton")->click();
        QCOMPARE(Preferences::readText(Key::presetForNewFiles), QStringLiteral("Phone — 720p H.264"));

        Session session;
        const JobSettings phone = session.newJobSettings();
        QCOMPARE(phone.preset, QStringLiteral("Phone — 720p H.264"));
        QCOMPARE(std::tuple(phone.width, phone.height, phone.fitWithin), std::tuple(1280, 720, true));
        const std::optional<Preset> mine = session.presets().find("My AV1");
        QVERIFY(mine && mine->usable());
        QCOMPARE(mine->settings.videoEncoder, VideoEncoders::libsvtav1);
        // A preset that is gone leaves new files the stored settings, and says so.
        QVERIFY(Preferences::writeText(Key::presetForNewFiles, "My AV1"));
        QString error;
        QVERIFY(session.presets().store().remove("My AV1", error));
        QString problem;
        QCOMPARE(session.newJobSettings(&problem).preset, QString());
        QVERIFY2(problem.contains("no longer exists"), qPrintable(problem));
    }
};

QTEST_MAIN(TestSetup)
#include "tst_ui_setup.moc"
