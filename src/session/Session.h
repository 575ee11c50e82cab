#pragma once

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "media/EncoderCatalog.h"
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "session/JobListModel.h"
#include "session/Workers.h"
#include "store/PresetLibrary.h"
#include "store/QueueFile.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

// What to import: files go into `directory` (beside their source when it is empty); the video files
// found below `folders` always go beside their source.
struct ImportRequest
{
    QStringList files;
    QStringList folders;
    QString directory;
    // Runs on a worker once the file is probed, before the job enters the list (settings of a command
    // line, for instance). Must not touch anything but the job.
    std::function<void(MediaVideo &job)> adjust;
    // The import shows its progress in the run status (the progress sheet) while it goes.
    bool withSheet = false;
    // The settings the new jobs take (the front end reads the stored defaults, or a command line's).
    JobSettings settings;
};

// How an import went, once its last job has entered the list.
struct ImportReport
{
    int imported = 0;
    bool cancelled = false;
    // Found but not imported: names that cannot be represented, folders that could not be read.
    QStringList skipped;
    // Probed but not imported, in the order asked for: each source's path and why it gives no job
    // (noVideoReason()).
    QList<std::pair<QString, QString>> refused;
};

// Everything one process works with: the job list, the run status, the background workers and the
// encoder, owned here so that they go away in a safe order.
//
// Lives on the user interface thread (the CLI's main thread). Members are declared so that they are
// destroyed in reverse: the encoder, then the workers, stop and join before the list and the status
// they post to go away. Results of background work reach this thread through queued calls, in order.
class Session : public QObject
{
    Q_OBJECT
public:
    // `encoderCache` is the file where the encoder checks are kept (EncoderCatalog).
    explicit Session(ToolRunner tools = ToolRunner(), QObject *parent = nullptr,
                     QString encoderCache = EncoderCatalog::defaultCacheFile());
    ~Session() override;

    const ToolRunner &tools() const { return m_tools; }
    RunStatus *status() { return &m_status; }
    JobListModel *jobs() { return &m_jobs; }
    Workers &workers() { return m_workers; }
    EncoderCatalog *encoders() { return &m_encoders; }
    // The presets, the hardware ones following this session's encoder checks.
    PresetLibrary presets();
    // What new jobs take: the stored defaults, or the preset chosen for new files; `problem` says why
    // that preset could not be used.
    JobSettings newJobSettings(QString *problem = nullptr);

    // Finds out in the background which encoders can be used (side by side on the workers); the
    // catalog tells each answer as it comes. Runs once per session.
    void checkEncoders();
    // Waits for the answers of checkEncoders(); false when `milliseconds` ran out first (or it was never
    // asked). For tests and the command line, never the user interface thread.
    bool waitForEncoderCheck(int milliseconds = -1);
    BatchEncoder *encoder() { return &m_encoder; }
    // What a run follows by the stored settings, read now: the policy for a taken output, the extra
    // parameters every job gets and the number of jobs at once.
    static RunOptions storedRunOptions();

    // Queues an import and returns its number. Files are probed side by side on the workers, and the
    // jobs enter the list in the order they were asked for, across imports too.
    int import(ImportRequest request);
    // Ends every import: files not probed yet are dropped; the imports still report their end.
    void stopImports();
    bool isImporting() const { return !m_imports.isEmpty(); }

    bool isRunning() const { return m_encoder.isRunning(); }
    // Stops the run and every import.
    void stop();

    // Keeps the job list in the data folder `folder` from now on. The list saved there joins the list at
    // once, each job with its settings and last result (one that was being converted comes back
    // Interrupted and is not started); with `previews`, their pictures are made again in the background.
    // Every later change of the list, and every result, is saved there, once per turn of the event loop,
    // off this thread. Returns what the user must be told once (the saved list could not be used), or
    // empty text.
    QString keepJobsIn(const QString &folder, bool previews = true);
    // Writes what is not saved yet and waits until it is written. Returns why the last save failed, or
    // empty text when the saved list is the list in memory.
    QString flushJobs();

    // The watched folders of the window: read with the saved list, saved with it.
    const WatchSetup &watchSetup() const { return m_watch; }
    void setWatchSetup(const WatchSetup &setup);
    // The folder the list is kept in; the per-user data folder when it is kept nowhere.
    QString dataFolder() const;

signals:
    // The list could not be saved: once, until a save succeeds again.
    void jobsNotSaved(const QString &message);
    // The import has found its files; `total` of them will be probed.
    void importStarted(int import, int total);
    // A job of the import entered the list (or was dropped after a stop): `done` of `total`.
    void importProgress(int import, int done, int total, const QString &fileName);
    void importFinished(int import, const ImportReport &report);

private:
    struct Import
    {
        std::shared_ptr<std::atomic_bool> cancelled;
        bool withSheet = false;
        bool started = false;
        int firstSequence = 0;
        int total = 0;
        int done = 0;
        ImportReport report;
    };

    // On this thread: the work of an import is known.
    void importPlanned(int import, int firstSequence, int total, const QStringList &skipped);
    // On this thread: the job numbered `sequence` is ready (null when it was dropped, or refused for
    // `refusal`).
    void probed(int sequence, const MediaVideo::Ptr &job, const QString &source, const QString &refusal);
    void finishImport(int import);
    void scheduleSave();
    void save();
    void saved(const QString &error);
    void remakePreviews(const QList<MediaVideo::Ptr> &jobs);
    void previewMade(const std::weak_ptr<MediaVideo> &job, const std::shared_ptr<MediaVideo> &picture);

    // What the writing queue saves next; the newest list replaces one not written yet.
    struct PendingSave
    {
        std::mutex mutex;
        QList<MediaVideo::Ptr> jobs; // copies, taken on this thread
        QSet<QUuid> running;
        WatchSetup watch;
        bool pending = false;
        bool writing = false;
        QString lastError;
    };

    // Set when the session ends: every tool it started, whoever runs it, is stopped.
    std::shared_ptr<std::atomic_bool> m_closing = std::make_shared<std::atomic_bool>(false);
    ToolRunner m_tools;
    EncoderCatalog m_encoders;
    std::shared_future<void> m_encodersChecked;
    RunStatus m_status;
    JobListModel m_jobs;
    Workers m_workers;
    BatchEncoder m_encoder;

    // Touched on the import queue only.
    int m_nextSequence = 0;

    // Touched on this thread only.
    int m_nextImport = 1;
    QMap<int, Import> m_imports; // by number, so older imports come first
    struct Probed
    {
        MediaVideo::Ptr job;
        QString source;
        QString refusal;
    };
    QHash<int, Probed> m_ready; // by sequence, waiting for earlier ones
    int m_expected = 0;

    std::optional<QueueFile> m_queueFile;
    WatchSetup m_watch;
    QTimer m_saveTimer;
    QSet<QUuid> m_runningJobs; // encoders started and not ended, as this thread has heard
    std::shared_ptr<PendingSave> m_pendingSave = std::make_shared<PendingSave>();
    bool m_saveFailing = false;
    // Previews made while a run reads the jobs wait for its end.
    QList<std::pair<std::weak_ptr<MediaVideo>, std::shared_ptr<MediaVideo>>> m_heldPreviews;
};

Q_DECLARE_METATYPE(ImportReport)
