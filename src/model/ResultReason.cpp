#include "model/ResultReason.h"

#include <QCoreApplication>

#include <array>

namespace {

struct Wording
{
    ResultReason::Kind kind;
    const char *name;    // as saved
    const char *context; // the translation context; null for text that is never translated
    const char *source;  // the English sentence
};

using K = ResultReason::Kind;

// clang-format off
const std::array wordings{
    Wording{K::Text, "text", nullptr, "%1"},
    Wording{K::Stopped, "stopped", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "Stopped by the user")},
    Wording{K::StoppedAfterPrevious, "stoppedAfterPrevious",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The run was stopped after the file before it")},
    Wording{K::SourceMissing, "sourceMissing",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The source file “%1” no longer exists.")},
    Wording{K::SourceNotRegular, "sourceNotRegular",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The source “%1” is not a regular file (a folder, a pipe or a "
                                              "device); it is not converted.")},
    Wording{K::NoDestination, "noDestination", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The job has no destination.")},
    Wording{K::FolderNotCreated, "folderNotCreated",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "Cannot create a folder in “%1”: %2")},
    Wording{K::Interrupted, "interrupted",
            "QueueFile", QT_TRANSLATE_NOOP("QueueFile", "Tavrix ended while this job was being converted.")},
    Wording{K::NoFreeNameBeside, "noFreeNameBeside",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "No free name is left beside “%1”.")},
    Wording{K::DestinationIsSource, "destinationIsSource",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "The destination is the source file itself; choose another name or "
                                            "folder.")},
    Wording{K::DestinationIsOtherSource, "destinationIsOtherSource",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "The destination “%1” is the source of another job of this run.")},
    Wording{K::DestinationClaimed, "destinationClaimed",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "An earlier job of this run already writes “%1”.")},
    Wording{K::DestinationExists, "destinationExists",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "“%1” already exists; it is left as it is.")},
    Wording{K::DestinationNotRegular, "destinationNotRegular",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "“%1” is not a regular file (a link, a folder, a pipe or a device); "
                                            "nothing is written through it.")},
    Wording{K::NameIsSource, "nameIsSource", "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "%1 is the source")},
    Wording{K::NameIsOtherSource, "nameIsOtherSource",
            "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "%1 is the source of another job")},
    Wording{K::NameClaimed, "nameClaimed", "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "%1 is written by an earlier job")},
    Wording{K::NameExists, "nameExists", "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "%1 exists")},
    Wording{K::NameNotRegular, "nameNotRegular", "OutputPlan", QT_TRANSLATE_NOOP("OutputPlan", "%1 is not a regular file")},
    Wording{K::WrittenTo, "writtenTo", "JobResult", QT_TRANSLATE_NOOP("JobResult", "written to %1 (%2)")},
    Wording{K::NotNamed, "notNamed",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The finished file could not be named “%1”: %2")},
    Wording{K::OutputReplaced, "outputReplaced",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "the file being written was removed or replaced meanwhile.")},
    Wording{K::NoFreeNameLeft, "noFreeNameLeft", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "no free name is left.")},
    Wording{K::ShellNotStarted, "shellNotStarted",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The shell could not be started: %1")},
    Wording{K::EndedBySignal, "endedBySignal",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg was ended by signal %1 (%2).")},
    Wording{K::ExitedWithStatus, "exitedWithStatus",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg exited with status %1.")},
    Wording{K::ExitedSaying, "exitedSaying", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg exited with status %1: %2")},
    Wording{K::WriteFailed, "writeFailed",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg could not finish writing “%1”: %2")},
    Wording{K::FolderMoved, "folderMoved",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The folder “%1” was moved or replaced while ffmpeg ran.")},
    Wording{K::NothingWritten, "nothingWritten",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg ended without writing “%1”.")},
    Wording{K::Unreadable, "unreadable",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg ended without error, but “%1” cannot be read back: %2")},
    Wording{K::HoldsNoStream, "holdsNoStream", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "it holds no stream.")},
    Wording{K::LastsOfSource, "lastsOfSource",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The output lasts %1 s of the source's %2 s")},
    Wording{K::LastsOfAsked, "lastsOfAsked",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The output lasts %1 s of the %2 s asked for")},
    Wording{K::FfmpegSays, "ffmpegSays", nullptr, "ffmpeg: %1"},
    Wording{K::OnHost, "onHost", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "On %1: %2")},
    Wording{K::NoTemporaryFolder, "noTemporaryFolder",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "Cannot make a temporary folder: %1")},
    Wording{K::SubtitleNamedAsSource, "subtitleNamedAsSource",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The subtitle file has the same name as the source; rename one of "
                                              "them to convert on other hosts.")},
    Wording{K::JobListNotWritten, "jobListNotWritten",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "Cannot write the list of jobs: %1")},
    Wording{K::ParallelCouldNotRun, "parallelCouldNotRun",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "GNU parallel could not run the job: %1")},
    Wording{K::HostsFileUnreadable, "hostsFileUnreadable",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "GNU parallel cannot read the hosts file “%1”: %2")},
    Wording{K::ParallelDidNotRun, "parallelDidNotRun",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "GNU parallel did not run the job: %1")},
    Wording{K::NoFfmpegOnHost, "noFfmpegOnHost",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "ffmpeg is not installed on %1 (or not on its PATH).")},
    Wording{K::HostUnreachable, "hostUnreachable",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "The host %1 could not be reached: %2")},
    Wording{K::NotBack, "notBack", "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "On %1: the converted file did not come back.")},
    Wording{K::NotBackSaying, "notBackSaying",
            "BatchEncoder", QT_TRANSLATE_NOOP("BatchEncoder", "On %1: the converted file did not come back: %2")},
    Wording{K::AlreadyInFormat, "alreadyInFormat", "BatchEncoder",
            QT_TRANSLATE_NOOP("BatchEncoder", "Already %1: not converted.")},
    Wording{K::LargerNotKept, "largerNotKept", "BatchEncoder",
            QT_TRANSLATE_NOOP("BatchEncoder", "Larger than the source (%1 %): not kept")},
    Wording{K::QualitySearchFailed, "qualitySearchFailed", "BatchEncoder",
            QT_TRANSLATE_NOOP("BatchEncoder", "The quality target could not be searched: %1")},
};
// clang-format on

const Wording &wordingOf(ResultReason::Kind kind)
{
    for (const Wording &w : wordings)
        if (w.kind == kind)
            return w;
    return wordings.front();
}

} // namespace

QString ResultReason::toString() const
{
    const Wording &w = wordingOf(kind);
    if (kind == Kind::Text)
        return args.value(0);
    const QString sentence =
        w.context ? QCoreApplication::translate(w.context, w.source) : QString::fromUtf8(w.source);
    QStringList values = args;
    for (const ResultReason &detail : inner)
        values << detail.toString();
    // In one pass, so that a value holding "%1" (a file name) is not read as a place for another.
    switch (values.size()) {
    case 0:
        return sentence;
    case 1:
        return sentence.arg(values[0]);
    case 2:
        return sentence.arg(values[0], values[1]);
    default:
        return sentence.arg(values[0], values[1], values[2]);
    }
}

QString ResultReason::kindName(Kind kind)
{
    return QString::fromLatin1(wordingOf(kind).name);
}

std::optional<ResultReason::Kind> ResultReason::kindNamed(const QString &name)
{
    for (const Wording &w : wordings)
        if (name == QLatin1StringView(w.name))
            return w.kind;
    return std::nullopt;
}

QString reasonText(const QList<ResultReason> &parts)
{
    QStringList sentences;
    for (const ResultReason &part : parts)
        if (const QString sentence = part.toString(); !sentence.isEmpty())
            sentences << sentence;
    return sentences.join(QStringLiteral("; "));
}
