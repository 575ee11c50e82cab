#pragma once

#include "desktop/DesktopBuses.h"
#include "media/PathProbe.h"
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "rules/OutputPlan.h"
#include "ui/Panels.h"
#include "watch/WatchedFolders.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <atomic>
#include <functional>
#include <future>
#include <memory>

class BatchEncoder;
class FolderIntake;
class WatchPanel;
struct ImportReport;
class JobDelegate;
class JobListModel;
class JobListView;
class ProgressSheet;
class QAction;
class RunDesktop;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QTimer;
class QToolButton;
class RunStatus;
class Session;
class Setup;

// The main window's content: the job list, the destination row, the command buttons and the
// progress sheet, and every command of the application.
//
// Imports probe on a serial background queue of their own; jobs reach the list on this thread, in
// the order the files were taken, through the run status' ordered posts.
class ContentView : public QWidget
{
    Q_OBJECT
public:
    explicit ContentView(ToolRunner tools = ToolRunner(), QWidget *parent = nullptr);
    // Works on `session`, which must outlive this view (the application's one session).
    explicit ContentView(Session *session, QWidget *parent = nullptr);
    ~ContentView() override;

    // Panels open this long after the command that asks for them.
    static constexpr int PanelDelayMs = 100;

    // The six commands, named "open", "openDocument", "openDirectory", "preference", "encoding" and
    // "deleteAll", for the menu bar. command() also finds "retryFailed".
    QList<QAction *> commands() const { return m_commands; }
    QAction *command(const QString &name) const;

    JobListModel *model() const { return m_model; }
    JobListView *listView() const { return m_list; }
    RunStatus *status() const { return m_status; }
    BatchEncoder *encoder() const { return m_encoder; }
    ProgressSheet *progressSheet() const { return m_sheet; }
    QLineEdit *destinationField() const { return m_destination; }
    const ToolRunner &tools() const;
    Session *session() const { return m_session; }

    // The open and save panels of this window and of the editors it opens. Until another is given
    // (the caller keeps it, and it must outlive the view) they are the system's own.
    Panels &panels() const { return *m_panels; }
    void setPanels(Panels *panels) { m_panels = panels ? panels : &m_systemPanels; }

    // The destination directory as last committed; empty means beside each source.
    QString destinationDirectory() const { return m_text1; }

    bool isRunning() const;
    bool isImporting() const;

    // Where the next run would write `job` as it would be edited, among the other jobs of the list, and
    // what it meets there. For the job editor.
    PlannedOutput plannedOutput(const MediaVideo &job);

    // Tells the desktop about runs from now on (sleep inhibited, launcher progress, the notification,
    // the "When done" choices of the progress sheet).
    void enableDesktop(DesktopBuses buses);
    RunDesktop *desktop() const { return m_desktop; }
    // The log of a job's last run, or empty.
    QString logFor(const MediaVideo &job) const;

    // Looks for ffmpeg and mediainfo. When one is missing, the first call shows a dialog saying what
    // to install; the message is returned either way (empty when both are there).
    QString reportMissingTools();
    // Waits for the encoder checks of the session to have answered.
    bool waitForCatalog(int milliseconds = -1);

    // Starts watching the folders the session's saved list names.
    void startWatching();
    WatchPanel *watchPanel() const { return m_watchPanel; }
    FolderIntake *folderIntake() const { return m_intake; }
    // How long a new file in a watched folder must stay unchanged before it is taken; from the next
    // folder intake on (tests shorten it).
    void setWatchSettleMs(qint64 ms) { m_watchSettleMs = ms; }

public slots:
    void importFiles();     // "File", open, openDocument
    void importDirectory(); // "Directory", openDirectory
    void toggleSetup();     // "Setup", preference
    void startEncoding();   // "Encoding", encoding
    // Runs again the jobs that failed, were stopped or interrupted, with their own settings.
    void retryFailed();
    void showLog(int row, const QString &path);
    void deleteAll();
    // "Watch Folder…": asks for a folder to watch and the settings its files take.
    void watchFolder();
    void chooseDestination(); // the folder button
    void commitDestination(); // Return in the destination field, or leaving it changed
    // Stops the run, or the imports still going, from the progress sheet.
    void stopWork();
    // Files and folders given by a drop or on the command line: every file is imported, folders are
    // walked for video files. `withSheet` shows the progress sheet meanwhile.
    void importPaths(const QStringList &paths, bool withSheet = false);
    // Files and folders named on the command line, with the sheet: folders are walked, files of any
    // extension are probed as dropped ones are. The missing are listed in one message.
    void importArguments(const QStringList &paths);
    void editJob(const QModelIndex &index);
    // Checks every job's destination again now. `rescan` forgets what the file system said before.
    void refreshConflicts(bool rescan = false);

signals:
    // An import has taken its last file (or was cancelled) and its queue has ended.
    void importFinished();
    // The set of commands available changed (a run or an import began or ended).
    void commandsChanged();

protected:
    bool event(QEvent *event) override;

private:
    void buildLayout();
    void buildCommands();
    void updateCommands();
    // Runs `panel` (an open panel and what follows it) on the main thread 0.1 s from now.
    void runPanelLater(std::function<void()> panel);
    // Queues one import: `files` go into `directory` (beside their source when it is empty), files
    // found in `folders` always beside their source.
    ContentView(std::unique_ptr<Session> own, Session *session, QWidget *parent);
    void startImport(const QStringList &files, const QStringList &folders, const QString &directory,
                     bool withSheet);
    void retargetAll();
    // One message over the window listing what was not imported and why.
    void reportNotImported(const QString &text, const QStringList &lines);
    void showDestinationWarning();
    void scheduleConflicts();
    FileProbe probe();
    void runJobs(const QList<MediaVideo::Ptr> &jobs);
    void askToConvertAgain();
    void showRunSummary();
    void applyWatchSetup(const WatchSetup &setup);
    void makeIntake();
    void fileArrived(const QString &folder, const QString &path);
    void importArrivals(bool convert = true);
    void arrivalsImported(int import, const ImportReport &report);
    void runNewFiles();

    // Declared first: a session of this view's own goes last, after every widget that shows its list.
    std::unique_ptr<Session> m_ownSession;
    Session *m_session;
    Panels m_systemPanels;
    Panels *m_panels = &m_systemPanels;
    RunStatus *m_status;
    JobListModel *m_model;
    BatchEncoder *m_encoder;
    JobListView *m_list = nullptr;
    JobDelegate *m_delegate = nullptr;
    QWidget *m_form = nullptr;
    QLineEdit *m_destination = nullptr;
    QToolButton *m_chooser = nullptr;
    QLabel *m_destinationWarning = nullptr;
    QPushButton *m_file = nullptr;
    QPushButton *m_directory = nullptr;
    QPushButton *m_setupButton = nullptr;
    QPushButton *m_encoding = nullptr;
    ProgressSheet *m_sheet = nullptr;
    RunDesktop *m_desktop = nullptr;
    QPointer<Setup> m_setup;
    QPointer<QMessageBox> m_question;
    QTimer *m_conflictTimer = nullptr;
    PathCache m_paths;
    QList<MediaVideo::Ptr> m_runJobs; // the jobs of the run going on or just ended
    QList<QAction *> m_commands;
    QAction *m_retryFailed = nullptr;
    QAction *m_watchFolder = nullptr;
    WatchPanel *m_watchPanel = nullptr;
    FolderIntake *m_intake = nullptr;
    qint64 m_watchSettleMs = 10000;
    QList<std::pair<QString, QString>> m_arrivals; // folder and file, waiting for the list
    QTimer *m_arrivalTimer = nullptr;
    struct WatchImport
    {
        QString folder;
        QStringList files;
        bool convert = true;
    };
    QHash<int, WatchImport> m_watchImports;
    QSet<QString> m_convertNext; // new files that convert as soon as the list is free
    bool m_stoppedByUser = false;
    bool m_recordProblemTold = false;
    QString m_text1;
    bool m_panelPending = false;
    bool m_toolsReported = false;
};
