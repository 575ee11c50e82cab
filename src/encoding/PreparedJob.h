#pragma once

#include "encoding/JobFolder.h"
#include "encoding/OutputPlacement.h"
#include "model/JobResult.h"
#include "model/MediaVideo.h"
#include "rules/CommandLine.h"
#include "store/LogSink.h"

#include <QFileInfo>

#include <memory>
#include <optional>

// A job of a run whose output name is decided and whose folder exists.
struct PreparedJob
{
    MediaVideo::Ptr job;
    int number = 0;
    QString destination;
    QString target;     // the name it will have, unless something takes it meanwhile
    ResultReason cause; // why target is not destination
    bool replace = false;
    std::shared_ptr<JobFolder> folder;      // ffmpeg writes (or GNU parallel returns) the output here
    std::optional<TemporaryFile> temporary; // the output found there once ffmpeg has ended
    QString host;
    CommandLine command;
    CrfChoice chosen; // the value a quality target's search chose
    JobLogSink log;   // opened as the encoder starts

    // Ends the log with the result, which then names it.
    void closeLog(JobResult &result)
    {
        if (log.append) {
            const QString reason = result.reasonText();
            log.append(reason.isEmpty() ? result.text() : result.text() + QStringLiteral(": ") + reason);
            result.logPath = log.path;
        }
        if (log.close)
            log.close();
        log = {};
    }

    // The name of the output in `folder` and on the host, never the source's name there.
    QString returnedName() const
    {
        const QString suffix = QFileInfo(target).suffix();
        QString name =
            QStringLiteral("tavrix-output") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
        while (name == QFileInfo(job->source).fileName() ||
               (!job->subtitleExternal.isEmpty() && name == QFileInfo(job->subtitleExternal).fileName()))
            name.prepend(QStringLiteral("new-"));
        return name;
    }
    QString outputPath() const { return folder->path() + QLatin1Char('/') + returnedName(); }
    // Looks for the output ffmpeg wrote: a regular file, in the folder still where it was made.
    void findOutput()
    {
        struct stat st;
        if (folder->isInPlace() && occupantOf(outputPath(), &st) == Occupant::RegularFile)
            temporary = TemporaryFile{outputPath(), FileId{st.st_dev, st.st_ino}};
        else
            temporary = TemporaryFile{};
    }
    // Removes the folder with whatever is still in it (an output that was not kept, a partial copy).
    void discard() const
    {
        if (folder)
            folder->remove();
    }
};
