#pragma once

#include "ui/EditorRows.h"

class EditorCropRow;
class QCheckBox;
class QComboBox;
class QSpinBox;
class TargetQualityBox;
class Session;

// The "Video" group: the track, the codec, its rate, the size and deinterlacing, the crop row, preset,
// profile and tune. A copied stream takes none of the rows after the codec, and an encoder is offered
// only the profiles and tunes it takes.
class EditorVideoRows : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    EditorVideoRows(MediaVideo &draft, Session &session, QVBoxLayout *column, QWidget *content);

    void load() override;
    void refresh() override;
    bool showProblem(const DraftProblem &problem) override;
    void clearProblems() override;

    EditorCropRow *cropRow() const { return m_crop; }
    SegmentedPicker *codecPicker() const { return m_codec; }

private:
    SegmentedPicker *addSegmentedRow(QVBoxLayout *column, const QString &label, const QStringList &entries,
                                     const QString &name);

    EditorCropRow *m_crop = nullptr;
    QComboBox *m_tracks = nullptr;
    SegmentedPicker *m_codec = nullptr;
    QLabel *m_copyNote = nullptr;
    QComboBox *m_rate = nullptr;
    QComboBox *m_debit = nullptr;
    QSpinBox *m_quality = nullptr;
    TargetQualityBox *m_target = nullptr;
    QCheckBox *m_hdrToSdr = nullptr;
    QComboBox *m_width = nullptr;
    QComboBox *m_height = nullptr;
    QCheckBox *m_fitWithin = nullptr;
    QCheckBox *m_deInterlace = nullptr;
    SegmentedPicker *m_preset = nullptr;
    SegmentedPicker *m_profile = nullptr;
    SegmentedPicker *m_tune = nullptr;
};
