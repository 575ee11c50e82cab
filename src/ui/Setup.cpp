#include "ui/Setup.h"

#include "media/EncoderCatalog.h"
#include "model/Preferences.h"
#include "model/Vocabulary.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"
#include "ui/PresetDialogs.h"
#include "ui/TargetQualityBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int LabelWidth = 120;
constexpr int PickerWidth = 300;
constexpr int ToggleWidth = 100;
constexpr int ButtonWidth = 70;

namespace Key = Preferences::Key;

// Position of the stored figure among the entries; the current position when it is not listed.
void selectFigure(QComboBox *picker, int figure)
{
    const int found = picker->findText(QString::number(figure), Qt::MatchExactly);
    if (found >= 0)
        picker->setCurrentIndex(found);
}

void selectIndex(QComboBox *picker, int index)
{
    if (index >= 0 && index < picker->count())
        picker->setCurrentIndex(index);
}

int figureOf(const QComboBox *picker)
{
    return Lists::rateFigure(picker->currentText());
}

} // namespace

Setup::Setup(QWidget *parent, const EncoderCatalog *catalog, PresetLibrary presets, Panels *panels)
    : QDialog(parent), m_presets(std::move(presets)), m_panels(panels)
{
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("setup"));
    setWindowTitle(tr("Setup"));
    setMinimumSize(500, 400);

    auto *column = new QVBoxLayout(this);
    QList<QLabel *> labels;
    column->setAlignment(Qt::AlignTop | Qt::AlignLeading);
    const auto addRow = [&](const QString &label) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(8, 0, 8, 0);
        auto *text = new QLabel(label, this);
        text->setFixedWidth(LabelWidth);
        labels << text;
        text->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
        row->addWidget(text);
        column->addLayout(row);
        return row;
    };
    const auto addPicker = [&](QHBoxLayout *row, const QStringList &entries, const QString &name,
                               bool fixed = true) {
        auto *picker = new QComboBox(this);
        picker->setObjectName(name);
        picker->addItems(entries);
        if (fixed)
            picker->setFixedWidth(PickerWidth);
        row->addWidget(picker, fixed ? 0 : 1);
        return picker;
    };
    const auto addToggle = [&](QHBoxLayout *row, const QString &label, const QString &name) {
        row->addStretch(1);
        auto *toggle = new QCheckBox(label, this);
        toggle->setObjectName(name);
        toggle->setMinimumWidth(ToggleWidth);
        row->addWidget(toggle);
        return toggle;
    };

    QHBoxLayout *row = addRow(tr("Preset for new files"));
    buildPresetRows(column, row);

    row = addRow(tr("Container"));
    m_container = addPicker(row, Lists::containers(), QStringLiteral("containerPicker"));
    m_quicktime = addToggle(row, tr("Quicktime"), QStringLiteral("quicktimeToggle"));

    row = addRow(tr("Codec Video"));
    m_videoEncoder = addPicker(row, rawTexts<VideoEncoders>(), QStringLiteral("videoEncoderPicker"));

    row->addStretch(1);
    m_deInterlace = deinterlaceToggle(this);
    m_deInterlace->setMinimumWidth(ToggleWidth);
    row->addWidget(m_deInterlace);

    row = addRow(tr("Profile Video"));
    m_videoProfile = addPicker(row, rawTexts<VideoProfiles>(), QStringLiteral("videoProfilePicker"));
    m_autoCrop = addToggle(row, tr("Autocrop"), QStringLiteral("autoCropToggle"));

    row = addRow(tr("Preset Video"));
    m_videoPreset = addPicker(row, rawTexts<VideoPresets>(), QStringLiteral("videoPresetPicker"));
    m_hdrToSdr = addToggle(row, tr("Convert HDR to SDR"), QStringLiteral("hdrToSdrToggle"));
    m_hdrToSdr->setToolTip(hdrToSdrTip());

    row = addRow(tr("Tune Video"));
    m_videoTune = addPicker(row, rawTexts<VideoTunes>(), QStringLiteral("videoTunePicker"));
    row->addStretch(1);

    row = addRow(tr("Bitrate Video"));
    m_videoDebit = addPicker(row, Lists::videoDebits(), QStringLiteral("videoDebitPicker"));
    row->addStretch(1);

    row = addRow(tr("Rate Video"));
    m_videoRate = addPicker(row, rateChoices(), QStringLiteral("videoRatePicker"));
    m_videoQuality = qualityBox(this);
    row->addWidget(m_videoQuality);
    m_qualityTarget = new TargetQualityBox(this);
    row->addWidget(m_qualityTarget);
    row->addStretch(1);
    connect(m_videoRate, &QComboBox::currentIndexChanged, m_videoQuality,
            [this](int index) { showRate(index); });
    connect(m_videoEncoder, &QComboBox::currentIndexChanged, m_videoQuality,
            [this](int index) { fitQualityBox(m_videoQuality, caseAtOrFirst<VideoEncoders>(index)); });

    row = addRow(tr("VAAPI device"));
    m_vaapiDevice = addPicker(row, {tr("First render node")}, QStringLiteral("vaapiDevicePicker"));
    m_vaapiDevice->setItemData(0, QString());
    for (const QString &node : EncoderCatalog::renderNodes())
        m_vaapiDevice->addItem(node, node);
    m_vaapiDevice->setToolTip(tr("The graphics device that h264_vaapi and hevc_vaapi encode on"));
    row->addStretch(1);

    row = addRow(tr("Codec Audio"));
    m_audioEncoder = addPicker(row, rawTexts<AudioEncoders>(), QStringLiteral("audioEncoderPicker"));

    row->addStretch(1);

    row = addRow(tr("Bitrate Audio"));
    m_audioDebit = addPicker(row, Lists::audioDebits(), QStringLiteral("audioDebitPicker"));
    row->addStretch(1);

    row = addRow(tr("Sampling Audio"));
    m_audioSampling = addPicker(row, Lists::audioSamplings(), QStringLiteral("audioSamplingPicker"));
    row->addStretch(1);

    row = addRow(tr("Channels Audio"));
    m_audioChannels = addPicker(row, channelChoices(), QStringLiteral("audioChannelsPicker"));
    row->addStretch(1);

    // Languages as files tag them; any ISO 639 code or the English name.
    const auto languagesEdit = [this](const QString &name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setPlaceholderText(tr("e.g. eng, fra"));
        edit->setFixedWidth(160);
        return edit;
    };
    row = addRow(tr("Audio languages"));
    m_audioLanguages = languagesEdit(QStringLiteral("audioLanguagesEdit"));
    m_audioLanguages->setToolTip(tr("New jobs keep the audio tracks in these languages (the first track "
                                    "when none is); empty keeps the first track."));
    row->addWidget(m_audioLanguages);
    row->addStretch(1);

    row = addRow(tr("Subtitle languages"));
    m_subtitleLanguages = languagesEdit(QStringLiteral("subtitleLanguagesEdit"));
    m_subtitleLanguages->setToolTip(
        tr("New jobs keep the subtitle tracks in these languages; empty keeps every subtitle track."));
    row->addWidget(m_subtitleLanguages);
    m_keepDate = addToggle(row, tr("Keep the source's date"), QStringLiteral("keepDateToggle"));
    m_keepDate->setToolTip(tr("New jobs give the converted file the modification time of its source."));

    row = addRow(tr("Other params"));
    m_otherParams = new QLineEdit(this);
    m_otherParams->setObjectName(QStringLiteral("otherParamsEdit"));
    row->addWidget(m_otherParams, 1);

    row = addRow(tr("Subtitle language"));
    m_subtitleLanguage = new QLineEdit(this);
    m_subtitleLanguage->setObjectName(QStringLiteral("subtitleLanguageEdit"));
    m_subtitleLanguage->setFixedWidth(100);
    row->addWidget(m_subtitleLanguage);
    row->addStretch(1);

    row = addRow(tr("Format outfile"));
    m_formatFile = addPicker(row, Lists::nameTemplates(), QStringLiteral("formatFilePicker"), false);
    // The templates are written as they are; the first names none, in the user's language.
    m_formatFile->setItemText(0, tr("None"));

    // In the order of Preferences::ExistingOutput, whose index is stored.
    row = addRow(tr("If the output exists"));
    m_existingOutput = addPicker(row, {tr("Rename"), tr("Skip"), tr("Overwrite")},
                                 QStringLiteral("existingOutputPicker"), false);
    m_existingOutput->setItemData(0, tr("Write to the first free name: clip-1.mp4, clip-2.mp4…"),
                                  Qt::ToolTipRole);
    m_existingOutput->setItemData(1, tr("Leave the file as it is and do not convert the job"),
                                  Qt::ToolTipRole);
    m_existingOutput->setItemData(2, tr("Replace the file once the new one is complete"), Qt::ToolTipRole);

    row = addRow(tr("If the output is larger"));
    m_largerOutput =
        addPicker(row, {tr("Keep it"), tr("Keep the source only")}, QStringLiteral("largerOutputPicker"));
    m_largerOutput->setToolTip(tr("What becomes of a converted file larger than its source"));
    m_skipSameFormat =
        addToggle(row, tr("Skip files already in the format"), QStringLiteral("skipSameFormatToggle"));
    m_skipSameFormat->setToolTip(
        tr("A file whose video codec and container are already those of its job is not converted"));

    row = addRow(tr("Quality"));
    m_checkQuality =
        addToggle(row, tr("Check quality after converting"), QStringLiteral("checkQualityToggle"));
    m_checkQuality->setToolTip(tr("Each converted file is compared with its source (SSIM and PSNR, while "
                                  "the next file converts); its row says how close it came"));

    // Entry i runs i + 1 jobs at once; more than the cores would only share them.
    row = addRow(tr("Simultaneous jobs"));
    QStringList counts;
    for (int jobs = 1; jobs <= std::max(1, QThread::idealThreadCount()); ++jobs)
        counts << QString::number(jobs);
    m_simultaneousJobs = addPicker(row, counts, QStringLiteral("simultaneousJobsPicker"));
    m_simultaneousJobs->setToolTip(
        tr("How many files are converted at once; 1 converts them one after another"));
    row->addStretch(1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(tr("Ok"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setMinimumWidth(ButtonWidth);
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setMinimumWidth(ButtonWidth);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    column->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] {
        const QString error = save();
        if (error.isEmpty()) {
            accept();
            return;
        }
        // The sheet stays open with what the user chose, to try again once the file is fixed.
        auto *box =
            new QMessageBox(QMessageBox::Warning, tr("Settings not saved"), error, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Row labels share one width: 120 points, or what the longest one needs in the user's language.
    int labelWidth = LabelWidth;
    for (const QLabel *label : labels)
        labelWidth = std::max(labelWidth, label->sizeHint().width() + 4);
    for (QLabel *label : labels)
        label->setFixedWidth(labelWidth);
    // The toggles line up in one column.
    int toggleWidth = ToggleWidth;
    for (const QCheckBox *toggle : {m_quicktime, m_deInterlace, m_autoCrop, m_hdrToSdr})
        toggleWidth = std::max(toggleWidth, toggle->sizeHint().width());
    for (QCheckBox *toggle : {m_quicktime, m_deInterlace, m_autoCrop, m_hdrToSdr})
        toggle->setMinimumWidth(toggleWidth);

    load();
    markUnavailableEncoders(m_videoEncoder, catalog);
    markUnavailableEncoders(m_audioEncoder, catalog);
    if (catalog) {
        // Answers that arrive while the sheet is open grey their entries at once.
        connect(catalog, &EncoderCatalog::changed, this, [this, catalog] {
            markUnavailableEncoders(m_videoEncoder, catalog);
            markUnavailableEncoders(m_audioEncoder, catalog);
        });
    }
    resize(sizeHint().expandedTo(minimumSize()));
}

void Setup::load()
{
    selectIndex(m_container, Preferences::readInt(Key::container));
    selectIndex(m_videoEncoder, Preferences::readInt(Key::videoEncoder));
    selectIndex(m_videoProfile, Preferences::readInt(Key::videoProfile));
    selectIndex(m_videoPreset, Preferences::readInt(Key::videoPreset));
    selectIndex(m_videoTune, Preferences::readInt(Key::videoTune));
    selectIndex(m_audioEncoder, Preferences::readInt(Key::audioEncoder));
    selectIndex(m_formatFile, Preferences::readInt(Key::formatFile));
    selectIndex(m_existingOutput, int(Preferences::existingOutput()));
    selectIndex(m_simultaneousJobs, Preferences::simultaneousJobs() - 1);

    m_quicktime->setChecked(Preferences::readBool(Key::quicktime));
    switch (Preferences::deinterlacing()) {
    case Preferences::Deinterlacing::Off:
        m_deInterlace->setCheckState(Qt::Unchecked);
        break;
    case Preferences::Deinterlacing::On:
        m_deInterlace->setCheckState(Qt::Checked);
        break;
    case Preferences::Deinterlacing::Auto:
        m_deInterlace->setCheckState(Qt::PartiallyChecked);
        break;
    }
    m_autoCrop->setChecked(Preferences::readBool(Key::autoCrop));
    m_hdrToSdr->setChecked(Preferences::readInt(Key::hdrOutput) == indexOfCase(HdrOutput::Sdr));

    selectFigure(m_videoDebit, Preferences::readInt(Key::videoDebit));
    selectFigure(m_audioDebit, Preferences::readInt(Key::audioDebit));
    selectFigure(m_audioSampling, Preferences::readInt(Key::audioSampling));
    selectIndex(m_audioChannels, Preferences::readInt(Key::audioChannels));

    selectIndex(m_videoRate, Preferences::readInt(Key::videoRate));
    m_videoQuality->setValue(Preferences::videoQuality());
    m_qualityTarget->setValue(Preferences::readInt(Key::qualityTarget) > 0
                                  ? Preferences::readInt(Key::qualityTarget)
                                  : Lists::defaultQualityTarget);
    showRate(m_videoRate->currentIndex());
    // A stored node that is gone (another machine, a card removed) stays visible as it was chosen.
    const QString device = Preferences::readText(Key::vaapiDevice).value_or(QString());
    if (!device.isEmpty() && m_vaapiDevice->findData(device) < 0)
        m_vaapiDevice->addItem(device, device);
    m_vaapiDevice->setCurrentIndex(std::max(0, m_vaapiDevice->findData(device)));

    m_otherParams->setText(Preferences::readText(Key::otherParams).value_or(QString()));
    m_subtitleLanguage->setText(Preferences::readText(Key::subtitleLanguage).value_or(QString()));
    m_audioLanguages->setText(Preferences::readText(Key::audioLanguages).value_or(QString()));
    m_subtitleLanguages->setText(Preferences::readText(Key::subtitleLanguages).value_or(QString()));
    m_keepDate->setChecked(Preferences::readBool(Key::keepDate));
    selectIndex(m_largerOutput, Preferences::readInt(Key::largerOutput));
    m_skipSameFormat->setChecked(Preferences::readBool(Key::skipSameFormat));
    m_checkQuality->setChecked(Preferences::readBool(Key::checkQuality));
}

QString Setup::save() const
{
    // The writes after a refused one would be refused the same way: the first reason is enough.
    const std::initializer_list<std::function<Preferences::WriteResult()>> writes{
        [&] { return Preferences::writeInt(Key::container, m_container->currentIndex()); },
        [&] { return Preferences::writeBool(Key::quicktime, m_quicktime->isChecked()); },
        [&] { return Preferences::writeBool(Key::autoCrop, m_autoCrop->isChecked()); },
        [&] {
            const Qt::CheckState state = m_deInterlace->checkState();
            return Preferences::writeDeinterlacing(state == Qt::Checked ? Preferences::Deinterlacing::On
                                                   : state == Qt::PartiallyChecked
                                                       ? Preferences::Deinterlacing::Auto
                                                       : Preferences::Deinterlacing::Off);
        },
        [&] { return Preferences::writeInt(Key::videoEncoder, m_videoEncoder->currentIndex()); },
        [&] { return Preferences::writeInt(Key::videoProfile, m_videoProfile->currentIndex()); },
        [&] { return Preferences::writeInt(Key::videoPreset, m_videoPreset->currentIndex()); },
        [&] { return Preferences::writeInt(Key::videoTune, m_videoTune->currentIndex()); },
        [&] { return Preferences::writeInt(Key::videoDebit, figureOf(m_videoDebit)); },
        [&] { return Preferences::writeInt(Key::audioEncoder, m_audioEncoder->currentIndex()); },
        [&] { return Preferences::writeInt(Key::audioDebit, figureOf(m_audioDebit)); },
        [&] { return Preferences::writeInt(Key::audioSampling, figureOf(m_audioSampling)); },
        [&] { return Preferences::writeInt(Key::audioChannels, m_audioChannels->currentIndex()); },
        [&] { return Preferences::writeText(Key::otherParams, m_otherParams->text()); },
        [&] { return Preferences::writeText(Key::subtitleLanguage, m_subtitleLanguage->text()); },
        [&] { return Preferences::writeInt(Key::formatFile, m_formatFile->currentIndex()); },
        [&] { return Preferences::writeInt(Key::existingOutput, m_existingOutput->currentIndex()); },
        [&] { return Preferences::writeInt(Key::simultaneousJobs, m_simultaneousJobs->currentIndex() + 1); },
        [&] { return Preferences::writeInt(Key::videoRate, m_videoRate->currentIndex()); },
        [&] { return Preferences::writeInt(Key::videoQuality, m_videoQuality->value()); },
        [&] { return Preferences::writeInt(Key::qualityTarget, m_qualityTarget->value()); },
        [&] { return Preferences::writeText(Key::vaapiDevice, m_vaapiDevice->currentData().toString()); },
        [&] { return Preferences::writeText(Key::audioLanguages, m_audioLanguages->text().trimmed()); },
        [&] { return Preferences::writeText(Key::subtitleLanguages, m_subtitleLanguages->text().trimmed()); },
        [&] { return Preferences::writeBool(Key::keepDate, m_keepDate->isChecked()); },
        [&] {
            return Preferences::writeInt(
                Key::hdrOutput, indexOfCase(m_hdrToSdr->isChecked() ? HdrOutput::Sdr : HdrOutput::Keep));
        },
        [&] { return Preferences::writeInt(Key::largerOutput, m_largerOutput->currentIndex()); },
        [&] { return Preferences::writeBool(Key::skipSameFormat, m_skipSameFormat->isChecked()); },
        [&] { return Preferences::writeBool(Key::checkQuality, m_checkQuality->isChecked()); },
    };
    if (const Preferences::WriteResult written =
            Preferences::writeText(Key::presetForNewFiles, chosenPreset());
        !written)
        return written.error;
    for (const auto &write : writes) {
        if (const Preferences::WriteResult written = write(); !written)
            return written.error;
    }
    return {};
}

void Setup::buildPresetRows(QVBoxLayout *column, QHBoxLayout *row)
{
    m_newFilesPreset = new QComboBox(this);
    m_newFilesPreset->setObjectName(QStringLiteral("newFilesPresetPicker"));
    m_newFilesPreset->setFixedWidth(PickerWidth);
    row->addWidget(m_newFilesPreset);
    row->addStretch(1);
    auto *save = new QPushButton(tr("Save as Preset…"), this);
    save->setObjectName(QStringLiteral("saveAsPresetButton"));
    save->setAutoDefault(false);
    row->addWidget(save);
    auto *manage = new QToolButton(this);
    manage->setObjectName(QStringLiteral("managePresetsButton"));
    manage->setText(tr("Presets"));
    manage->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(manage);
    const auto action = [&](const QString &text, const QString &name, void (Setup::*slot)()) {
        QAction *a = menu->addAction(text, this, slot);
        a->setObjectName(name);
        return a;
    };
    QAction *rename = action(tr("Rename…"), QStringLiteral("renamePresetAction"), &Setup::renamePreset);
    QAction *remove = action(tr("Delete"), QStringLiteral("deletePresetAction"), &Setup::deletePreset);
    QAction *exportIt = action(tr("Export…"), QStringLiteral("exportPresetAction"), &Setup::exportPreset);
    action(tr("Import…"), QStringLiteral("importPresetAction"), &Setup::importPreset);
    manage->setMenu(menu);
    row->addWidget(manage);

    m_presetNote = new QLabel(this);
    m_presetNote->setObjectName(QStringLiteral("presetForNewFilesNote"));
    m_presetNote->setWordWrap(true);
    m_presetNote->setIndent(LabelWidth + 14);
    column->addWidget(m_presetNote);

    // Rename and Delete are for the user's own presets; Export for any but Custom.
    const auto follow = [this, rename, remove, exportIt] {
        const QString name = chosenPreset();
        const bool builtIn = m_presets.builtInNames().contains(name);
        rename->setEnabled(!name.isEmpty() && !builtIn);
        remove->setEnabled(!name.isEmpty() && !builtIn);
        exportIt->setEnabled(!name.isEmpty());
        m_presetNote->setText(name.isEmpty()
                                  ? QString()
                                  : tr("New files take the settings of this preset; those below are kept for "
                                       "“Custom”."));
        m_presetNote->setVisible(!name.isEmpty());
    };
    connect(m_newFilesPreset, &QComboBox::currentIndexChanged, this, follow);
    connect(save, &QPushButton::clicked, this, [this] {
        PresetDialogs::saveAs(this, m_presets, shownSettings(),
                              [this](const QString &name) { refillPresets(name); });
    });
    refillPresets(Preferences::readText(Key::presetForNewFiles).value_or(QString()));
    follow();
}

void Setup::refillPresets(const QString &current)
{
    PresetDialogs::fillPicker(m_newFilesPreset, m_presets.all(), current);
    // The picker was filled without a word: tell the rows that follow it.
    emit m_newFilesPreset->currentIndexChanged(m_newFilesPreset->currentIndex());
}

QString Setup::chosenPreset() const
{
    return m_newFilesPreset ? m_newFilesPreset->currentData().toString() : QString();
}

void Setup::tell(const QString &title, const QString &text, const QString &name)
{
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box->setObjectName(name);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Setup::renamePreset()
{
    const QString from = chosenPreset();
    auto *ask = new QInputDialog(this);
    ask->setObjectName(QStringLiteral("presetNameDialog"));
    ask->setWindowTitle(tr("Rename Preset"));
    ask->setLabelText(tr("New name of “%1”:").arg(from));
    ask->setTextValue(from);
    ask->setWindowModality(Qt::WindowModal);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QInputDialog::textValueSelected, this, [this, from](const QString &to) {
        QString error;
        if (!m_presets.store().rename(from, to, m_presets.builtInNames(), error))
            return tell(tr("Preset not renamed"), error, QStringLiteral("presetNotRenamed"));
        refillPresets(cleanPresetName(to));
    });
    ask->open();
}

void Setup::deletePreset()
{
    const QString name = chosenPreset();
    auto *box =
        new QMessageBox(QMessageBox::Question, tr("Delete Preset"),
                        tr("Delete the preset “%1”? Jobs made with it keep their settings.").arg(name),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("deletePresetQuestion"));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box, name](int) {
        if (box->clickedButton() != box->button(QMessageBox::Ok))
            return;
        QString error;
        if (!m_presets.store().remove(name, error))
            return tell(tr("Preset not deleted"), error, QStringLiteral("presetNotDeleted"));
        refillPresets({});
    });
    box->open();
}

void Setup::exportPreset()
{
    const std::optional<Preset> preset = m_presets.find(chosenPreset());
    if (!preset)
        return;
    Panels system;
    Panels &panels = m_panels ? *m_panels : system;
    const QString path = panels.saveFile(this, tr("Export Preset"), preset->name + QStringLiteral(".json"),
                                         QStringLiteral("json"));
    if (path.isEmpty())
        return;
    // The save panel has asked before replacing a file.
    QString error;
    if (!PresetStore::exportTo(*preset, path, true, error))
        tell(tr("Preset not exported"), error, QStringLiteral("presetNotExported"));
}

void Setup::importPreset()
{
    Panels system;
    Panels &panels = m_panels ? *m_panels : system;
    const QString path = panels.openFile(this, tr("Import Preset"), {QStringLiteral("json")});
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<Preset> preset = m_presets.store().importFile(path, m_presets.builtInNames(), error);
    if (!preset)
        return tell(tr("Preset not imported"), error, QStringLiteral("presetNotImported"));
    refillPresets(m_newFilesPreset->currentData().toString());
    QString text = tr("Imported as “%1”.").arg(preset->name);
    if (!preset->settings.otherParam.trimmed().isEmpty())
        text += QLatin1Char('\n') +
                tr("It adds these ffmpeg parameters to every job: %1").arg(preset->settings.otherParam);
    tell(tr("Preset imported"), text, QStringLiteral("presetImported"));
}

void Setup::showRate(int rate)
{
    m_videoQuality->setEnabled(rate == int(VideoRate::Quality));
    m_videoQuality->setVisible(rate != int(VideoRate::Target));
    m_qualityTarget->setVisible(rate == int(VideoRate::Target));
}

JobSettings Setup::shownSettings() const
{
    JobSettings s;
    s.container = m_container->currentIndex();
    s.isQuicktime = m_quicktime->isChecked();
    s.autoCrop = m_autoCrop->isChecked();
    s.deInterlace = m_deInterlace->checkState() == Qt::Checked;
    s.deInterlaceAuto = m_deInterlace->checkState() == Qt::PartiallyChecked;
    s.videoEncoder = caseAtOrFirst<VideoEncoders>(m_videoEncoder->currentIndex());
    s.videoProfile = caseAtOrFirst<VideoProfiles>(m_videoProfile->currentIndex());
    s.videoPreset = caseAtOrFirst<VideoPresets>(m_videoPreset->currentIndex());
    s.videoTune = caseAtOrFirst<VideoTunes>(m_videoTune->currentIndex());
    s.videoDebit = figureOf(m_videoDebit);
    s.videoRate = caseAtOrFirst<VideoRate>(m_videoRate->currentIndex());
    s.videoQuality = m_videoQuality->value();
    s.qualityTarget = m_qualityTarget->value();
    s.audioEncoder = caseAtOrFirst<AudioEncoders>(m_audioEncoder->currentIndex());
    s.audioDebit = figureOf(m_audioDebit);
    s.audioSampling = figureOf(m_audioSampling);
    s.audioChannels = caseAtOrFirst<AudioChannels>(m_audioChannels->currentIndex());
    s.hdrOutput = m_hdrToSdr->isChecked() ? HdrOutput::Sdr : HdrOutput::Keep;
    s.subtitleLanguage = m_subtitleLanguage->text();
    s.audioLanguages = m_audioLanguages->text().trimmed();
    s.subtitleLanguages = m_subtitleLanguages->text().trimmed();
    s.keepDate = m_keepDate->isChecked();
    s.nameTemplate = m_formatFile->currentIndex();
    return s;
}
