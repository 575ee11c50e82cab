#pragma once

#include "model/JobSettings.h"
#include "model/ResultReason.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class MediaVideo;

// What the file system says of one path, as far as the output plan goes.
struct PathState
{
    // Something is there: a file, a directory, a FIFO, a device, a symbolic link (even a dangling one).
    bool present = false;
    // What is there is a plain file (not a link, folder, FIFO or device): the only kind Overwrite replaces.
    bool regular = false;
    // Equal for two paths that name one file: its device and inode when it can be reached, otherwise
    // the path with its folder's links resolved.
    QString identity;
    // The path with its folder's links resolved, whatever is there: equal for two spellings of one name.
    QString resolved;
};

using FileProbe = std::function<PathState(const QString &path)>;

// Why a job's output cannot simply take its destination's name.
enum class OutputObstacle {
    None,
    OwnSource,   // the destination is the job's own source
    OtherSource, // the destination is the source of another job
    Claimed,     // an earlier job writes there
    RegularFile, // a plain file is there
    OtherFile,   // a link, folder, FIFO or device is there
};

// Where one job's output goes, and why.
struct PlannedOutput
{
    enum class Action {
        Write,   // into the destination, which is free
        Replace, // over the plain file at the destination (Overwrite)
        Rename,  // into a free name beside the destination (Rename)
        NotRun,  // nowhere: the job is not run (Skip, or nothing the policy allows)
    };

    Action action = Action::Write;
    OutputObstacle obstacle = OutputObstacle::None;
    QString destination;           // the name asked for
    QString path;                  // the name written; empty for NotRun
    int otherJob = 0;              // for OtherSource and Claimed: the other job's number in the list, from 1
    QString otherSource;           // and its source
    bool skipped = false;          // NotRun because the policy is Skip
    bool policyLeftNoName = false; // NotRun because no free name is left (Rename)

    bool runs() const { return action != Action::NotRun; }
    // "clip.mp4 exists": why the output went to another name (Rename), or empty text.
    ResultReason causeReason() const;
    QString cause() const { return causeReason().toString(); }
    // One line: why the job is not run (NotRun), or empty text.
    ResultReason refusalReason() const;
    QString refusal() const { return refusalReason().toString(); }
    // The row's line: what the run will meet at the destination and do, or empty text when the
    // destination is simply written.
    QString note() const;
};

// Plans outputs one job after another, each one seeing the names the jobs before it took.
//
// The same planner serves the list's rows (every job, before a run) and the run itself, which asks
// again at the moment of writing with the disk as it is then: the two cannot disagree. The policy:
// Rename takes a free name for any obstacle; Skip writes only into a free destination; Overwrite
// replaces a plain file that is neither a source nor another job's output, and writes nowhere else.
// A job never writes over a source, its own or another's.
class OutputPlanner
{
public:
    // `sources` are the sources of every job concerned (the list, or the run), in order: job k is
    // sources[k - 1].
    OutputPlanner(ExistingOutput policy, FileProbe probe, const QStringList &sources);

    // The plan of job `number` (from 1); its path is taken from here on.
    PlannedOutput plan(int number, const QString &source, const QString &destination);
    // The plan again, for a job whose destination name was taken after it was planned (the disk changed
    // while it encoded): what Rename or Skip now does. Overwrite never replaces what appeared meanwhile.
    PlannedOutput replan(int number, const QString &source, const QString &destination);
    // `path` is taken by job `number` (an output it wrote under another name than planned).
    void claim(int number, const QString &path);
    void release(int number);
    // Taken: something is on disk there, it is a source, or a job claimed it.
    bool isTaken(const QString &path) const;

private:
    PlannedOutput decide(int number, const QString &source, const QString &destination, bool late);

    ExistingOutput m_policy;
    FileProbe m_probe;
    QStringList m_sources;
    QHash<QString, int> m_sourceIdentities; // identity -> job number
    QHash<QString, int> m_claims;           // resolved path -> job number
};

// The plan of every job of the list, in list order, with the disk as `probe` sees it. A job without a
// destination gets an empty plan (the run reports that one itself).
QList<PlannedOutput> planOutputs(const QList<std::shared_ptr<MediaVideo>> &jobs, ExistingOutput policy,
                                 const FileProbe &probe);
