#include "session/Session.h"
#include "media/JobCommand.h"

#include "media/FileScan.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "rules/CommandLine.h"
#include "rules/CrfSearch.h"
#include "rules/JobRules.h"
#include "rules/OutputName.h"

#include <QFileInfo>

#include <algorithm>

namespace {

ToolRunner cancelledBy(ToolRunner tools, std::shared_ptr<std::atomic_bool> flag)
{
    tools.setCancellation(std::move(flag));
    return tools;
}

} // namespace

Session::Session(ToolRunner tools, QObject *parent, QString encoderCache)
    : QObject(parent), m_tools(cancelledBy(std::move(tools), m_closing)), m_encoders(std::move(encoderCache)),
      m_encoder(m_tools)
{
    qRegisterMetaType<ImportReport>();
    // The run status shows the encoder's runs.
    m_status.follow(&m_encoder);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(0);
    connect(&m_saveTimer, &QTimer::timeout, this, &Session::save);
    m_jobs.setEncoderCatalog(&m_encoders);
    // A job whose encoder failed its check is refused with the check's reason.
    m_encoder.setCommandBuilder([catalog = &m_encoders](const MediaVideo &job, const ToolRunner &runner,
                                                        const QString &globalParams, CropDetection crop) {
        return commandLine(job, runner, globalParams, crop, catalog, ExistingFiles::Keep);
    });
}

RunOptions Session::storedRunOptions()
{
    RunOptions options;
    options.existing = Preferences::existingOutput();
    options.globalParams = Preferences::readText(Preferences::Key::otherParams).value_or(QString());
    options.simultaneousJobs = Preferences::simultaneousJobs();
    options.keepLarger = Preferences::readInt(Preferences::Key::largerOutput) == 0;
    options.skipSameFormat = Preferences::readBool(Preferences::Key::skipSameFormat);
    options.checkQuality = Preferences::readBool(Preferences::Key::checkQuality);
    return options;
}

void Session::checkEncoders()
{
    if (m_encodersChecked.valid())
        return;
    auto checked = std::make_shared<std::promise<void>>();
    m_encodersChecked = checked->get_future().share();
    // Even reading the cache touches the disk: none of it on this thread.
    m_workers.run([this, checked] {
        const bool started = m_encoders.checkAll(
            m_tools, [this](std::function<void()> task) { m_workers.run(std::move(task)); },
            [checked] { checked->set_value(); });
        if (!started)
            checked->set_value();
    });
}

bool Session::waitForEncoderCheck(int milliseconds)
{
    if (!m_encodersChecked.valid())
        return false;
    if (milliseconds < 0) {
        m_encodersChecked.wait();
        return true;
    }
    return m_encodersChecked.wait_for(std::chrono::milliseconds(milliseconds)) == std::future_status::ready;
}

Session::~Session()
{
    stop();
    m_closing->store(true);
    // A job still converting is saved as running: it comes back Interrupted.
    flushJobs();
    // The members do the rest, in reverse order: the encoder joins its worker, then the workers end.
}

QString Session::keepJobsIn(const QString &folder, bool previews)
{
    if (m_queueFile)
        return {};
    m_queueFile.emplace(folder);
    const QueueFile::LoadResult loaded = m_queueFile->load();
    m_jobs.append(loaded.jobs);
    m_watch = loaded.watch;
    if (previews)
        remakePreviews(loaded.jobs);

    connect(&m_jobs, &JobListModel::rowsInserted, this, &Session::scheduleSave);
    connect(&m_jobs, &JobListModel::rowsRemoved, this, &Session::scheduleSave);
    connect(&m_jobs, &JobListModel::rowsMoved, this, &Session::scheduleSave);
    connect(&m_jobs, &JobListModel::layoutChanged, this, &Session::scheduleSave);
    connect(&m_jobs, &JobListModel::modelReset, this, &Session::scheduleSave);
    connect(&m_jobs, &JobListModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                // What the rows show of the file system and the previews are not part of a job.
                const bool shownOnly =
                    !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [](int role) {
                        return role == JobListModel::ConflictRole || role == JobListModel::ThumbnailRole ||
                               role == JobListModel::ChoiceRole;
                    });
                if (!shownOnly)
                    scheduleSave();
            });
    connect(&m_encoder, &BatchEncoder::jobStarted, this, [this](const QUuid &id) {
        m_runningJobs.insert(id);
        scheduleSave();
    });
    connect(&m_encoder, &BatchEncoder::jobSearching, this, [this](const QUuid &id) {
        const MediaVideo::Ptr job = m_jobs.job(m_jobs.rowOf(id));
        const QString target = job ? targetText(job->qualityTarget / 10000.0) : QString();
        m_jobs.setChoiceNote(id, tr("Choosing the quality for %1…").arg(target));
    });
    connect(
        &m_encoder, &BatchEncoder::jobQualityChosen, this,
        [this](const QUuid &id, int, const CrfChoice &choice) { m_jobs.setChoiceNote(id, choice.text()); });
    connect(&m_encoder, &BatchEncoder::jobFinished, this, [this](const QUuid &id) {
        m_jobs.setChoiceNote(id, {});
        m_runningJobs.remove(id);
        scheduleSave();
    });
    connect(&m_encoder, &BatchEncoder::runFinished, this, [this] {
        m_runningJobs.clear();
        scheduleSave();
        for (const auto &[job, picture] : std::exchange(m_heldPreviews, {}))
            previewMade(job, picture);
    });
    return loaded.message;
}

void Session::scheduleSave()
{
    if (m_queueFile && !m_saveTimer.isActive())
        m_saveTimer.start();
}

void Session::save()
{
    if (!m_queueFile)
        return;
    // Copies are cheap (their texts and pictures are shared) and let the writer read without a lock
    // while this thread goes on editing the jobs.
    QList<MediaVideo::Ptr> copies;
    copies.reserve(m_jobs.rowCount());
    for (const MediaVideo::Ptr &job : m_jobs.jobs())
        copies << std::make_shared<MediaVideo>(*job);
    const std::shared_ptr<PendingSave> pending = m_pendingSave;
    {
        const std::lock_guard lock(pending->mutex);
        pending->jobs = std::move(copies);
        pending->running = m_runningJobs;
        pending->watch = m_watch;
        pending->pending = true;
        if (pending->writing)
            return; // the writer takes the newest list when it is done with the one it writes
        pending->writing = true;
    }
    m_workers.write([this, pending, file = *m_queueFile] {
        for (;;) {
            QList<MediaVideo::Ptr> jobs;
            QSet<QUuid> running;
            WatchSetup watch;
            {
                const std::lock_guard lock(pending->mutex);
                if (!pending->pending) {
                    pending->writing = false;
                    return;
                }
                pending->pending = false;
                jobs = std::exchange(pending->jobs, {});
                running = pending->running;
                watch = pending->watch;
            }
            const QString error = file.save(jobs, running, watch).error;
            {
                const std::lock_guard lock(pending->mutex);
                pending->lastError = error;
            }
            QMetaObject::invokeMethod(
                this, [this, error] { saved(error); }, Qt::QueuedConnection);
        }
    });
}

void Session::setWatchSetup(const WatchSetup &setup)
{
    if (setup == m_watch)
        return;
    m_watch = setup;
    scheduleSave();
}

QString Session::dataFolder() const
{
    return m_queueFile ? m_queueFile->directory() : defaultDataFolder();
}

void Session::saved(const QString &error)
{
    if (error.isEmpty()) {
        m_saveFailing = false;
    } else if (!m_saveFailing) {
        m_saveFailing = true;
        emit jobsNotSaved(error);
    }
}

QString Session::flushJobs()
{
    if (!m_queueFile)
        return {};
    if (m_saveTimer.isActive()) {
        m_saveTimer.stop();
        save();
    }
    m_workers.waitForWrites();
    const std::lock_guard lock(m_pendingSave->mutex);
    return m_pendingSave->lastError;
}

void Session::remakePreviews(const QList<MediaVideo::Ptr> &jobs)
{
    for (const MediaVideo::Ptr &job : jobs) {
        if (job->source.isEmpty())
            continue;
        // After any import: nobody waits for these, and a job removed meanwhile needs none.
        m_workers.runLater([this, weak = std::weak_ptr<MediaVideo>(job), source = job->source,
                            seek = job->durationVideoMiddle, tools = m_tools] {
            if (weak.expired() || m_closing->load())
                return;
            auto picture = std::make_shared<MediaVideo>();
            if (!picture->setImageData(makePreviewImage(tools, source, seek)))
                return;
            QMetaObject::invokeMethod(
                this, [this, weak, picture] { previewMade(weak, picture); }, Qt::QueuedConnection);
        });
    }
}

void Session::previewMade(const std::weak_ptr<MediaVideo> &job, const std::shared_ptr<MediaVideo> &picture)
{
    const MediaVideo::Ptr target = job.lock();
    if (!target)
        return;
    // A run reads its jobs on its own thread; the picture waits until it has ended.
    if (m_encoder.isRunning()) {
        m_heldPreviews.append({job, picture});
        return;
    }
    target->copyImageFrom(*picture);
    m_jobs.refresh(target->id, {JobListModel::ThumbnailRole});
}

int Session::import(ImportRequest request)
{
    const int number = m_nextImport++;
    Import &entry = m_imports[number];
    entry.cancelled = std::make_shared<std::atomic_bool>(false);
    entry.withSheet = request.withSheet;
    if (request.withSheet) {
        m_status.setPercentValue(0);
        m_status.setCurrentEncodeFile({});
        m_status.setActiveEncoding({});
        m_status.setNbrFilesEncoding(int(request.files.size()));
        m_status.setSecondsLeft(-1, -1);
        m_status.setShowProgressBar(true);
        m_status.setIsDisable(true);
    }

    m_workers.serial([this, number, request = std::move(request), cancelled = entry.cancelled] {
        // Folders are walked here, off the user interface thread, one import after another, so the
        // numbers given to the files follow the order of the requests.
        QList<std::pair<QString, QString>> work; // source, destination directory
        QStringList skipped;
        for (const QString &file : request.files)
            work.append({file, request.directory});
        for (const QString &folder : request.folders) {
            if (cancelled->load())
                break;
            const VideoScan found = findVideoFiles(folder);
            for (const QString &file : found.files)
                work.append({file, QString()});
            skipped += found.unusable;
        }
        const int first = m_nextSequence;
        m_nextSequence += int(work.size());
        const int total = int(work.size());
        QMetaObject::invokeMethod(
            this, [this, number, first, total, skipped] { importPlanned(number, first, total, skipped); },
            Qt::QueuedConnection);

        for (int i = 0; i < total; ++i) {
            const int sequence = first + i;
            const auto &[source, into] = work.at(i);
            ToolRunner tools = m_tools;
            // A stop ends the tools of this import at once (and the session's end, which stops imports).
            tools.setCancellation(cancelled);
            m_workers.run([this, sequence, source, into, cancelled, adjust = request.adjust,
                           settings = request.settings, tools] {
                MediaVideo::Ptr job;
                QString refusal;
                if (!cancelled->load()) {
                    // Without a name template the output keeps the source's name, with the extension
                    // of the container it is written in.
                    job = createMediaVideo(
                        source, withContainerExtension(importDestination(source, into), settings.container),
                        tools, settings);
                    refusal = noVideoReason(*job);
                    if (!refusal.isEmpty())
                        job.reset();
                    if (job && adjust && !cancelled->load())
                        adjust(*job);
                    if (cancelled->load()) {
                        job.reset();
                        refusal.clear();
                    }
                }
                QMetaObject::invokeMethod(
                    this, [this, sequence, job, source, refusal] { probed(sequence, job, source, refusal); },
                    Qt::QueuedConnection);
            });
        }
    });
    return number;
}

void Session::importPlanned(int import, int firstSequence, int total, const QStringList &skipped)
{
    const auto it = m_imports.find(import);
    if (it == m_imports.end())
        return;
    it->started = true;
    it->firstSequence = firstSequence;
    it->total = total;
    it->report.skipped = skipped;
    if (it->withSheet)
        m_status.setNbrFilesEncoding(total);
    emit importStarted(import, total);
    if (total == 0)
        finishImport(import);
}

void Session::probed(int sequence, const MediaVideo::Ptr &job, const QString &source, const QString &refusal)
{
    m_ready.insert(sequence, {job, source, refusal});
    // Jobs enter the list in the order they were asked for, whatever order the workers end in.
    while (m_ready.contains(m_expected)) {
        const Probed done = m_ready.take(m_expected);
        const MediaVideo::Ptr &ready = done.job;
        const QString name = QFileInfo(done.source).fileName();
        const int sequenceDone = m_expected++;
        int owner = -1;
        for (auto it = m_imports.begin(); it != m_imports.end(); ++it) {
            if (it->started && sequenceDone >= it->firstSequence &&
                sequenceDone < it->firstSequence + it->total) {
                owner = it.key();
                break;
            }
        }
        if (owner < 0)
            continue;
        Import &entry = m_imports[owner];
        ++entry.done;
        if (ready) {
            m_jobs.append(ready);
            ++entry.report.imported;
        } else if (!done.refusal.isEmpty()) {
            entry.report.refused.append({done.source, done.refusal});
        }
        if (entry.withSheet) {
            m_status.setNbrFilesEncoding(entry.total);
            m_status.setCurrentEncodeFile(name);
            m_status.setActiveEncoding(QString::number(entry.done));
            m_status.setPercentValue(double(entry.done) / entry.total * 100.0);
        }
        emit importProgress(owner, entry.done, entry.total, name);
        if (entry.done == entry.total)
            finishImport(owner);
    }
}

void Session::finishImport(int import)
{
    const auto it = m_imports.find(import);
    if (it == m_imports.end())
        return;
    Import entry = *it;
    m_imports.erase(it);
    entry.report.cancelled = entry.cancelled->load();
    if (entry.withSheet) {
        bool otherSheet = false;
        for (const Import &other : std::as_const(m_imports))
            otherSheet = otherSheet || other.withSheet;
        if (!otherSheet) {
            m_status.setShowProgressBar(false);
            m_status.setIsDisable(false);
        }
    }
    emit importFinished(import, entry.report);
}

void Session::stopImports()
{
    for (const Import &entry : std::as_const(m_imports))
        entry.cancelled->store(true);
}

void Session::stop()
{
    stopImports();
    m_encoder.stop();
}

PresetLibrary Session::presets()
{
    return PresetLibrary(PresetStore(PresetStore::defaultFolder()),
                         [catalog = &m_encoders](VideoEncoders encoder) {
                             return catalog->unavailableReason(rawText(encoder));
                         });
}

JobSettings Session::newJobSettings(QString *problem)
{
    const PresetLibrary::NewJobSettings chosen =
        presets().forNewJobs(Preferences::jobSettings(),
                             Preferences::readText(Preferences::Key::presetForNewFiles).value_or(QString()));
    if (problem)
        *problem = chosen.problem;
    return chosen.settings;
}
