#pragma once

#include "model/MediaVideo.h"
#include "model/Preset.h"
#include "process/ToolRunner.h"
#include "rules/OutputPlan.h"

#include <QDialog>

#include <functional>

class EditorAudioRows;
class QComboBox;
class QLabel;
class QVBoxLayout;
class EditorCommandView;
class EditorFileRows;
class EditorOtherRows;
class EditorPart;
class EditorVideoRows;
class EncoderCatalog;
class Panels;
class QTimer;
class QWidget;
class Session;

// The editor of one job. It works on a draft, a copy of the job that every row writes at once and that
// everything it shows is made from; "Ok" checks the draft and writes it back whole, or stays open with
// each problem beside its row. "Cancel" writes nothing.
//
// It deletes itself when closed, so open it with `new DetailView(job, session, panels, parent)->open()`.
// The crop detection runs on the session's workers with the session's tools; `session` and `panels`
// must outlive the editor.
class DetailView : public QDialog
{
    Q_OBJECT
public:
    DetailView(MediaVideo::Ptr job, Session &session, Panels &panels, QWidget *parent = nullptr);
    ~DetailView() override;

    const MediaVideo::Ptr &job() const { return m_job; }
    // The job as edited so far; the job itself is not touched before "Ok".
    const MediaVideo &draft() const { return m_draft; }

    // Where the next run would write the job as edited, among the other jobs of the list: the note
    // under the destination field and the command show that plan. Without one, the destination as it
    // stands.
    using OutputCheck = std::function<PlannedOutput(const MediaVideo &edited)>;
    void setOutputCheck(OutputCheck check);

    QString destination() const { return m_draft.destination; }
    QString commandLineText() const;

private:
    // Greys the encoders that failed their check, with the reason, now and as answers come; the command
    // line then says why a job with one of them will not be encoded.
    void followEncoderCatalog(const EncoderCatalog *catalog);
    void buildOups();
    void buildEditor();
    void fitToScreen(QWidget *content);
    void load(QWidget *content);

    // After every change of the draft: the rows follow it, and what it would run is shown afresh.
    void draftChanged();
    // What the draft would run and meet: the command, the subtitles left out, the conflict at the
    // destination. The one place that asks; the rows only show the answers.
    void showOutcome();
    void confirm();
    // The preset row: which preset the draft came from, and whether a row changed it since.
    void buildPresetRow(QVBoxLayout *column, QWidget *content);
    void choosePreset(int index);
    void showPresetState();

    MediaVideo::Ptr m_job;
    MediaVideo m_draft;
    Session &m_session;
    Panels &m_panels;
    ToolRunner m_tools;
    const EncoderCatalog *m_catalog = nullptr;
    OutputCheck m_outputCheck;

    QList<EditorPart *> m_parts; // in the order of the form
    EditorFileRows *m_fileRows = nullptr;
    EditorVideoRows *m_videoRows = nullptr;
    EditorAudioRows *m_audioRows = nullptr;
    EditorOtherRows *m_otherRows = nullptr;
    EditorCommandView *m_commandView = nullptr;
    QTimer *m_outcomeTimer = nullptr;
    QWidget *m_content = nullptr;
    QList<Preset> m_presets;
    QComboBox *m_presetPicker = nullptr;
    QLabel *m_presetModified = nullptr;
};
