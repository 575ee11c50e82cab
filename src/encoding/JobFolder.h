#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The folder a job's output is written into: made by the run itself beside the output, readable by the
// user alone, ".clip.mp4.tavrix-Xy12Ab". ffmpeg creates the output in it and is told never to replace
// a file, so nothing that existed before the run can be written through. A note in it names the process
// that made it, so that a later run can tell a folder left by a kill or a power cut from one in use.
//
// The folder is known by descriptors as well as by name: it is removed wherever it is, even when its
// parent was renamed or replaced during the run. Not for use from several threads at once.
class JobFolder
{
public:
    // The note naming the process that made the folder.
    static constexpr char OwnerNote[] = "tavrix-owner";

    // A new folder beside `output`, or null with `error` set.
    static std::shared_ptr<JobFolder> create(const QString &output, QString &error);
    ~JobFolder();

    JobFolder(const JobFolder &) = delete;
    JobFolder &operator=(const JobFolder &) = delete;

    const QString &path() const { return m_path; }
    // The folder's name still leads to this folder.
    bool isInPlace() const;
    // Removes the folder and what is in it, wherever its parent now is.
    void remove();

    // Removes the job folders in `directory` that runs on this machine left behind and whose process is
    // gone. Anything else, however it is named, is left alone.
    static void removeAbandoned(const QString &directory);

private:
    JobFolder() = default;

    QString m_path;
    QByteArray m_name;
    int m_parent = -1;
    int m_fd = -1;
    bool m_removed = false;
};
