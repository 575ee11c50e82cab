#include "ui/ContentView.h"

#include "media/MediaProbe.h"
#include "ui/PresetDialogs.h"

#include "rules/RunTally.h"

#include "desktop/RunDesktop.h"
#include "store/JobLogs.h"
#include "ui/LogViewer.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "media/EncoderCatalog.h"
#include "media/FileScan.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "model/Vocabulary.h"
#include "process/Log.h"
#include "rules/OutputName.h"
#include "rules/ShellQuote.h"
#include "session/JobListModel.h"
#include "session/Session.h"
#include "ui/DetailView.h"
#include "ui/JobDelegate.h"
#include "ui/JobListView.h"
#include "ui/Panels.h"
#include "ui/ProgressionView.h"
#include "ui/Setup.h"
#include "ui/WatchPanel.h"
#include "watch/FolderIntake.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

ContentView::ContentView(ToolRunner tools, QWidget *parent)
    : ContentView(std::make_unique<Session>(std::move(tools)), nullptr, parent)
{
}

ContentView::ContentView(Session *session, QWidget *parent) : ContentView(nullptr, session, parent)
{
}

ContentView::ContentView(std::unique_ptr<Session> own, Session *session, QWidget *parent)
    : QWidget(parent), m_ownSession(std::move(own)), m_session(session ? session : m_ownSession.get()),
      m_status(m_session->status()), m_model(m_session->jobs()), m_encoder(m_session->encoder())
{
    setObjectName(QStringLiteral("contentView"));
    buildCommands();
    buildLayout();

    m_sheet = new ProgressSheet(m_status, this);
    connect(m_sheet, &ProgressSheet::stopRequested, this, &ContentView::stopWork);
    connect(m_sheet, &ProgressSheet::pauseRequested, m_encoder, &BatchEncoder::setPaused);
    connect(m_sheet, &ProgressSheet::stopAfterCurrentRequested, m_encoder, &BatchEncoder::stopAfterCurrent);
    connect(m_sheet, &ProgressSheet::whenDoneChosen, this, [this](WhenDone action) {
        if (m_desktop)
            m_desktop->setWhenDone(action);
    });
    m_encoder->setLogOpener(JobLogs::standard().opener());
    connect(m_list, &JobListView::showLogRequested, this, &ContentView::showLog);
    m_list->setLogFinder([this](int row) {
        const QList<MediaVideo::Ptr> &jobs = m_model->jobs();
        return row >= 0 && row < jobs.size() ? logFor(*jobs[row]) : QString();
    });
    m_list->setPresetLister([this] { return m_session->presets().all(); });
    connect(m_list, &JobListView::applyPresetRequested, this,
            [this](const QList<int> &rows, const Preset &preset) {
                PresetDialogs::confirmParameters(this, preset, [this, rows, preset] {
                    if (isRunning())
                        return;
                    for (const int row : rows) {
                        if (const MediaVideo::Ptr job = m_model->job(row)) {
                            applyPresetToJob(*job, preset);
                            m_model->refresh(job->id);
                        }
                    }
                    scheduleConflicts();
                });
            });
    connect(m_status, &RunStatus::showProgressBarChanged, this, [this](bool shown) {
        if (shown)
            m_sheet->raiseSheet(isRunning());
        else
            m_sheet->lowerSheet();
    });
    connect(m_status, &RunStatus::isDisableChanged, this, &ContentView::updateCommands);
    // Jobs converting side by side show their own percentage in their rows.
    connect(m_status, &RunStatus::changed, this, [this] {
        QHash<QUuid, double> percents;
        for (const RunStatus::RunningJob &job : m_status->runningJobs())
            percents.insert(job.id, job.percentValue);
        m_model->setRunning(percents);
    });
    connect(m_encoder, &BatchEncoder::jobFinished, this, [this](const QUuid &id) { m_model->refresh(id); });
    connect(m_encoder, &BatchEncoder::runFinished, this, [this] {
        m_model->refreshAll();
        updateCommands();
        // The run has written files: what is at each destination is asked again.
        refreshConflicts(true);
        showRunSummary();
        // What watched folders brought during the run joins the list now; after a stop it waits there.
        const bool stopped = std::exchange(m_stoppedByUser, false);
        if (stopped)
            m_convertNext.clear();
        for (WatchImport &import : m_watchImports)
            import.convert &= !stopped;
        importArrivals(!stopped);
        runNewFiles();
    });
    // A file written by the list into a watched folder is never taken as a new one.
    connect(m_encoder, &BatchEncoder::jobFinished, this, [this](const QUuid &id) {
        const MediaVideo::Ptr job = m_model->job(m_model->rowOf(id));
        if (m_intake && job && !job->result.writtenPath.isEmpty())
            m_intake->record(job->result.writtenPath, QStringLiteral("output"));
    });
    connect(m_model, &JobListModel::filesDropped, this,
            [this](const QStringList &paths) { importPaths(paths); });
    connect(m_model, &JobListModel::rowsInserted, this, &ContentView::updateCommands);
    connect(m_model, &JobListModel::rowsRemoved, this, &ContentView::updateCommands);
    connect(m_model, &JobListModel::modelReset, this, &ContentView::updateCommands);
    // Results change in place: Retry Failed follows them.
    connect(m_model, &JobListModel::dataChanged, this, &ContentView::updateCommands);

    // Conflicts are checked once the list has settled, not on every row added or on every paint;
    // a new job number or a departed job can change what the other rows say.
    m_conflictTimer = new QTimer(this);
    m_conflictTimer->setSingleShot(true);
    m_conflictTimer->setInterval(0);
    connect(m_conflictTimer, &QTimer::timeout, this, [this] { refreshConflicts(); });
    connect(m_model, &JobListModel::rowsInserted, this, &ContentView::scheduleConflicts);
    connect(m_model, &JobListModel::rowsRemoved, this, &ContentView::scheduleConflicts);
    connect(m_model, &JobListModel::rowsMoved, this, &ContentView::scheduleConflicts);
    connect(m_model, &JobListModel::layoutChanged, this, &ContentView::scheduleConflicts);
    connect(m_model, &JobListModel::modelReset, this, &ContentView::scheduleConflicts);

    // The path goes to the logs only; a missing tool is reported by reportMissingTools().
    const ToolLocation ffmpeg = tools().locateTool(QStringLiteral("ffmpeg"));
    if (ffmpeg.ok()) {
        qInfo().noquote() << ffmpeg.path;
        qCInfo(lcTavrix).noquote() << "Ffmpeg path =" << ffmpeg.path;
    }

    // Which encoders can be used is found out once per session, in the background; rows show their
    // warnings as the answers come.
    connect(m_session->encoders(), &EncoderCatalog::changed, m_model, &JobListModel::refreshAll);
    m_session->encoders()->setVaapiChoice(
        Preferences::readText(Preferences::Key::vaapiDevice).value_or(QString()));
    m_session->checkEncoders();
    connect(m_session, &Session::importFinished, this, [this](int import, const ImportReport &report) {
        updateCommands();
        if (m_watchImports.contains(import)) {
            arrivalsImported(import, report);
            emit importFinished();
            return;
        }
        if (!report.skipped.isEmpty())
            reportNotImported(tr("These names are not valid UTF-8, so Tavrix cannot open them. Rename them "
                                 "to import them."),
                              report.skipped);
        if (!report.refused.isEmpty()) {
            QStringList lines;
            for (const auto &[source, reason] : report.refused)
                lines << tr("%1: %2").arg(printableText(QFileInfo(source).fileName()), reason);
            reportNotImported(tr("Tavrix cannot convert these files: it needs a video stream."), lines);
        }
        emit importFinished();
    });

    updateCommands();
}

ContentView::~ContentView()
{
    // The watching thread ends first: nothing it finds reaches a view on its way out.
    delete std::exchange(m_intake, nullptr);
    // Editors go first: an autocrop of theirs still running is stopped before the workers are joined.
    qDeleteAll(findChildren<DetailView *>(Qt::FindDirectChildrenOnly));
    // A session of the application goes on without this view; one of its own stops with it.
    if (m_ownSession)
        m_ownSession->stop();
}

const ToolRunner &ContentView::tools() const
{
    return m_session->tools();
}

bool ContentView::isImporting() const
{
    return m_session->isImporting();
}

void ContentView::buildCommands()
{
    const auto add = [this](const char *name, const QString &text, auto slot) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        m_commands << action;
        return action;
    };
    add("open", tr("Open Files…"), &ContentView::importFiles)->setShortcut(QKeySequence::Open);
    add("openDocument", tr("Open Document…"), &ContentView::importFiles);
    add("openDirectory", tr("Open Directory…"), &ContentView::importDirectory)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QAction *preference = add("preference", tr("Preferences…"), &ContentView::toggleSetup);
    // The platform's own key for preferences, unless it is one the buttons already use.
    const QList<QKeySequence> buttonKeys{
        QKeySequence(Qt::CTRL | Qt::Key_I), QKeySequence(Qt::CTRL | Qt::Key_D),
        QKeySequence(Qt::CTRL | Qt::Key_P), QKeySequence(Qt::CTRL | Qt::Key_E)};
    QList<QKeySequence> preferenceKeys = QKeySequence::keyBindings(QKeySequence::Preferences);
    preferenceKeys.removeIf([&](const QKeySequence &key) { return buttonKeys.contains(key); });
    preference->setShortcuts(preferenceKeys);
    preference->setMenuRole(QAction::PreferencesRole);
    add("encoding", tr("Start Encoding"), &ContentView::startEncoding);
    // Not one of the six: it follows the jobs' results, not only whether the window is busy.
    m_retryFailed = new QAction(tr("Retry Failed"), this);
    m_retryFailed->setObjectName(QStringLiteral("retryFailed"));
    m_retryFailed->setToolTip(
        tr("Convert again the jobs that failed or were stopped, with their own settings."));
    connect(m_retryFailed, &QAction::triggered, this, &ContentView::retryFailed);
    add("deleteAll", tr("Delete All Jobs"), &ContentView::deleteAll);
    // Not one of the six either: a folder can be watched while a run goes on.
    m_watchFolder = new QAction(tr("Watch Folder…"), this);
    m_watchFolder->setObjectName(QStringLiteral("watchFolder"));
    m_watchFolder->setToolTip(tr("New video files in a folder join the list as they arrive."));
    connect(m_watchFolder, &QAction::triggered, this, &ContentView::watchFolder);
}

QAction *ContentView::command(const QString &name) const
{
    for (QAction *action : m_commands) {
        if (action->objectName() == name)
            return action;
    }
    for (QAction *action : {m_retryFailed, m_watchFolder}) {
        if (action && action->objectName() == name)
            return action;
    }
    return nullptr;
}

void ContentView::buildLayout()
{
    setMinimumWidth(500);

    m_list = new JobListView(this);
    m_list->setObjectName(QStringLiteral("jobList"));
    m_list->setModel(m_model);
    m_delegate = new JobDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    connect(m_delegate, &JobDelegate::nameActivated, this, &ContentView::editJob);

    m_form = new QWidget(this);
    auto *form = new QGridLayout(m_form);

    auto *label = new QLabel(tr("Destination Dir"), m_form);
    m_destination = new QLineEdit(m_form);
    m_destination->setObjectName(QStringLiteral("destination"));
    m_destination->setPlaceholderText(tr("Path of destinations files"));
    m_destination->setToolTip(tr("Destination Dir.help"));
    m_destination->setClearButtonEnabled(true);
    label->setBuddy(m_destination);
    m_text1 = Preferences::readText(Preferences::Key::defaultPath).value_or(QString());
    m_destination->setText(m_text1);
    connect(m_destination, &QLineEdit::returnPressed, this, &ContentView::commitDestination);
    // Leaving the field applies what it shows, as Return does; leaving it unchanged re-targets nothing,
    // so destinations set in the job editor stay.
    connect(m_destination, &QLineEdit::editingFinished, this, [this] {
        if (m_destination->text().trimmed() != m_text1)
            commitDestination();
    });

    m_chooser = new QToolButton(m_form);
    m_chooser->setObjectName(QStringLiteral("chooseDestination"));
    const QString folder = QString::fromUcs4(U"\U0001F4C2");
    if (QFontMetrics(m_chooser->font()).inFontUcs4(0x1F4C2))
        m_chooser->setText(folder);
    else
        m_chooser->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_chooser->setAccessibleName(tr("Choose the destination directory"));
    m_chooser->setToolTip(tr("Destination Dir.help"));
    connect(m_chooser, &QToolButton::clicked, this, &ContentView::chooseDestination);

    m_destinationWarning = new QLabel(m_form);
    m_destinationWarning->setObjectName(QStringLiteral("destinationWarning"));
    m_destinationWarning->setStyleSheet(QStringLiteral("color: #b26a00;"));
    m_destinationWarning->hide();

    form->addWidget(label, 0, 0);
    form->addWidget(m_destination, 0, 1);
    form->addWidget(m_chooser, 0, 2);
    form->addWidget(m_destinationWarning, 1, 1, 1, 2);

    const auto button = [this](const QString &name, const QString &text, const QString &help, int key,
                               void (ContentView::*slot)()) {
        auto *b = new QPushButton(text, m_form);
        b->setObjectName(name);
        b->setShortcut(QKeySequence(Qt::CTRL | key));
        b->setToolTip(help);
        b->setMinimumWidth(100);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    m_file =
        button(QStringLiteral("file"), tr("File"), tr("File.help"), Qt::Key_I, &ContentView::importFiles);
    m_directory = button(QStringLiteral("directory"), tr("Directory"), tr("Directory.help"), Qt::Key_D,
                         &ContentView::importDirectory);
    m_setupButton =
        button(QStringLiteral("setup"), tr("Setup"), tr("Setup.help"), Qt::Key_P, &ContentView::toggleSetup);
    m_encoding = button(QStringLiteral("encoding"), tr("Encoding"), tr("Encoding.help"), Qt::Key_E,
                        &ContentView::startEncoding);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_file);
    buttons->addWidget(m_directory);
    buttons->addStretch(1);
    buttons->addWidget(m_setupButton);
    buttons->addStretch(1);
    buttons->addWidget(m_encoding);
    form->addLayout(buttons, 2, 0, 1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    // Outside the form: folders can be paused or removed while a run goes on.
    m_watchPanel = new WatchPanel(this);
    layout->addWidget(m_watchPanel);
    layout->addWidget(m_form);
    connect(m_watchPanel, &WatchPanel::addRequested, this, &ContentView::watchFolder);
    connect(m_watchPanel, &WatchPanel::pauseRequested, this, [this](const QString &folder, bool paused) {
        WatchSetup setup = m_session->watchSetup();
        if (const int index = setup.indexOf(folder); index >= 0) {
            setup.folders[index].paused = paused;
            applyWatchSetup(setup);
        }
    });
    connect(m_watchPanel, &WatchPanel::removeRequested, this, [this](const QString &folder) {
        WatchSetup setup = m_session->watchSetup();
        if (const int index = setup.indexOf(folder); index >= 0) {
            setup.folders.removeAt(index);
            applyWatchSetup(setup);
        }
    });
    connect(m_watchPanel, &WatchPanel::convertNewFilesChanged, this, [this](bool on) {
        WatchSetup setup = m_session->watchSetup();
        setup.convertNewFiles = on;
        applyWatchSetup(setup);
    });
    m_arrivalTimer = new QTimer(this);
    m_arrivalTimer->setSingleShot(true);
    // Files that arrive together join the list in one import.
    m_arrivalTimer->setInterval(200);
    connect(m_arrivalTimer, &QTimer::timeout, this, [this] { importArrivals(); });
}

bool ContentView::isRunning() const
{
    return m_encoder->isRunning();
}

void ContentView::updateCommands()
{
    const bool running = isRunning();
    const bool disabled = running || m_status->isDisable();
    m_list->setEnabled(!disabled);
    m_form->setEnabled(!disabled);
    m_model->setAcceptsDrops(!running);
    // While the content is disabled the menu follows it: no second run, no change of the list.
    for (QAction *action : std::as_const(m_commands))
        action->setEnabled(!disabled);
    // Nothing to convert, nothing to start: the button and the menu item say so alike.
    const bool anyJob = m_model->rowCount() > 0;
    m_encoding->setEnabled(anyJob);
    if (QAction *encoding = command(QStringLiteral("encoding")))
        encoding->setEnabled(!disabled && anyJob);
    if (QAction *clear = command(QStringLiteral("deleteAll")))
        clear->setEnabled(!disabled && m_model->rowCount() > 0);
    m_retryFailed->setEnabled(!disabled && !::retryableJobs(m_model->jobs()).isEmpty());
    emit commandsChanged();
}

QString ContentView::reportMissingTools()
{
    QStringList errors;
    for (const QString &name : {QStringLiteral("ffmpeg"), QStringLiteral("mediainfo")}) {
        const ToolLocation location = tools().locateTool(name);
        if (!location.ok())
            errors << location.error;
    }
    if (errors.isEmpty())
        return {};
    const QString message = errors.join(QStringLiteral("\n\n"));
    if (!m_toolsReported) {
        m_toolsReported = true;
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Tools missing"),
                                    tr("Tavrix needs ffmpeg to convert videos and mediainfo to read them. "
                                       "Until they are installed, files can still be listed but not "
                                       "probed or converted."),
                                    QMessageBox::Ok, window());
        box->setObjectName(QStringLiteral("missingTools"));
        box->setInformativeText(message);
        box->setWindowModality(Qt::WindowModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    return message;
}

bool ContentView::waitForCatalog(int milliseconds)
{
    return m_session->waitForEncoderCheck(milliseconds);
}

void ContentView::runPanelLater(std::function<void()> panel)
{
    // The command that asked returns first; one panel at a time, and none during a run.
    if (m_panelPending || isRunning())
        return;
    m_panelPending = true;
    QTimer::singleShot(PanelDelayMs, this, [this, panel = std::move(panel)] {
        panel();
        m_panelPending = false;
    });
}

void ContentView::importFiles()
{
    runPanelLater([this] {
        const QStringList files =
            m_panels->openFiles(this, tr("Import video file"), Lists::videoExtensions());
        if (!files.isEmpty())
            startImport(files, {}, m_text1, true);
    });
}

void ContentView::importDirectory()
{
    runPanelLater([this] {
        const QString directory =
            m_panels->openDirectory(this, tr("Import video file from directory"), m_text1);
        if (!directory.isEmpty())
            startImport({}, {directory}, {}, true);
    });
}

void ContentView::importPaths(const QStringList &paths, bool withSheet)
{
    if (isRunning())
        return;
    QStringList files, folders;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            folders << info.absoluteFilePath();
        else if (info.exists())
            files << info.absoluteFilePath();
        else
            qWarning().noquote() << tr("Not imported: “%1” does not exist.").arg(path);
    }
    if (files.isEmpty() && folders.isEmpty())
        return;
    startImport(files, folders, m_text1, withSheet);
}

void ContentView::importArguments(const QStringList &paths)
{
    QStringList accepted;
    QStringList refused;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        // Files of any extension are taken as a drop takes them: probed, and kept when they hold video.
        if (!info.exists())
            refused << tr("%1: no such file or folder").arg(printableText(path));
        else
            accepted << path;
    }
    if (!refused.isEmpty())
        reportNotImported(tr("Some of the files given were not imported."), refused);
    if (!accepted.isEmpty())
        importPaths(accepted, true);
}

void ContentView::reportNotImported(const QString &text, const QStringList &lines)
{
    constexpr int listed = 10;
    QStringList shown = lines.mid(0, listed);
    if (lines.size() > listed)
        shown << tr("… and %1 more").arg(lines.size() - listed);
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Not imported"), text, QMessageBox::Ok, window());
    box->setObjectName(QStringLiteral("notImported"));
    box->setInformativeText(shown.join(QLatin1Char('\n')));
    if (lines.size() > listed)
        box->setDetailedText(lines.join(QLatin1Char('\n')));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ContentView::startImport(const QStringList &files, const QStringList &folders, const QString &directory,
                              bool withSheet)
{
    QString problem;
    const JobSettings settings = m_session->newJobSettings(&problem);
    if (!problem.isEmpty()) {
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Preset for new files"), problem,
                                    QMessageBox::Ok, window());
        box->setWindowModality(Qt::WindowModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    m_session->import({files, folders, directory, {}, withSheet, settings});
    updateCommands();
}

void ContentView::toggleSetup()
{
    if (m_setup) {
        m_setup->raise();
        return;
    }
    if (isRunning() || m_status->isDisable())
        return;
    m_setup = new Setup(this, m_session->encoders(), m_session->presets(), m_panels);
    connect(m_setup, &QDialog::finished, m_setup, &QObject::deleteLater);
    // New files that arrived meanwhile convert with the settings as they are now.
    connect(m_setup, &QObject::destroyed, this, &ContentView::runNewFiles, Qt::QueuedConnection);
    // The policy for existing outputs may have changed, and with it what the rows say.
    connect(m_setup, &QDialog::accepted, this, [this] {
        m_session->encoders()->setVaapiChoice(
            Preferences::readText(Preferences::Key::vaapiDevice).value_or(QString()));
        scheduleConflicts();
    });
    m_setup->open();
}

void ContentView::startEncoding()
{
    if (isRunning() || m_status->isDisable() || m_question)
        return;
    // The directory the field shows is the one the run uses, even when Return was not pressed.
    if (m_destination->text().trimmed() != m_text1)
        commitDestination();
    const QList<MediaVideo::Ptr> pending = pendingJobs(m_model->jobs());
    if (pending.isEmpty() && m_model->rowCount() > 0) {
        askToConvertAgain();
        return;
    }
    runJobs(pending);
}

void ContentView::retryFailed()
{
    if (isRunning() || m_status->isDisable() || m_question)
        return;
    runJobs(::retryableJobs(m_model->jobs()));
}

QString ContentView::logFor(const MediaVideo &job) const
{
    if (!job.result.logPath.isEmpty() && QFileInfo::exists(job.result.logPath))
        return job.result.logPath;
    // A job restored from the saved list knows its log by its id only.
    return job.result.status == JobResult::Status::None ? QString() : JobLogs::standard().latestFor(job.id);
}

void ContentView::showLog(int row, const QString &path)
{
    const QList<MediaVideo::Ptr> &jobs = m_model->jobs();
    const QString title =
        row >= 0 && row < jobs.size() ? printableText(fileName(jobs[row]->source)) : QString();
    auto *viewer = new LogViewer(path, title, window());
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->open();
}

void ContentView::enableDesktop(DesktopBuses buses)
{
    if (m_desktop)
        return;
    m_desktop = new RunDesktop(m_encoder, m_status, std::move(buses), this);
    m_desktop->setWhenDone(m_sheet->whenDone());
    PowerActions *power = m_desktop->power();
    connect(power, &PowerActions::refreshed, this,
            [this, power] { m_sheet->setWhenDoneChoices(power->choices()); });
    // Asked at each run: what logind allows may have changed since.
    connect(m_encoder, &BatchEncoder::runStarted, power, &PowerActions::refresh);
    power->refresh();
    connect(
        m_desktop, &RunDesktop::quitRequested, this, [this] { window()->close(); }, Qt::QueuedConnection);
    connect(m_desktop, &RunDesktop::whenDoneFailed, this, [this](const QString &message) {
        auto *box =
            new QMessageBox(QMessageBox::Warning, tr("When done"), message, QMessageBox::Ok, window());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
}

void ContentView::runJobs(const QList<MediaVideo::Ptr> &jobs)
{
    if (jobs.isEmpty() || isRunning())
        return;
    // The rows about to run show no result until theirs comes, not the last run's.
    for (const MediaVideo::Ptr &job : jobs)
        job->result = JobResult();
    m_runJobs = jobs;
    m_model->refreshAll();
    // The settings as they are now hold for the whole run.
    if (m_encoder->start(jobs, Session::storedRunOptions()))
        updateCommands();
}

void ContentView::askToConvertAgain()
{
    auto *box = new QMessageBox(QMessageBox::Question, tr("Convert again?"),
                                tr("Every job in the list has been converted. Convert them all again?"),
                                QMessageBox::NoButton, window());
    box->setObjectName(QStringLiteral("convertAgain"));
    switch (Preferences::existingOutput()) {
    case Preferences::ExistingOutput::Rename:
        box->setInformativeText(tr("The files already written are kept; the new ones get new names."));
        break;
    case Preferences::ExistingOutput::Skip:
        box->setInformativeText(tr("“If the output exists” is set to Skip in Setup: jobs whose file is "
                                   "still there will be skipped."));
        break;
    case Preferences::ExistingOutput::Overwrite:
        box->setInformativeText(tr("The files already written are replaced once the new ones are complete."));
        break;
    }
    QPushButton *again = box->addButton(tr("Convert Again"), QMessageBox::AcceptRole);
    again->setObjectName(QStringLiteral("convertAgainButton"));
    QPushButton *cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box, again] {
        if (box->clickedButton() == again)
            runJobs(m_model->jobs());
    });
    m_question = box;
    box->open();
}

void ContentView::showRunSummary()
{
    const QList<MediaVideo::Ptr> jobs = std::exchange(m_runJobs, {});
    const RunTally counted = tally(jobs);
    QStringList reasons;
    int unexplained = 0;
    for (const MediaVideo::Ptr &job : jobs) {
        if (job->result.status == JobResult::Status::Succeeded)
            continue;
        const QString reason = job->result.reason.isEmpty() ? job->result.text() : job->result.reasonText();
        if (reasons.size() < 3)
            reasons << tr("%1: %2").arg(printableText(fileName(job->source)), reason);
        else
            ++unexplained;
    }
    // All went well, or the window is on its way out (closed during the run): nothing to say.
    if (counted.allConverted() || !isVisible())
        return;

    QStringList counts;
    if (counted.converted > 0)
        counts << tr("%n succeeded", nullptr, counted.converted);
    if (counted.incomplete > 0)
        counts << tr("%n incomplete", nullptr, counted.incomplete);
    if (counted.failed > 0)
        counts << tr("%n failed", nullptr, counted.failed);
    if (counted.stopped > 0)
        counts << tr("%n stopped", nullptr, counted.stopped);
    if (counted.notRun > 0)
        counts << tr("%n not run", nullptr, counted.notRun);
    if (unexplained > 0)
        reasons << tr("… and %1 more").arg(unexplained);

    auto *box = new QMessageBox(
        counted.failed + counted.incomplete > 0 ? QMessageBox::Warning : QMessageBox::Information,
        tr("Encoding finished"), tr("Encoding finished: %1.").arg(counts.join(QStringLiteral(", "))),
        QMessageBox::Ok, window());
    box->setObjectName(QStringLiteral("runSummary"));
    box->setInformativeText(reasons.join(QLatin1Char('\n')));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ContentView::deleteAll()
{
    if (isRunning())
        return;
    m_model->clear();
}

void ContentView::editJob(const QModelIndex &index)
{
    if (isRunning() || m_status->isDisable())
        return;
    const MediaVideo::Ptr job = m_model->job(index.row());
    if (!job)
        return;
    auto *d = new DetailView(job, *m_session, *m_panels, this);
    d->setOutputCheck([this](const MediaVideo &edited) { return plannedOutput(edited); });
    connect(d, &QDialog::finished, this, [this, id = job->id, d] {
        m_model->refresh(id);
        scheduleConflicts();
        d->deleteLater();
    });
    // New files that arrived while it was open convert once it has gone.
    connect(d, &QObject::destroyed, this, &ContentView::runNewFiles, Qt::QueuedConnection);
    d->open();
}

void ContentView::chooseDestination()
{
    runPanelLater([this] {
        const QString directory = m_panels->openDirectory(this, tr("Choose the destination folder"), m_text1);
        if (directory.isEmpty())
            return;
        m_destination->setText(directory);
        commitDestination();
    });
}

void ContentView::commitDestination()
{
    if (isRunning())
        return;
    m_text1 = m_destination->text().trimmed();
    retargetAll();
    Preferences::writeText(Preferences::Key::defaultPath, m_text1);
    showDestinationWarning();
}

void ContentView::retargetAll()
{
    const int templateIndex = Preferences::readInt(Preferences::Key::formatFile);
    for (const MediaVideo::Ptr &job : m_model->jobs())
        job->destination = movedDestination(*job, m_text1, templateIndex);
    m_model->refreshAll();
    // A folder just typed may have been made for it meanwhile: ask the file system again.
    refreshConflicts(true);
}

void ContentView::showDestinationWarning()
{
    const bool missing = !m_text1.isEmpty() && !QFileInfo(m_text1).isDir();
    m_destinationWarning->setText(
        missing ? tr("⚠ The folder “%1” does not exist; encoding into it will fail until it is created.")
                      .arg(m_text1)
                : QString());
    m_destinationWarning->setVisible(missing);
}

void ContentView::stopWork()
{
    if (isRunning()) {
        m_stoppedByUser = true;
        m_encoder->stop();
        return;
    }
    m_session->stopImports();
}

bool ContentView::event(QEvent *event)
{
    // Back in the window: files may have come or gone meanwhile.
    if (event->type() == QEvent::WindowActivate) {
        m_paths.clear();
        scheduleConflicts();
    }
    return QWidget::event(event);
}

void ContentView::scheduleConflicts()
{
    m_conflictTimer->start();
}

FileProbe ContentView::probe()
{
    return [this](const QString &path) { return m_paths.state(path); };
}

void ContentView::refreshConflicts(bool rescan)
{
    m_conflictTimer->stop();
    if (rescan)
        m_paths.clear();
    m_model->setPlans(planOutputs(m_model->jobs(), Preferences::existingOutput(), probe()));
}

PlannedOutput ContentView::plannedOutput(const MediaVideo &job)
{
    QList<MediaVideo::Ptr> jobs = m_model->jobs();
    int row = m_model->rowOf(job.id);
    const auto edited = std::make_shared<MediaVideo>(job);
    if (row < 0) {
        row = int(jobs.size());
        jobs << edited;
    } else {
        jobs[row] = edited;
    }
    // A destination being typed is asked about afresh; it is not kept for the list.
    const FileProbe cached = probe();
    const QString typed = job.destination;
    const FileProbe fresh = [&cached, &typed](const QString &path) {
        return path == typed ? probePath(path) : cached(path);
    };
    return planOutputs(jobs, Preferences::existingOutput(), fresh).at(row);
}

void ContentView::startWatching()
{
    applyWatchSetup(m_session->watchSetup());
}

void ContentView::applyWatchSetup(const WatchSetup &setup)
{
    m_session->setWatchSetup(setup);
    m_watchPanel->setSetup(setup);
    if (!setup.folders.isEmpty())
        makeIntake();
    if (!m_intake)
        return;
    QList<WatchedFolder> active;
    for (const WatchedFolder &folder : setup.folders) {
        if (!folder.paused)
            active << folder;
    }
    m_intake->setFolders(active);
}

void ContentView::makeIntake()
{
    if (!m_intake) {
        m_intake = new FolderIntake(m_session->dataFolder(), m_watchSettleMs, this);
        connect(m_intake, &FolderIntake::arrived, this, &ContentView::fileArrived);
        connect(m_intake, &FolderIntake::folderState, this,
                [this](const QString &folder, const QString &message, bool watching) {
                    if (folder.isEmpty()) {
                        // About the record: the folders still work, but files may be taken again. Said
                        // once a session.
                        if (std::exchange(m_recordProblemTold, true))
                            return;
                        QString text = message;
                        text[0] = text[0].toUpper();
                        auto *box = new QMessageBox(QMessageBox::Warning, tr("Watched folders"), text,
                                                    QMessageBox::Ok, window());
                        box->setObjectName(QStringLiteral("watchRecordProblem"));
                        box->setWindowModality(Qt::WindowModal);
                        box->setAttribute(Qt::WA_DeleteOnClose);
                        box->open();
                    } else
                        m_watchPanel->setState(folder, message, watching);
                });
    }
}

void ContentView::watchFolder()
{
    auto *dialog =
        new WatchFolderDialog(m_session->presets().all(), m_session->watchSetup(), m_panels, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const WatchedFolder folder = dialog->folder();
        const bool includePresent = dialog->includePresent();
        const auto add = [this, folder, includePresent] {
            WatchSetup setup = m_session->watchSetup();
            if (setup.indexOf(folder.path) >= 0)
                return;
            setup.folders << folder;
            // What is there already is recorded before the folder is watched, so none of it is offered.
            makeIntake();
            if (!includePresent)
                m_intake->skipPresent(folder.path);
            applyWatchSetup(setup);
        };
        if (folder.preset.isEmpty()) {
            add();
        } else if (const std::optional<Preset> preset = m_session->presets().find(folder.preset)) {
            PresetDialogs::confirmParameters(this, *preset, add);
        }
    });
    dialog->open();
}

void ContentView::fileArrived(const QString &folder, const QString &path)
{
    // A folder paused or removed meanwhile is seen to when the files join the list.
    m_arrivals.append({folder, path});
    // During a run the list takes nothing: the files join it when the run ends.
    if (!isRunning())
        m_arrivalTimer->start();
}

void ContentView::importArrivals(bool convert)
{
    if (isRunning() || m_arrivals.isEmpty())
        return;
    const WatchSetup &setup = m_session->watchSetup();
    QSet<QString> sources, outputs;
    for (const MediaVideo::Ptr &job : m_model->jobs()) {
        sources << job->source;
        if (!job->result.writtenPath.isEmpty())
            outputs << job->result.writtenPath;
        if (!job->destination.isEmpty())
            outputs << job->destination;
    }
    QList<WatchImport> imports;
    for (const auto &[folder, path] : std::exchange(m_arrivals, {})) {
        const int index = setup.indexOf(folder);
        if (index < 0 || setup.folders[index].paused) {
            m_intake->release(path); // found again once the folder is watched again
            continue;
        }
        // A file of the list, a source or an output, is not a new one.
        if (sources.contains(path) || outputs.contains(path)) {
            m_intake->record(path,
                             sources.contains(path) ? QStringLiteral("taken") : QStringLiteral("output"));
            continue;
        }
        sources << path;
        auto it = std::find_if(imports.begin(), imports.end(),
                               [&](const WatchImport &import) { return import.folder == folder; });
        if (it == imports.end())
            it = imports.insert(imports.end(), WatchImport{folder, {}, convert});
        it->files << path;
    }
    for (const WatchImport &import : std::as_const(imports)) {
        const WatchedFolder &folder = setup.folders[setup.indexOf(import.folder)];
        // The folder's preset over the stored defaults, or what any new file takes.
        PresetLibrary::NewJobSettings chosen;
        if (folder.preset.isEmpty())
            chosen.settings = m_session->newJobSettings(&chosen.problem);
        else
            chosen = m_session->presets().forNewJobs(Preferences::jobSettings(), folder.preset);
        if (!chosen.problem.isEmpty())
            m_watchPanel->setState(folder.path, chosen.problem, true);
        const int number = m_session->import({import.files, {}, m_text1, {}, false, chosen.settings});
        m_watchImports.insert(number, import);
    }
    updateCommands();
}

void ContentView::arrivalsImported(int number, const ImportReport &report)
{
    const WatchImport import = m_watchImports.take(number);
    QSet<QString> refused;
    for (const auto &[source, reason] : report.refused) {
        refused << source;
        m_intake->record(source, QStringLiteral("refused"));
        m_watchPanel->setState(import.folder,
                               tr("“%1” not added: %2").arg(printableText(fileName(source)), reason), true);
    }
    QSet<QString> listed;
    for (const MediaVideo::Ptr &job : m_model->jobs())
        listed << job->source;
    int taken = 0;
    for (const QString &path : import.files) {
        if (refused.contains(path))
            continue;
        if (!listed.contains(path)) {
            m_intake->release(path); // stopped before it was probed
            continue;
        }
        m_intake->record(path, QStringLiteral("taken"));
        ++taken;
        if (import.convert && m_session->watchSetup().convertNewFiles)
            m_convertNext << path;
    }
    m_watchPanel->addTaken(import.folder, taken);
    runNewFiles();
}

void ContentView::runNewFiles()
{
    // Not while the user edits a job or the settings: the run starts once the editor or Setup closes.
    const bool editing = m_setup || !findChildren<DetailView *>(Qt::FindDirectChildrenOnly).isEmpty();
    if (m_convertNext.isEmpty() || isRunning() || m_status->isDisable() || m_question || editing)
        return;
    QList<MediaVideo::Ptr> jobs;
    for (const MediaVideo::Ptr &job : pendingJobs(m_model->jobs())) {
        if (m_convertNext.contains(job->source))
            jobs << job;
    }
    m_convertNext.clear();
    runJobs(jobs);
}
