#pragma once

#include <QDialog>

class EncoderCatalog;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// The settings sheet: the defaults that newly imported jobs copy, written to the store on "Ok".
//
// It deletes itself when closed, so open it with `new Setup(parent)->open()`. Jobs that exist already
// keep their settings.
class Setup : public QDialog
{
    Q_OBJECT
public:
    // `catalog` greys the encoders that cannot be used here; without one every encoder looks usable.
    explicit Setup(QWidget *parent = nullptr, const EncoderCatalog *catalog = nullptr);

private:
    void load();
    QString save() const; // empty when every default was stored, else why not

    QComboBox *m_container = nullptr;
    QComboBox *m_videoEncoder = nullptr;
    QComboBox *m_videoProfile = nullptr;
    QComboBox *m_videoPreset = nullptr;
    QComboBox *m_videoTune = nullptr;
    QComboBox *m_videoDebit = nullptr;
    QComboBox *m_audioEncoder = nullptr;
    QComboBox *m_audioDebit = nullptr;
    QComboBox *m_audioSampling = nullptr;
    QComboBox *m_audioChannels = nullptr;
    QComboBox *m_formatFile = nullptr;
    QComboBox *m_existingOutput = nullptr;
    QComboBox *m_simultaneousJobs = nullptr;
    QComboBox *m_videoRate = nullptr;
    QSpinBox *m_videoQuality = nullptr;
    QComboBox *m_vaapiDevice = nullptr;
    QCheckBox *m_quicktime = nullptr;
    QCheckBox *m_deInterlace = nullptr;
    QCheckBox *m_autoCrop = nullptr;
    QCheckBox *m_hdrToSdr = nullptr;
    QLineEdit *m_otherParams = nullptr;
    QLineEdit *m_subtitleLanguage = nullptr;
    QLineEdit *m_audioLanguages = nullptr;
    QLineEdit *m_subtitleLanguages = nullptr;
    QCheckBox *m_keepDate = nullptr;
};
