#pragma once

#include "process/ToolRunner.h"
#include "ui/EditorRows.h"

#include <atomic>
#include <memory>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class Session;

// The crop row: the presets, the typed crop with its detection ("Autocrop"), the preview of the outline,
// and the note under them (the detection's progress, or what is wrong with the typed crop).
//
// The detection runs on the session's workers; when the row goes, its ffmpeg is stopped and its result
// dropped.
class EditorCropRow : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    EditorCropRow(MediaVideo &draft, Session &session, QVBoxLayout *column, QWidget *content);
    ~EditorCropRow() override;

    void load() override;
    void refresh() override;
    bool showProblem(const DraftProblem &problem) override;
    void clearProblems() override;

    bool isDetecting() const { return m_detecting; }

private:
    void presetChosen(int index);
    void autocrop();
    void cropDetected(const QString &text);
    void showPreview();
    void showNote(const QString &text, bool problem);

    Session &m_session;
    ToolRunner m_tools;
    bool m_detecting = false;
    bool m_showsProblem = false;
    std::shared_ptr<std::atomic_bool> m_closing = std::make_shared<std::atomic_bool>(false);

    QComboBox *m_picker = nullptr;
    QPushButton *m_autocropButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QLineEdit *m_edit = nullptr;
    QProgressBar *m_busy = nullptr;
    QLabel *m_note = nullptr;
};
