#include "watch/FolderIntake.h"

#include "watch/FolderWatch.h"
#include "watch/WatchRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>

// Lives on the intake's thread; reaches the intake through queued calls only.
class IntakeWorker : public QObject
{
public:
    IntakeWorker(QString recordFolder, qint64 settleMs, FolderIntake *intake)
        : m_record(std::move(recordFolder), QStringLiteral("window-watch-record.json")), m_settleMs(settleMs),
          m_intake(intake)
    {
        m_saveTimer.setParent(this); // moves to the intake's thread with its owner
        m_saveTimer.setSingleShot(true);
        m_saveTimer.setInterval(0);
        connect(&m_saveTimer, &QTimer::timeout, this, &IntakeWorker::save);
    }

    ~IntakeWorker() override
    {
        m_watches.clear();
        if (m_saveTimer.isActive())
            save();
    }

    void load()
    {
        if (const QString message = m_record.load(); !message.isEmpty())
            tell({}, message, true);
        if (m_record.prune(QDateTime::currentMSecsSinceEpoch()))
            m_saveTimer.start();
    }

    void setFolders(const QList<WatchedFolder> &folders)
    {
        const auto wanted = [&](const QString &path, int pollSeconds) {
            return std::any_of(folders.cbegin(), folders.cend(), [&](const WatchedFolder &f) {
                return f.path == path && f.pollSeconds == pollSeconds;
            });
        };
        for (auto it = m_watches.begin(); it != m_watches.end();) {
            if (!wanted(it->first, m_polls.value(it->first)))
                it = m_watches.erase(it);
            else
                ++it;
        }
        for (const WatchedFolder &folder : folders) {
            const QString path = folder.path;
            if (m_watches.count(path))
                continue;
            m_polls.insert(path, folder.pollSeconds);
            auto watch = std::make_unique<FolderWatch>(options(path, folder.pollSeconds));
            FolderWatch *w = watch.get();
            connect(w, &FolderWatch::ready, this, [this, path](const QString &file) { offer(path, file); });
            connect(w, &FolderWatch::problem, this,
                    [this, path](const QString &message) { tell(path, message, true); });
            connect(w, &FolderWatch::rootState, this, [this, path](const QString &, bool present) {
                tell(path,
                     present ? QString()
                             : QCoreApplication::translate("FolderIntake",
                                                           "The folder is not there; it is watched again "
                                                           "once it is back."),
                     present);
            });
            m_watches[path] = std::move(watch);
            if (const QString problem = w->start(); !problem.isEmpty())
                tell(path, problem, false);
            else if (QFileInfo(path).isDir())
                tell(path, {}, true);
        }
    }

    void skipPresent(const QString &folder)
    {
        FolderWatch walk(options(folder, 0));
        QStringList incomplete;
        for (const QString &path : walk.completeNow(incomplete)) {
            const std::optional<WatchRecord::Found> found = m_record.lookUp(path);
            if (!found)
                continue;
            if (found->kind == RecordMatch::Kind::New)
                m_record.record(found->now, QStringLiteral("present"));
            m_saveTimer.start();
        }
    }

    void record(const QString &path, const QString &outcome)
    {
        m_offered.remove(path);
        if (m_record.record({path, 0, 0, {}, {}, {}}, outcome))
            m_saveTimer.start();
    }

    void release(const QString &path) { m_offered.remove(path); }

private:
    FolderWatch::Options options(const QString &folder, int pollSeconds) const
    {
        FolderWatch::Options options;
        options.folders = {folder};
        options.settleMs = m_settleMs;
        options.pollMs = qint64(pollSeconds) * 1000;
        return options;
    }

    void offer(const QString &folder, const QString &path)
    {
        // Offered and not answered yet: a folder paused and watched again finds it once more.
        if (m_offered.contains(path))
            return;
        const std::optional<WatchRecord::Found> found = m_record.lookUp(path);
        if (!found)
            return;
        if (found->changed)
            m_saveTimer.start();
        // A copy of a file taken before, beside it, is not taken again: said, as nothing else shows it.
        if (found->kind == RecordMatch::Kind::Moved && QFileInfo::exists(found->before.path))
            tell(folder,
                 QCoreApplication::translate("FolderIntake", "Not taken: “%1” is a copy of “%2”")
                     .arg(QFileInfo(path).fileName(), QFileInfo(found->before.path).fileName()),
                 true);
        if (found->kind != RecordMatch::Kind::New)
            return;
        m_offered.insert(path);
        QMetaObject::invokeMethod(
            m_intake, [intake = m_intake, folder, path] { emit intake->arrived(folder, path); },
            Qt::QueuedConnection);
    }

    void tell(const QString &folder, const QString &message, bool watching)
    {
        QMetaObject::invokeMethod(
            m_intake,
            [intake = m_intake, folder, message, watching] {
                emit intake->folderState(folder, message, watching);
            },
            Qt::QueuedConnection);
    }

    void save()
    {
        if (const QString error = m_record.save(); !error.isEmpty())
            tell({}, error, true);
    }

    WatchRecord m_record;
    qint64 m_settleMs;
    FolderIntake *m_intake;
    std::map<QString, std::unique_ptr<FolderWatch>> m_watches;
    QHash<QString, int> m_polls; // folder -> its poll interval, 0 for inotify
    QSet<QString> m_offered;
    QTimer m_saveTimer;
};

FolderIntake::FolderIntake(const QString &recordFolder, qint64 settleMs, QObject *parent)
    : QObject(parent), m_worker(new IntakeWorker(recordFolder, settleMs, this))
{
    m_thread.setObjectName(QStringLiteral("folder intake"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->load(); });
}

FolderIntake::~FolderIntake()
{
    // The worker goes on its own thread (its watches and timers belong there), saving what is left.
    QMetaObject::invokeMethod(m_worker, [w = m_worker] {
        delete w;
        QThread::currentThread()->quit();
    });
    m_thread.wait();
}

void FolderIntake::setFolders(const QList<WatchedFolder> &folders)
{
    QMetaObject::invokeMethod(m_worker, [w = m_worker, folders] { w->setFolders(folders); });
}

void FolderIntake::skipPresent(const QString &folder)
{
    QMetaObject::invokeMethod(m_worker, [w = m_worker, folder] { w->skipPresent(folder); });
}

void FolderIntake::record(const QString &path, const QString &outcome)
{
    QMetaObject::invokeMethod(m_worker, [w = m_worker, path, outcome] { w->record(path, outcome); });
}

void FolderIntake::release(const QString &path)
{
    QMetaObject::invokeMethod(m_worker, [w = m_worker, path] { w->release(path); });
}
