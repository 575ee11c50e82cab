#include "ui/EditorAudioRows.h"

#include "model/MediaVideo.h"
#include "rules/JobRules.h"
#include "ui/Pickers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

using namespace EditorRows;

EditorAudioRows::EditorAudioRows(MediaVideo &draft, QVBoxLayout *column, QWidget *content)
    : EditorPart(draft, content)
{
    column->addWidget(groupHeader(tr("Audio"), content));
    QHBoxLayout *row = addRow(column, tr("Tracks"), content);
    const QStringList lines = m_draft.audioTracks.mid(1);
    m_tracks = trackChecklist(trackLabels(m_draft, MediaStream::Kind::Audio, lines), lines,
                              QStringLiteral("audioTrackList"), content);
    if (lines.isEmpty()) {
        m_tracks->addItem(tr("No audio"));
        m_tracks->setEnabled(false);
    }
    row->addWidget(m_tracks, 1);
    // Only a change is written: the job's own fields keep saying what they said.
    connect(m_tracks, &QListWidget::itemChanged, this, [this] {
        if (const QList<int> checked = checkedRows(m_tracks);
            m_tracks->isEnabled() && checked != chosenAudioTracks(m_draft))
            chooseAudioTracks(m_draft, checked);
        emit edited();
    });

    row = addRow(column, tr("Codec"), content);
    m_codec = segmentedPicker(rawTexts<AudioEncoders>(), QStringLiteral("audioCodecPicker"), content);
    row->addWidget(m_codec);
    row->addStretch(1);
    connect(m_codec, &SegmentedPicker::currentIndexChanged, this, [this](int index) {
        m_draft.audioEncoder = caseAtOrFirst<AudioEncoders>(index);
        emit edited();
    });

    row = addRow(column, tr("Bitrate"), content);
    m_debit = listPicker(Lists::audioDebits(), QStringLiteral("audioDebitPicker"), content);
    row->addWidget(m_debit);
    row->addSpacing(12);
    row->addWidget(new QLabel(tr("Sampling"), content));
    m_sampling = listPicker(Lists::audioSamplings(), QStringLiteral("samplingPicker"), content);
    row->addWidget(m_sampling);
    row->addSpacing(12);
    row->addWidget(new QLabel(tr("Channels"), content));
    m_channels = new QComboBox(content);
    m_channels->setObjectName(QStringLiteral("channelsPicker"));
    m_channels->addItems(channelChoices());
    m_channels->setToolTip(tr("Stereo folds a surround source to two channels; Keep writes the source's "
                              "layout (MP3 keeps two)."));
    row->addWidget(m_channels);
    row->addStretch(1);
    connect(m_debit, &QComboBox::currentIndexChanged, this, [this] {
        m_draft.audioDebit = Lists::rateFigure(Lists::audioDebits().at(pickerIndex(m_debit)));
        emit edited();
    });
    connect(m_sampling, &QComboBox::currentIndexChanged, this, [this] {
        m_draft.audioSampling = Lists::rateFigure(Lists::audioSamplings().at(pickerIndex(m_sampling)));
        emit edited();
    });
    connect(m_channels, &QComboBox::currentIndexChanged, this, [this] {
        m_draft.audioChannels = caseAtOrFirst<AudioChannels>(pickerIndex(m_channels));
        emit edited();
    });
}

void EditorAudioRows::load()
{
    checkRows(m_tracks, chosenAudioTracks(m_draft));
    m_codec->setCurrentIndex(indexOfCase(m_draft.audioEncoder));
    m_debit->setCurrentIndex(figureIndex(Lists::audioDebits(), m_draft.audioDebit));
    m_sampling->setCurrentIndex(figureIndex(Lists::audioSamplings(), m_draft.audioSampling));
    m_channels->setCurrentIndex(indexOfCase(m_draft.audioChannels));
    // A figure the lists do not hold reads as the entry shown.
    m_draft.audioDebit = Lists::rateFigure(Lists::audioDebits().at(pickerIndex(m_debit)));
    m_draft.audioSampling = Lists::rateFigure(Lists::audioSamplings().at(pickerIndex(m_sampling)));
}
