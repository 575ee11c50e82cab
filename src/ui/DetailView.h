#pragma once

#include "model/MediaVideo.h"
#include "process/ToolRunner.h"

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class EncoderCatalog;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolButton;
class QVBoxLayout;
class Panels;
class SegmentedPicker;
class Session;

// The editor of one job: works on copies of the job's settings and writes them back on "Ok".
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

    // Tells what the next run will meet at the destination of the job as edited (empty: nothing); the
    // note under the destination field shows it. Without one, the editor says nothing of it.
    using ConflictCheck = std::function<QString(const MediaVideo &edited)>;
    void setConflictCheck(ConflictCheck check);

    // The editor's current values.
    QString destination() const;
    int crop() const { return m_crop; }
    QString cropText() const;
    bool isDetectingCrop() const { return m_detecting; }
    QString commandLineText() const;

    // The job as "Ok" would leave it (a copy; the job itself is not touched).
    MediaVideo edited() const;

private:
    // Greys the encoders that failed their check, with the reason, now and as answers come; the command
    // line then says why a job with one of them will not be encoded.
    void followEncoderCatalog(const EncoderCatalog *catalog);
    void buildOups();
    void buildEditor();
    // One builder per group of the form; each adds its rows to `column`.
    void buildFileGroup(QVBoxLayout *column, QWidget *content);
    void buildVideoGroup(QVBoxLayout *column, QWidget *content);
    void buildCropRow(QVBoxLayout *column, QWidget *content);
    void buildAudioGroup(QVBoxLayout *column, QWidget *content);
    void buildOtherGroup(QVBoxLayout *column, QWidget *content);
    void buildCommandRow(QVBoxLayout *column, QWidget *content);
    void alignRowLabels(QWidget *content);
    void fitToScreen(QWidget *content);
    void load();

    void setDestination(const QString &path);
    bool commitDestination(); // false when the typed text was refused and the destination reverted
    void showDestinationNote(const QString &text);
    // The destination for the current container and codecs (the name template's, when one is chosen).
    void followChoices(bool containerChanged);
    void runExportPanel();
    void runSubtitlePanel();

    // Enables the video rows that apply to the chosen codec and rate: a copied stream takes none of them.
    void updateVideoRows();
    void cropSet(int index);
    void cropCommitted();
    void autocrop();
    void cropDetected(const QString &text);
    void makeCropPreview();

    void applyTo(MediaVideo &target) const;
    void applyTracks(MediaVideo &target) const;
    void confirm();
    void scheduleCommandLine();
    void updateCommandLine();
    void updateConflictNote();

    MediaVideo::Ptr m_job;
    Session &m_session;
    Panels &m_panels;
    ToolRunner m_tools;
    const EncoderCatalog *m_catalog = nullptr;
    int m_formatFile = 0;
    bool m_loading = false;

    // Values that outlive their pickers being empty (no tracks) or the crop table being absent.
    int m_videoTrack = 0;
    int m_crop = 0;
    QString m_acceptedDestination; // the destination before the user began typing; a refusal goes back to it
    bool m_destinationEdited = false;
    bool m_cropEdited = false;
    bool m_detecting = false;

    QLineEdit *m_source = nullptr;
    QLineEdit *m_destination = nullptr;
    QToolButton *m_exportButton = nullptr;
    QLabel *m_destinationNote = nullptr;
    QLabel *m_conflictNote = nullptr;
    ConflictCheck m_conflictCheck;
    QComboBox *m_container = nullptr;
    QCheckBox *m_quicktime = nullptr;

    QComboBox *m_videoTracks = nullptr;
    SegmentedPicker *m_videoCodec = nullptr;
    QComboBox *m_videoRate = nullptr;
    QComboBox *m_channels = nullptr;
    QLabel *m_copyNote = nullptr;
    QHBoxLayout *m_copyNoteRow = nullptr;
    QComboBox *m_videoDebit = nullptr;
    QSpinBox *m_videoQuality = nullptr;
    QComboBox *m_width = nullptr;
    QComboBox *m_height = nullptr;
    QCheckBox *m_deInterlace = nullptr;
    QCheckBox *m_hdrToSdr = nullptr;
    HdrOutput m_hdrOutput = HdrOutput::Keep; // the job's choice, whatever the encoder shown
    QComboBox *m_cropPicker = nullptr;
    QPushButton *m_autocropButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QLineEdit *m_cropEdit = nullptr;
    QProgressBar *m_cropBusy = nullptr;
    QLabel *m_cropNote = nullptr;
    SegmentedPicker *m_preset = nullptr;
    SegmentedPicker *m_profile = nullptr;
    SegmentedPicker *m_tune = nullptr;

    QListWidget *m_audioTracks = nullptr;
    SegmentedPicker *m_audioCodec = nullptr;
    QComboBox *m_audioDebit = nullptr;
    QComboBox *m_sampling = nullptr;

    QLineEdit *m_otherParam = nullptr;
    QListWidget *m_subtitleTracks = nullptr;
    QComboBox *m_burnSubtitle = nullptr;
    QLabel *m_subtitleNote = nullptr;
    QHBoxLayout *m_subtitleNoteRow = nullptr;
    QCheckBox *m_keepDate = nullptr;
    QLineEdit *m_subtitleExternal = nullptr;
    QLineEdit *m_subtitleLanguage = nullptr;
    QToolButton *m_subtitleButton = nullptr;
    QPlainTextEdit *m_commandLine = nullptr;

    QScrollArea *m_scroll = nullptr;
    QHBoxLayout *m_cropBusyRow = nullptr;
    QTimer *m_commandTimer = nullptr;
    // Set when the editor goes: the detection still running stops its ffmpeg and its result is dropped.
    std::shared_ptr<std::atomic_bool> m_closing = std::make_shared<std::atomic_bool>(false);
};
