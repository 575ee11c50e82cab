#include "rules/JobOutcome.h"

#include "rules/EncoderOutput.h"

#include <QCoreApplication>

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
    result.reason =
        qFuzzyCompare(*expected, *source)
            ? QCoreApplication::translate("BatchEncoder", "The output lasts %1 s of the source's %2 s")
                  .arg(lasts, asked)
            : QCoreApplication::translate("BatchEncoder", "The output lasts %1 s of the %2 s asked for")
                  .arg(lasts, asked);
    if (const QString damage = damagedInputLine(facts.process.tail.lines()); !damage.isEmpty())
        result.reason += QStringLiteral("; ffmpeg: ") + damage;
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

QString stoppedText()
{
    return QCoreApplication::translate("BatchEncoder", "Stopped by the user");
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
    const ProcessOutcome &outcome = facts.process;
    JobResult result;
    result.exitCode = outcome.exitCode;
    result.outputTail = outcome.tail.text();
    result.status = JobResult::Status::Failed;
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        result.status = JobResult::Status::NotRun;
        result.exitCode = 0;
        result.reason = stoppedText();
        return result;
    case ProcessOutcome::Kind::FailedToStart:
        result.exitCode = -1;
        result.reason = QCoreApplication::translate("BatchEncoder", "The shell could not be started: %1")
                            .arg(outcome.error);
        break;
    case ProcessOutcome::Kind::Stopped:
        result.status = JobResult::Status::Stopped;
        result.reason = stoppedText();
        break;
    case ProcessOutcome::Kind::Crashed:
        result.reason = QCoreApplication::translate("BatchEncoder", "ffmpeg was ended by signal %1 (%2).")
                            .arg(outcome.exitCode)
                            .arg(QString::fromLocal8Bit(::strsignal(outcome.exitCode)));
        break;
    case ProcessOutcome::Kind::Exited: {
        const QString message = failureLine(outcome.tail.lines());
        const QString writeFailure = writeFailureLine(outcome.tail.lines());
        if (outcome.exitCode != 0) {
            result.reason =
                message.isEmpty()
                    ? QCoreApplication::translate("BatchEncoder", "ffmpeg exited with status %1.")
                          .arg(outcome.exitCode)
                    : QCoreApplication::translate("BatchEncoder", "ffmpeg exited with status %1: %2")
                          .arg(outcome.exitCode)
                          .arg(message);
        } else if (!writeFailure.isEmpty()) {
            result.reason =
                QCoreApplication::translate("BatchEncoder", "ffmpeg could not finish writing “%1”: %2")
                    .arg(facts.shownName, writeFailure);
        } else if (!outcome.tail.ignoredOption().isEmpty()) {
            // The file is not what the user asked for.
            result.reason = outcome.tail.ignoredOption();
        } else if (!facts.folderInPlace) {
            result.reason = QCoreApplication::translate(
                                "BatchEncoder", "The folder “%1” was moved or replaced while ffmpeg ran.")
                                .arg(facts.folder);
        } else if (!facts.outputWritten) {
            result.reason = QCoreApplication::translate("BatchEncoder", "ffmpeg ended without writing “%1”.")
                                .arg(facts.shownName);
        } else if (!facts.readBack) {
            result.reason = QCoreApplication::translate("BatchEncoder", "ffmpeg ended without writing “%1”.")
                                .arg(facts.shownName);
        } else if (facts.readBack->kind == ReadBackFacts::Kind::Stopped) {
            result.status = JobResult::Status::Stopped;
            result.reason = stoppedText();
        } else if (facts.readBack->kind == ReadBackFacts::Kind::Unreadable) {
            result.reason =
                QCoreApplication::translate("BatchEncoder",
                                            "ffmpeg ended without error, but “%1” cannot be read back: %2")
                    .arg(facts.shownName, facts.readBack->problem);
        } else {
            result.status = JobResult::Status::Succeeded;
            judgeLength(result, facts);
        }
        break;
    }
    }
    if (!facts.host.isEmpty() && facts.host != QLatin1String(":") &&
        result.status == JobResult::Status::Failed)
        result.reason =
            QCoreApplication::translate("BatchEncoder", "On %1: %2").arg(facts.host, result.reason);
    return result;
}
