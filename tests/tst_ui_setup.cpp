// The settings sheet: what it shows from the store and what "Ok" and "Cancel" leave there.
#include "TestSupport.h"

#include "model/Preferences.h"
#include "tools/EncoderCatalog.h"
#include "ui/Setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace Key = Preferences::Key;

namespace {

const char *const Pickers[] = {"containerPicker",    "videoEncoderPicker",  "videoProfilePicker",
                               "videoPresetPicker",  "videoTunePicker",     "videoDebitPicker",
                               "audioEncoderPicker", "audioDebitPicker",    "audioSamplingPicker",
                               "formatFilePicker",   "existingOutputPicker"};
const char *const Toggles[] = {"quicktimeToggle", "deInterlaceToggle", "autoCropToggle"};

// Every key the sheet writes, as "key=value", with "absent" for a key never written.
QStringList storedKeys()
{
    QStringList out;
    for (const Preferences::KeyInfo &info : Preferences::allKeys()) {
        if (QLatin1String(info.key) == QLatin1String(Key::defaultPath))
            continue;
        QString value = QStringLiteral("absent");
        if (Preferences::contains(info.key)) {
            switch (info.kind) {
            case Preferences::Kind::Integer:
                value = QString::number(Preferences::readInt(info.key));
                break;
            case Preferences::Kind::Boolean:
                value = Preferences::readBool(info.key) ? "true" : "false";
                break;
            case Preferences::Kind::Text:
                value = '"' + Preferences::readText(info.key).value_or("") + '"';
                break;
            }
        }
        out << QString::fromLatin1(info.key) + '=' + value;
    }
    return out;
}

} // namespace

class TestSetup : public QObject
{
    Q_OBJECT

    QPointer<Setup> m_sheet;

    Setup *open()
    {
        m_sheet = new Setup;
        m_sheet->show();
        return m_sheet;
    }
    template<typename T> T *child(const char *name)
    {
        return m_sheet->findChild<T *>(QString::fromLatin1(name));
    }
    QString shown(const char *picker)
    {
        const QComboBox *found = child<QComboBox>(picker);
        return found ? found->currentText() : QStringLiteral("(no %1)").arg(QLatin1String(picker));
    }
    void press(const char *button)
    {
        child<QPushButton>(button)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_sheet.isNull());
    }

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }
    void cleanup() { delete m_sheet.data(); }

    void anEmptyStoreShowsFirstEntriesAndOkWritesEveryKey()
    {
        open();
        for (const char *name : Pickers)
            QVERIFY2(child<QComboBox>(name) && child<QComboBox>(name)->currentIndex() == 0, name);
        // The false read from the store wins over the sheet's own initial "on" for deinterlacing.
        for (const char *name : Toggles)
            QVERIFY2(!child<QCheckBox>(name)->isChecked(), name);
        QCOMPARE(child<QLineEdit>("otherParamsEdit")->text(), QString());
        QCOMPARE(child<QLineEdit>("subtitleLanguageEdit")->text(), QString());
        press("okButton"); // every key is written, even unchanged: "Auto" entries as 0
        QCOMPARE(storedKeys(),
                 (QStringList{"container=0", "quicktime=false", "autoCrop=false", "deInterlace=false",
                              "videoEncoder=0", "videoProfile=0", "videoPreset=0", "videoTune=0",
                              "videoDebit=0", "audioEncoder=0", "audioDebit=0", "audioSampling=0",
                              "otherParams=\"\"", "subtitleLanguage=\"\"", "formatFile=0", "existingOutput=0",
                              "videoRate=0", "videoQuality=23", "vaapiDevice=\"\""}));
        QVERIFY(!Preferences::contains(Key::defaultPath));
    }

    void storedValuesRoundTrip()
    {
        Preferences::writeInt(Key::container, 1);
        Preferences::writeBool(Key::quicktime, true);
        Preferences::writeBool(Key::autoCrop, true);
        Preferences::writeBool(Key::deInterlace, true);
        Preferences::writeInt(Key::videoEncoder, 3);
        Preferences::writeInt(Key::videoProfile, 6);
        Preferences::writeInt(Key::videoPreset, 9);
        Preferences::writeInt(Key::videoTune, 8);
        Preferences::writeInt(Key::videoDebit, 10000);
        Preferences::writeInt(Key::audioEncoder, 2);
        Preferences::writeInt(Key::audioDebit, 384);
        Preferences::writeInt(Key::audioSampling, 48000);
        Preferences::writeText(Key::otherParams, "-movflags +faststart");
        Preferences::writeText(Key::subtitleLanguage, "eng");
        Preferences::writeInt(Key::formatFile, 2);
        Preferences::writeText(Key::defaultPath, "/out");
        Preferences::writeInt(Key::existingOutput, 2);
        Preferences::writeInt(Key::videoRate, 1);
        Preferences::writeInt(Key::videoQuality, 30);
        Preferences::writeText(Key::vaapiDevice, "/dev/dri/renderD130"); // kept even where it is missing
        const QStringList before = storedKeys();

        open();
        QStringList texts;
        for (const char *name : Pickers)
            texts << shown(name);
        QCOMPARE(texts,
                 (QStringList{"mkv", "hevc_videotoolbox", "high444", "veryslow", "ssim", "10000", "copy",
                              "384", "48000", "{source}_{videoCodec}_{audioCodec}", "Overwrite"}));
        for (const char *name : Toggles)
            QVERIFY2(child<QCheckBox>(name)->isChecked(), name);
        QCOMPARE(child<QLineEdit>("otherParamsEdit")->text(), "-movflags +faststart");
        QCOMPARE(child<QLineEdit>("subtitleLanguageEdit")->text(), "eng");

        press("okButton");
        QCOMPARE(storedKeys(), before);
        QCOMPARE(Preferences::readText(Key::defaultPath).value_or(""), "/out"); // not the sheet's key
    }

    void figuresShowTheirListEntry_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("picker");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("written");
        QTest::newRow("video 1600") << Key::videoDebit << "videoDebitPicker" << 1600 << "1600" << 1600;
        QTest::newRow("video 1200 unlisted") << Key::videoDebit << "videoDebitPicker" << 1200 << "Auto" << 0;
        QTest::newRow("audio 1200 unlisted") << Key::audioDebit << "audioDebitPicker" << 1200 << "Auto" << 0;
        QTest::newRow("sampling 22050 unlisted")
            << Key::audioSampling << "audioSamplingPicker" << 22050 << "Auto" << 0;
    }
    void figuresShowTheirListEntry()
    {
        QFETCH(QString, key);
        QFETCH(QString, picker);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, written);
        const QByteArray k = key.toLatin1();
        Preferences::writeInt(k.constData(), stored);
        open();
        QCOMPARE(this->shown(picker.toLatin1().constData()), shown);
        press("okButton");
        QCOMPARE(Preferences::readInt(k.constData()), written);
    }

    void cancelWritesNothing_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelWritesNothing()
    {
        QFETCH(bool, byEscape);
        Preferences::writeText(Key::otherParams, "-threads 2");
        const QStringList before = storedKeys();
        open();
        child<QLineEdit>("otherParamsEdit")->setText("-threads 8");
        child<QComboBox>("containerPicker")->setCurrentIndex(1);
        child<QComboBox>("videoTunePicker")->setCurrentIndex(3);
        child<QCheckBox>("autoCropToggle")->setChecked(true);
        if (byEscape)
            QTest::keyClick(m_sheet, Qt::Key_Escape);
        else
            child<QPushButton>("cancelButton")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_sheet.isNull());
        QCOMPARE(storedKeys(), before);
    }

    void greysEncodersThatCannotBeUsedWithTheReason()
    {
        EncoderCatalog catalog{QString()};
        catalog.setResult({"h264_nvenc", false, "Cannot load libcuda.so.1"});
        catalog.setResult({"hevc_videotoolbox", false, "Unknown encoder 'hevc_videotoolbox'"});
        catalog.setResult({"libmp3lame", false, "Unknown encoder 'libmp3lame'"});
        m_sheet = new Setup(nullptr, &catalog);
        m_sheet->show();
        auto *video = child<QComboBox>("videoEncoderPicker");
        QCOMPARE(video->count(), 10); // the positions are stored data: nothing is left out
        QVERIFY(video->itemData(0, Qt::ToolTipRole).toString().isEmpty());
        QCOMPARE(video->itemData(6, Qt::ToolTipRole).toString(),
                 "h264_nvenc cannot be used: Cannot load libcuda.so.1");
        const auto *rows = qobject_cast<QListView *>(video->view());
        QVERIFY(rows->isRowHidden(3) && !rows->isRowHidden(6)); // Apple's encoders only where they work
        video->setCurrentIndex(6);
        QVERIFY(video->toolTip().contains("libcuda.so.1"));
        auto *audio = child<QComboBox>("audioEncoderPicker");
        QVERIFY(audio->itemData(1, Qt::ToolTipRole).toString().contains("Unknown encoder 'libmp3lame'"));
        QVERIFY(audio->itemData(2, Qt::ToolTipRole).toString().isEmpty());
        press("okButton");
        QCOMPARE(Preferences::readInt(Key::videoEncoder), 6); // still the stored position
    }
};

QTEST_MAIN(TestSetup)
#include "tst_ui_setup.moc"
