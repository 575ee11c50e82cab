#include "ui/EditorVideoRows.h"

#include "model/MediaVideo.h"
#include "rules/CommandLine.h"
#include "rules/HdrSignal.h"
#include "rules/JobRules.h"
#include "ui/EditorCropRow.h"
#include "ui/Pickers.h"
#include "ui/TargetQualityBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace EditorRows;

EditorVideoRows::EditorVideoRows(MediaVideo &draft, Session &session, QVBoxLayout *column, QWidget *content)
    : EditorPart(draft, content)
{
    column->addWidget(groupHeader(tr("Video"), content));
    QHBoxLayout *row = addRow(column, tr("Tracks"), content);
    m_tracks = trackPicker(m_draft.videoTracks, QStringLiteral("videoTrackPicker"), content);
    row->addWidget(m_tracks, 1);
    // An empty picker (no tracks) leaves the job's track as it is.
    connect(m_tracks, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_draft.videoTrack = index;
        emit edited();
    });

    row = addRow(column, tr("Codec"), content);
    m_codec = segmentedPicker(rawTexts<VideoEncoders>(), QStringLiteral("videoCodecPicker"), content);
    row->addWidget(m_codec);
    row->addStretch(1);
    m_copyNote = addNote(column, QStringLiteral("copyNote"), content);
    m_copyNote->setText(
        tr("Passthrough: the video is copied as it is; rate, size, deinterlacing, crop, preset, "
           "profile and tune do not apply."));

    row = addRow(column, tr("Rate"), content);
    m_rate = new QComboBox(content);
    m_rate->setObjectName(QStringLiteral("videoRatePicker"));
    m_rate->addItems(rateChoices());
    row->addWidget(m_rate);
    m_debit = listPicker(Lists::videoDebits(), QStringLiteral("videoDebitPicker"), content);
    row->addWidget(m_debit);
    m_quality = qualityBox(content);
    row->addWidget(m_quality);
    m_target = new TargetQualityBox(content);
    row->addWidget(m_target);
    row->addStretch(1);
    // Only a high dynamic range source has anything to convert.
    m_hdrToSdr = new QCheckBox(tr("Convert HDR to SDR"), content);
    m_hdrToSdr->setObjectName(QStringLiteral("hdrToSdrToggle"));
    m_hdrToSdr->setToolTip(hdrToSdrTip());
    m_hdrToSdr->setMinimumWidth(LabelWidth);
    m_hdrToSdr->setVisible(m_draft.hdr != HdrKind::None);
    row->addWidget(m_hdrToSdr);

    row = addRow(column, tr("Size"), content);
    row->addWidget(new QLabel(tr("Width"), content));
    m_width = listPicker(Lists::widths(), QStringLiteral("widthPicker"), content);
    row->addWidget(m_width);
    row->addSpacing(8);
    row->addWidget(new QLabel(tr("Height"), content));
    m_height = listPicker(Lists::heights(), QStringLiteral("heightPicker"), content);
    row->addWidget(m_height);
    row->addSpacing(8);
    m_fitWithin = new QCheckBox(tr("At most"), content);
    m_fitWithin->setObjectName(QStringLiteral("fitWithinToggle"));
    m_fitWithin->setToolTip(tr("The width and height are the most the picture may measure: a larger one is "
                               "made smaller with its shape kept, a smaller one is never enlarged."));
    row->addWidget(m_fitWithin);
    row->addStretch(1);
    m_deInterlace = deinterlaceToggle(content);
    m_deInterlace->setMinimumWidth(LabelWidth);
    row->addWidget(m_deInterlace);

    m_crop = new EditorCropRow(m_draft, session, column, content);
    connect(m_crop, &EditorPart::edited, this, &EditorPart::edited);

    m_preset =
        addSegmentedRow(column, tr("Preset"), rawTexts<VideoPresets>(), QStringLiteral("presetPicker"));
    m_profile =
        addSegmentedRow(column, tr("Profile"), rawTexts<VideoProfiles>(), QStringLiteral("profilePicker"));
    m_tune = addSegmentedRow(column, tr("Tune"), rawTexts<VideoTunes>(), QStringLiteral("tunePicker"));

    // Each row writes its value into the draft.
    const auto write = [this](auto set) {
        return [this, set](auto value) {
            set(value);
            emit edited();
        };
    };
    connect(m_codec, &SegmentedPicker::currentIndexChanged, this, write([this](int index) {
                m_draft.videoEncoder = caseAtOrFirst<VideoEncoders>(index);
                // The quality box takes the encoder's scale, and perhaps its default.
                fitQualityBox(m_quality, m_draft.videoEncoder);
            }));
    connect(m_hdrToSdr, &QCheckBox::toggled, this,
            write([this](bool checked) { m_draft.hdrOutput = checked ? HdrOutput::Sdr : HdrOutput::Keep; }));
    connect(m_rate, &QComboBox::currentIndexChanged, this,
            write([this](int index) { m_draft.videoRate = caseAtOrFirst<VideoRate>(index); }));
    connect(m_debit, &QComboBox::currentIndexChanged, this, write([this](int index) {
                m_draft.videoDebit = Lists::rateFigure(Lists::videoDebits().at(std::max(0, index)));
            }));
    connect(m_quality, &QSpinBox::valueChanged, this,
            write([this](int value) { m_draft.videoQuality = value; }));
    connect(m_target, &TargetQualityBox::valueChanged, this,
            write([this](int value) { m_draft.qualityTarget = value; }));
    connect(m_width, &QComboBox::currentIndexChanged, this, write([this](int index) {
                m_draft.width = Lists::sizeFigure(Lists::widths().at(std::max(0, index)));
            }));
    connect(m_height, &QComboBox::currentIndexChanged, this, write([this](int index) {
                m_draft.height = Lists::sizeFigure(Lists::heights().at(std::max(0, index)));
            }));
    connect(m_fitWithin, &QCheckBox::toggled, this,
            write([this](bool checked) { m_draft.fitWithin = checked; }));
    connect(m_deInterlace, &QCheckBox::stateChanged, this, write([this](int state) {
                m_draft.deInterlace = state == Qt::Checked;
                m_draft.deInterlaceAuto = state == Qt::PartiallyChecked;
            }));
    connect(m_preset, &SegmentedPicker::currentIndexChanged, this,
            write([this](int index) { m_draft.videoPreset = caseAtOrFirst<VideoPresets>(index); }));
    connect(m_profile, &SegmentedPicker::currentIndexChanged, this,
            write([this](int index) { m_draft.videoProfile = caseAtOrFirst<VideoProfiles>(index); }));
    connect(m_tune, &SegmentedPicker::currentIndexChanged, this,
            write([this](int index) { m_draft.videoTune = caseAtOrFirst<VideoTunes>(index); }));
}

SegmentedPicker *EditorVideoRows::addSegmentedRow(QVBoxLayout *column, const QString &label,
                                                  const QStringList &entries, const QString &name)
{
    QHBoxLayout *row = addRow(column, label, m_content);
    SegmentedPicker *picker = segmentedPicker(entries, name, m_content);
    row->addWidget(picker);
    row->addStretch(1);
    return picker;
}

void EditorVideoRows::load()
{
    const MediaVideo &job = m_draft;
    if (job.videoTrack >= 0 && job.videoTrack < m_tracks->count())
        m_tracks->setCurrentIndex(job.videoTrack);
    m_codec->setCurrentIndex(indexOfCase(job.videoEncoder));
    fitQualityBox(m_quality, job.videoEncoder);
    m_quality->setValue(job.videoQuality);
    m_target->setValue(job.qualityTarget);
    m_debit->setCurrentIndex(figureIndex(Lists::videoDebits(), job.videoDebit));
    m_rate->setCurrentIndex(indexOfCase(job.videoRate));
    m_width->setCurrentIndex(figureIndex(Lists::widths(), job.width));
    m_height->setCurrentIndex(figureIndex(Lists::heights(), job.height));
    m_fitWithin->setChecked(job.fitWithin);
    m_deInterlace->setCheckState(job.deInterlace       ? Qt::Checked
                                 : job.deInterlaceAuto ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
    m_draft.deInterlaceAuto = !job.deInterlace && job.deInterlaceAuto;
    // A figure the lists do not hold reads as the entry shown ("Auto"), as the box's range bounds the
    // quality: the draft holds what the rows show.
    m_draft.videoQuality = m_quality->value();
    m_draft.qualityTarget = m_target->value();
    m_draft.videoDebit = Lists::rateFigure(Lists::videoDebits().at(pickerIndex(m_debit)));
    m_draft.width = Lists::sizeFigure(Lists::widths().at(pickerIndex(m_width)));
    m_draft.height = Lists::sizeFigure(Lists::heights().at(pickerIndex(m_height)));
    m_crop->load();
    m_preset->setCurrentIndex(indexOfCase(job.videoPreset));
    m_profile->setCurrentIndex(indexOfCase(job.videoProfile));
    m_tune->setCurrentIndex(indexOfCase(job.videoTune));
}

void EditorVideoRows::refresh()
{
    const VideoEncoders encoder = m_draft.videoEncoder;
    const bool copy = encoder == VideoEncoders::copy;
    m_copyNote->setVisible(copy);
    // Only the profiles and tunes the encoder takes are offered; one it does not take reads as Auto.
    for (int i = 1; i < m_profile->count(); ++i)
        m_profile->setEntryShown(i, !profileWord(encoder, VideoProfiles(i)).isEmpty());
    if (profileWord(encoder, m_draft.videoProfile).isEmpty())
        m_draft.videoProfile = VideoProfiles::Auto;
    for (int i = 1; i < m_tune->count(); ++i)
        m_tune->setEntryShown(i, takesTune(encoder, VideoTunes(i)));
    if (!takesTune(encoder, m_draft.videoTune))
        m_draft.videoTune = VideoTunes::Auto;
    {
        const QSignalBlocker profile(m_profile), tune(m_tune);
        m_profile->setCurrentIndex(indexOfCase(m_draft.videoProfile));
        m_tune->setCurrentIndex(indexOfCase(m_draft.videoTune));
    }
    for (QWidget *row : std::initializer_list<QWidget *>{m_rate, m_width, m_height, m_fitWithin,
                                                         m_deInterlace, m_preset, m_profile, m_tune})
        row->setEnabled(!copy);
    // Only the figure that counts can be changed; the other keeps its value for a switch back.
    m_debit->setEnabled(!copy && m_draft.videoRate == VideoRate::Bitrate);
    m_quality->setEnabled(!copy && m_draft.videoRate == VideoRate::Quality);
    // The figure that does not count is kept for a switch back; the target shows only when chosen.
    m_quality->setVisible(m_draft.videoRate != VideoRate::Target);
    m_debit->setVisible(m_draft.videoRate != VideoRate::Target);
    m_target->setVisible(m_draft.videoRate == VideoRate::Target);
    m_target->setEnabled(!copy);
    m_crop->refresh();
    // The toggle shows what the output gets: a copy keeps everything; an encoder that cannot carry the
    // high dynamic range always converts. The job's own choice waits for an encoder that can.
    const bool canKeep = carriesHdr(encoder) && carriesTenBit(encoder) && m_draft.videoBitDepth >= 10;
    const QSignalBlocker block(m_hdrToSdr);
    m_hdrToSdr->setEnabled(!copy && canKeep);
    m_hdrToSdr->setChecked(!copy && (!canKeep || m_draft.hdrOutput == HdrOutput::Sdr));
}

bool EditorVideoRows::showProblem(const DraftProblem &problem)
{
    return m_crop->showProblem(problem);
}

void EditorVideoRows::clearProblems()
{
    m_crop->clearProblems();
}
