#include "rules/JobOutcome.h"

#include "rules/EncoderOutput.h"

#include <algorithm>
#include <cstring>

namespace {

// Makes a succeeded job Incomplete when its output falls short of what it should hold.
void judgeLength(JobResult &result, const JobFacts &facts)
{
    const std::optional<double> source = facts.process.sourceSeconds;
    const std::optional<double> output = facts.readBack ? facts.readBack->seconds : std::nullopt;
    if (!source || !output)
        return;
    const std::optional<double> expected = expectedOutputSeconds(*source, facts.parameterWords);
    if (!expected || !fallsShort(*output, *expected))
        return;
    result.status = JobResult::Status::Incomplete;
    const QString lasts = QString::number(*output, 'f', 1);
    const QString asked = QString::number(*expected, 'f', 1);
    using K = ResultReason::Kind;
    result.reason = {
        {qFuzzyCompare(*expected, *source) ? K::LastsOfSource : K::LastsOfAsked, {lasts, asked}}};
    if (const QString damage = damagedInputLine(facts.process.tail.lines()); !damage.isEmpty())
        result.reason << ResultReason(K::FfmpegSays, {damage});
}

} // namespace

void OutputTail::add(const QString &line)
{
    // Said once, early, before lines enough to push it out of the tail.
    if (m_ignoredOption.isEmpty())
        m_ignoredOption = ignoredOptionLine(line);
    if (isProgressLine(line) && !m_lines.isEmpty() && isProgressLine(m_lines.last()))
        m_lines.last() = line;
    else
        m_lines << line;
    while (m_lines.size() > MaxLines)
        m_lines.removeFirst();
}

QString OutputTail::text() const
{
    return m_lines.mid(std::max<qsizetype>(0, m_lines.size() - ShownLines)).join(QLatin1Char('\n'));
}

ResultReason stoppedReason()
{
    return {ResultReason::Kind::Stopped};
}

bool readBackNeeded(const JobFacts &facts)
{
    const ProcessOutcome &p = facts.process;
    return p.kind == ProcessOutcome::Kind::Exited && p.exitCode == 0 &&
           writeFailureLine(p.tail.lines()).isEmpty() && p.tail.ignoredOption().isEmpty() &&
           facts.folderInPlace && facts.outputWritten;
}

JobResult judgeJob(const JobFacts &facts)
{
    using K = ResultReason::Kind;
    const ProcessOutcome &outcome = facts.process;
    JobResult result;
    result.exitCode = outcome.exitCode;
    result.outputTail = outcome.tail.text();
    result.status = JobResult::Status::Failed;
    ResultReason reason;
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        result.status = JobResult::Status::NotRun;
        result.exitCode = 0;
        result.reason = {stoppedReason()};
        return result;
    case ProcessOutcome::Kind::FailedToStart:
        result.exitCode = -1;
        reason = {K::ShellNotStarted, {outcome.error}};
        break;
    case ProcessOutcome::Kind::Stopped:
        result.status = JobResult::Status::Stopped;
        reason = stoppedReason();
        break;
    case ProcessOutcome::Kind::Crashed:
        reason = {K::EndedBySignal,
                  {QString::number(outcome.exitCode), QString::fromLocal8Bit(::strsignal(outcome.exitCode))}};
        break;
    case ProcessOutcome::Kind::Exited: {
        const QString message = failureLine(outcome.tail.lines());
        const QString writeFailure = writeFailureLine(outcome.tail.lines());
        if (outcome.exitCode != 0) {
            reason = message.isEmpty()
                         ? ResultReason(K::ExitedWithStatus, {QString::number(outcome.exitCode)})
                         : ResultReason(K::ExitedSaying, {QString::number(outcome.exitCode), message});
        } else if (!writeFailure.isEmpty()) {
            reason = {K::WriteFailed, {facts.shownName, writeFailure}};
        } else if (!outcome.tail.ignoredOption().isEmpty()) {
            // The file is not what the user asked for.
            reason = ResultReason::text(outcome.tail.ignoredOption());
        } else if (!facts.folderInPlace) {
            reason = {K::FolderMoved, {facts.folder}};
        } else if (!facts.outputWritten || !facts.readBack) {
            reason = {K::NothingWritten, {facts.shownName}};
        } else if (facts.readBack->kind == ReadBackFacts::Kind::Stopped) {
            result.status = JobResult::Status::Stopped;
            reason = stoppedReason();
        } else if (facts.readBack->kind == ReadBackFacts::Kind::Unreadable) {
            reason = {K::Unreadable, {facts.shownName}, {facts.readBack->problem}};
        } else {
            result.status = JobResult::Status::Succeeded;
            judgeLength(result, facts);
            return result;
        }
        break;
    }
    }
    if (!facts.host.isEmpty() && facts.host != QLatin1String(":") &&
        result.status == JobResult::Status::Failed)
        reason = {K::OnHost, {facts.host}, {reason}};
    result.reason = {reason};
    return result;
}

void judgeSize(JobResult &result, qint64 outputBytes, qint64 sourceBytes)
{
    const bool kept =
        result.status == JobResult::Status::Succeeded || result.status == JobResult::Status::Incomplete;
    if (!kept || sourceBytes <= 0 || outputBytes <= sourceBytes)
        return;
    result.status = JobResult::Status::NotRun;
    result.reason = {{ResultReason::Kind::LargerNotKept,
                      {QString::number(qRound(100.0 * double(outputBytes) / double(sourceBytes)))}}};
}
