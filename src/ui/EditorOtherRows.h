#pragma once

#include "ui/EditorRows.h"

class Panels;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QToolButton;

// The "Other" group: the extra parameters, the subtitle tracks kept and the one burnt in, an external
// subtitle file with its language, and the date.
class EditorOtherRows : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    EditorOtherRows(MediaVideo &draft, Panels &panels, QVBoxLayout *column, QWidget *content);

    void load() override;
    void refresh() override;
    bool showProblem(const DraftProblem &problem) override;
    void clearProblems() override;

    // The subtitles the container cannot hold and leaves out (empty: none).
    void showLeftOut(const QString &text);

private:
    void runSubtitlePanel();

    Panels &m_panels;
    QLineEdit *m_otherParam = nullptr;
    QListWidget *m_subtitleTracks = nullptr;
    QComboBox *m_burnSubtitle = nullptr;
    QLabel *m_subtitleNote = nullptr;
    QLineEdit *m_subtitleExternal = nullptr;
    QLineEdit *m_subtitleLanguage = nullptr;
    QToolButton *m_subtitleButton = nullptr;
    QLabel *m_externalNote = nullptr;
    QCheckBox *m_keepDate = nullptr;
};
