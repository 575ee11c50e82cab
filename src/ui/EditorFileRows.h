#pragma once

#include "model/Vocabulary.h"
#include "ui/EditorRows.h"

#include <tuple>

class Panels;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

// The "File" group: the source, the destination with its notes, the container. The destination follows
// the container, and with a name template the codecs too.
class EditorFileRows : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    // `job` is the job as it was opened: a bare name typed goes into the folder of its destination.
    EditorFileRows(MediaVideo &draft, const MediaVideo &job, Panels &panels, QVBoxLayout *column,
                   QWidget *content);

    void load() override;
    void refresh() override;
    bool showProblem(const DraftProblem &problem) override;
    void clearProblems() override;

    // Takes typed text as a path (a bare name beside the job's destination, the container's extension)
    // when it can be taken; text that cannot stays as it is, for the problem to be shown beside it.
    void takeTypedDestination();
    // What the next run meets at the destination (empty: nothing).
    void showConflict(const QString &text);

private:
    void runExportPanel();

    const MediaVideo &m_job;
    Panels &m_panels;
    int m_formatFile = 0;
    bool m_typed = false; // the destination holds text typed since it was last taken
    // The container and codecs the destination was last made for.
    std::tuple<int, VideoEncoders, AudioEncoders> m_followed{-1, {}, {}};

    QLineEdit *m_source = nullptr;
    QLineEdit *m_destination = nullptr;
    QToolButton *m_exportButton = nullptr;
    QLabel *m_destinationNote = nullptr;
    QLabel *m_conflictNote = nullptr;
    QComboBox *m_container = nullptr;
    QCheckBox *m_quicktime = nullptr;
};
