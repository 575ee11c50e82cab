#pragma once

#include "store/PresetLibrary.h"

#include <QDialog>

class EncoderCatalog;
class Panels;
class QLabel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class TargetQualityBox;

// The settings sheet: the defaults that newly imported jobs copy, written to the store on "Ok".
//
// It deletes itself when closed, so open it with `new Setup(parent)->open()`. Jobs that exist already
// keep their settings.
class Setup : public QDialog
{
    Q_OBJECT
public:
    // `catalog` greys the encoders that cannot be used here; without one every encoder looks usable.
    // `presets` lists the presets new files may take; `panels` opens the files presets are exported to
    // and imported from (without one, the system's).
    explicit Setup(QWidget *parent = nullptr, const EncoderCatalog *catalog = nullptr,
                   PresetLibrary presets = PresetLibrary(), Panels *panels = nullptr);

private:
    // Only the figure of the rate chosen can be changed; a target replaces the quality figure.
    void showRate(int rate);
    void load();
    QString save() const; // empty when every default was stored, else why not
    // The settings as the sheet shows them, for a preset made of them.
    JobSettings shownSettings() const;
    void buildPresetRows(class QVBoxLayout *column, class QHBoxLayout *row);
    void refillPresets(const QString &current);
    QString chosenPreset() const;
    void renamePreset();
    void deletePreset();
    void exportPreset();
    void importPreset();
    void tell(const QString &title, const QString &text, const QString &name);

    PresetLibrary m_presets;
    Panels *m_panels = nullptr;
    QComboBox *m_newFilesPreset = nullptr;
    QLabel *m_presetNote = nullptr;

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
    TargetQualityBox *m_qualityTarget = nullptr;
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
    QComboBox *m_largerOutput = nullptr;
    QCheckBox *m_skipSameFormat = nullptr;
    QCheckBox *m_checkQuality = nullptr;
};
