#pragma once

#include "encoding/RunOptions.h"
#include "rules/OutputPlan.h"

#include <QString>

#include <mutex>
#include <optional>

#include <sys/stat.h>

// Where a job's output goes: whether its destination's name is free, what the policy does when it is
// not, and, once the output is complete, giving it that name without ever replacing a file the run did
// not create (Overwrite aside, which replaces a regular file whole).

// The identity of a file, to tell whether the file found at a name is still the one written.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;

    bool operator==(const FileId &other) const { return device == other.device && inode == other.inode; }
};

// A regular file, through links: something ffmpeg can read to its end without waiting.
bool isRegularFile(const QString &path);

// What stands at a path, the path itself looked at: a link is not followed.
enum class Occupant { Nothing, RegularFile, Other };
Occupant occupantOf(const QString &path, struct stat *st = nullptr);

// The finished output in the job's folder, as found once ffmpeg has ended.
struct TemporaryFile
{
    QString path;
    FileId id;

    // Still the file found then (nobody put another in its place meanwhile).
    bool isOurs() const;
    // Nonempty, and ours.
    bool hasContent() const;
};

// Gives the finished file (ours, still in the job's folder) the modification time of its source; a source
// gone meanwhile leaves the time of writing.
void takeSourceTime(const TemporaryFile &file, const QString &source);

// The names one run's jobs write and read, planned by the output plan the list's rows show: its
// sources, and the outputs claimed so far. Safe to use from the jobs running side by side.
class OutputClaims
{
public:
    // The run's sources in job order (job k is sources[k - 1]) and its policy for taken names.
    void start(const QStringList &sources, ExistingOutput policy);

    // Decides where job `number` writes and claims that name. Gives the name, with `cause` set when it is
    // not `destination`, and `replace` when it replaces a regular file; or empty text and `refusal`.
    QString claim(int number, const QString &source, const QString &destination, ResultReason &cause,
                  bool &replace, ResultReason &refusal);
    // The job ended without its file: its name is free again.
    void release(int number);

    // Gives the finished temporary file its name: `target`, or, when something took that name meanwhile,
    // what the plan says now (a replace only with `replace`): the next free name under Rename, nothing
    // under Skip (`refused` set, `error` saying why). The name written; or empty text and `error`.
    QString place(const TemporaryFile &file, int number, const QString &source, const QString &destination,
                  QString target, bool replace, ResultReason &cause, ResultReason &error, bool &refused);

private:
    std::mutex m_mutex;
    std::optional<OutputPlanner> m_planner;
};
