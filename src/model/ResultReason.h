#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Why a job ended as it did, kept as what happened and its details rather than as a sentence: it is
// worded when shown, in the language of that moment. A saved list keeps the kind by name.
struct ResultReason
{
    enum class Kind {
        Text, // verbatim text: a tool's own line, or a reason saved as text by an older version
        // The run's refusals before starting
        Stopped,
        StoppedAfterPrevious,
        SourceMissing,
        SourceNotRegular,
        NoDestination,
        FolderNotCreated,
        Interrupted,
        // The output's name
        NoFreeNameBeside,
        DestinationIsSource,
        DestinationIsOtherSource,
        DestinationClaimed,
        DestinationExists,
        DestinationNotRegular,
        NameIsSource,
        NameIsOtherSource,
        NameClaimed,
        NameExists,
        NameNotRegular,
        WrittenTo,
        NotNamed,
        OutputReplaced,
        NoFreeNameLeft,
        // How ffmpeg ended
        ShellNotStarted,
        EndedBySignal,
        ExitedWithStatus,
        ExitedSaying,
        WriteFailed,
        FolderMoved,
        NothingWritten,
        Unreadable,
        HoldsNoStream,
        LastsOfSource,
        LastsOfAsked,
        FfmpegSays,
        // Other hosts
        OnHost,
        NoTemporaryFolder,
        SubtitleNamedAsSource,
        JobListNotWritten,
        ParallelCouldNotRun,
        HostsFileUnreadable,
        ParallelDidNotRun,
        NoFfmpegOnHost,
        HostUnreachable,
        NotBack,
        NotBackSaying,
        // The batch's guards
        AlreadyInFormat,
        LargerNotKept,
        QualitySearchFailed,
    };

    Kind kind = Kind::Text;
    QStringList args; // the sentence's %1, %2, ... in order
    // A reason that is itself a detail of this one (the cause of a rename, a host's failure), worded
    // after `args`.
    std::vector<ResultReason> inner;

    ResultReason() = default;
    ResultReason(Kind kind, QStringList args = {}, std::vector<ResultReason> inner = {})
        : kind(kind), args(std::move(args)), inner(std::move(inner))
    {
    }
    static ResultReason text(const QString &text) { return {Kind::Text, {text}}; }

    bool isEmpty() const { return kind == Kind::Text && args.value(0).isEmpty() && inner.empty(); }
    // The sentence in the current language.
    QString toString() const;

    // Stable names, as saved.
    static QString kindName(Kind kind);
    static std::optional<Kind> kindNamed(const QString &name);

    bool operator==(const ResultReason &) const = default;
};

// Sentences worded one after another, joined by "; ".
QString reasonText(const QList<ResultReason> &parts);
