#pragma once

#include "model/MediaVideo.h"
#include "model/Preferences.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// What the file system says of one path, as far as conflicts between outputs go.
struct PathState
{
    // Something is there: a file, a directory, a FIFO, a device, a symbolic link (even a dangling one).
    bool present = false;
    // What is there is a plain file (not a link, folder, FIFO or device): the only kind Overwrite replaces.
    bool regular = false;
    // Equal for two paths that name one file: its device and inode when it can be reached, otherwise
    // the path with its folder's links resolved.
    QString identity;
};

using FileProbe = std::function<PathState(const QString &path)>;

// Asks the file system itself, without following a link at the end of the path for `present`.
PathState probePath(const QString &path);

// Keeps what probePath() answered for each path until cleared, so that a list of thousands of jobs is
// not asked about again whenever one row changes. Clear it when the files may have changed behind it.
class PathCache
{
public:
    PathState state(const QString &path);
    void clear() { m_states.clear(); }

private:
    QHash<QString, PathState> m_states;
};

// Why a job's output is not simply a new file.
struct OutputConflict
{
    enum class Kind {
        None,
        SameAsSource, // the destination is the job's own source
        Exists,       // something is already at the destination
        Shared,       // another job of the list writes to the same place
        OtherSource,  // the destination is the source of another job of the list
    };

    Kind kind = Kind::None;
    int otherJob = 0; // for Shared and OtherSource: the other job's number in the list, from 1
    QString text;     // one line for the user, worded after the policy; empty for None

    bool isNone() const { return kind == Kind::None; }
};

// The conflict of every job, in list order, as the policy for existing outputs will meet it at run time.
//
// A job gets one kind, the first that applies of: its own source, another job's source, an existing
// file, another job's destination. A job without a destination has none (the run reports that one itself).
QList<OutputConflict> findOutputConflicts(const QList<MediaVideo::Ptr> &jobs,
                                          Preferences::ExistingOutput policy, const FileProbe &probe);
