#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <utility>

class QSocketNotifier;

// Watches folders, their sub-folders included, and offers each video file once it is complete: its size
// and modification time unchanged for the settle time, and no process holding it open for writing.
// Hidden files and folders, temporary names and files that are not videos are never offered, nor
// anything below an excluded folder.
//
// Through inotify, where a file closed after writing is seen as it happens; with a poll interval, by
// walking the folders again at that interval instead (network shares, where inotify sees nothing of
// other machines). A file offered is offered again only once its size or time changes.
//
// Lives on one thread; everything happens through its event loop.
class FolderWatch : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QStringList folders;  // absolute
        QStringList excluded; // absolute folders never walked (the outputs' folder, for instance)
        qint64 settleMs = 10000;
        qint64 pollMs = 0; // 0: inotify
    };

    explicit FolderWatch(Options options, QObject *parent = nullptr);
    ~FolderWatch() override;

    // Walks the folders and starts watching: ready() follows for the files complete by then, later for
    // each file as it becomes complete. Returns why watching cannot start, or empty text.
    QString start();
    // One walk, without watching: the files complete now, and in `incomplete` those that are not yet.
    QStringList completeNow(QStringList &incomplete);

    // Whether `path` lies on a network file system (NFS, SMB, or FUSE mounts such as sshfs), where
    // inotify sees nothing that other machines write.
    static bool isNetworkFolder(const QString &path);

    // The files (device and inode) processes of this user have open for writing.
    static QSet<std::pair<quint64, quint64>> filesOpenForWriting();

signals:
    void ready(const QString &path);
    // A file waited for went away before it was complete.
    void gone(const QString &path);
    // A name that cannot be spelt in UTF-8 (shown escaped), or a folder that cannot be watched.
    void problem(const QString &message);
    // A watched folder went (removed, moved away, unmounted) or is back, and watched again. While one is
    // missing it is looked for every two seconds.
    void rootState(const QString &root, bool present);

private:
    struct Pending
    {
        qint64 size = 0;
        qint64 modifiedMs = 0;
        qint64 unchangedSinceMs = 0;
        bool writing = false;   // inotify saw it written and not closed since
        qint64 notBeforeMs = 0; // found open for writing: looked at again then
    };

    void walk(const QByteArray &directory, const QString &root, QStringList &seen, bool watch);
    void watchDirectory(const QByteArray &directory, const QString &root);
    void observe(const QString &path, bool writing);
    void forget(const QString &path, bool below);
    void readEvents();
    void checkPending();
    void scheduleCheck();
    void rescan();
    bool isExcluded(const QString &path) const;
    qint64 now() const;
    void tell(const QString &message);

    Options m_options;
    int m_inotify = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<int, QString> m_watchPaths;                    // inotify watch -> folder
    QHash<QString, QString> m_rootOf;                    // folder -> the watched folder it lies in
    QHash<QString, Pending> m_pending;                   // files waited for
    QHash<QString, std::pair<qint64, qint64>> m_offered; // size and time when offered
    QSet<QString> m_told;                                // problems said already
    QSet<QString> m_missingRoots;                        // watched folders not there now
    QTimer m_checkTimer;
    QTimer m_pollTimer;
    QTimer m_rootTimer;
};
