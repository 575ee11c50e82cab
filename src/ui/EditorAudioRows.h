#pragma once

#include "ui/EditorRows.h"

class QComboBox;
class QListWidget;

// The "Audio" group: the tracks kept, the codec, its bitrate, sampling rate and channels.
class EditorAudioRows : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    EditorAudioRows(MediaVideo &draft, QVBoxLayout *column, QWidget *content);

    void load() override;

    SegmentedPicker *codecPicker() const { return m_codec; }

private:
    QListWidget *m_tracks = nullptr;
    SegmentedPicker *m_codec = nullptr;
    QComboBox *m_debit = nullptr;
    QComboBox *m_sampling = nullptr;
    QComboBox *m_channels = nullptr;
};
