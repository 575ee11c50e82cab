#include "rules/OutputPlan.h"

#include "model/MediaVideo.h"
#include "rules/OutputName.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("OutputPlan", text);
}

QString fileName(const QString &path)
{
    return printableText(QFileInfo(path).fileName());
}

} // namespace

ResultReason PlannedOutput::causeReason() const
{
    using K = ResultReason::Kind;
    if (action != Action::Rename)
        return {};
    const QString name = QFileInfo(destination).fileName();
    switch (obstacle) {
    case OutputObstacle::None:
        break;
    case OutputObstacle::OwnSource:
        return {K::NameIsSource, {name}};
    case OutputObstacle::OtherSource:
        return {K::NameIsOtherSource, {name}};
    case OutputObstacle::Claimed:
        return {K::NameClaimed, {name}};
    case OutputObstacle::RegularFile:
        return {K::NameExists, {name}};
    case OutputObstacle::OtherFile:
        return {K::NameNotRegular, {name}};
    }
    return {};
}

ResultReason PlannedOutput::refusalReason() const
{
    using K = ResultReason::Kind;
    if (action != Action::NotRun)
        return {};
    if (policyLeftNoName)
        return {K::NoFreeNameBeside, {destination}};
    switch (obstacle) {
    case OutputObstacle::None:
        break;
    case OutputObstacle::OwnSource:
        return {K::DestinationIsSource};
    case OutputObstacle::OtherSource:
        return {K::DestinationIsOtherSource, {destination}};
    case OutputObstacle::Claimed:
        return {K::DestinationClaimed, {destination}};
    case OutputObstacle::RegularFile:
        return {K::DestinationExists, {destination}};
    case OutputObstacle::OtherFile:
        return {K::DestinationNotRegular, {destination}};
    }
    return {};
}

QString PlannedOutput::note() const
{
    QString outcome;
    switch (action) {
    case Action::Write:
        return {};
    case Action::Replace:
        outcome = tr("will be replaced");
        break;
    case Action::Rename:
        outcome = tr("written as %1").arg(fileName(path));
        break;
    case Action::NotRun:
        outcome = skipped ? tr("will be skipped") : tr("will not be run");
        break;
    }
    switch (obstacle) {
    case OutputObstacle::None:
        break;
    case OutputObstacle::OwnSource:
        return tr("Same as the source: %1").arg(outcome);
    case OutputObstacle::OtherSource:
        return tr("The source of job %1: %2").arg(otherJob).arg(outcome);
    case OutputObstacle::Claimed:
        return tr("Same output as job %1 (%2): %3").arg(otherJob).arg(fileName(otherSource), outcome);
    case OutputObstacle::RegularFile:
    case OutputObstacle::OtherFile:
        return tr("%1 exists: %2").arg(fileName(destination), outcome);
    }
    return {};
}

OutputPlanner::OutputPlanner(ExistingOutput policy, FileProbe probe, const QStringList &sources)
    : m_policy(policy), m_probe(std::move(probe)), m_sources(sources)
{
    for (int i = 0; i < sources.size(); ++i) {
        if (!sources.at(i).isEmpty())
            m_sourceIdentities.insert(m_probe(sources.at(i)).identity, i + 1);
    }
}

bool OutputPlanner::isTaken(const QString &path) const
{
    const PathState state = m_probe(path);
    return state.present || m_sourceIdentities.contains(state.identity) || m_claims.contains(state.resolved);
}

void OutputPlanner::claim(int number, const QString &path)
{
    m_claims.insert(m_probe(path).resolved, number);
}

void OutputPlanner::release(int number)
{
    m_claims.removeIf([number](const auto &claim) { return claim.value() == number; });
}

PlannedOutput OutputPlanner::plan(int number, const QString &source, const QString &destination)
{
    return decide(number, source, destination, false);
}

PlannedOutput OutputPlanner::replan(int number, const QString &source, const QString &destination)
{
    release(number);
    return decide(number, source, destination, true);
}

PlannedOutput OutputPlanner::decide(int number, const QString &source, const QString &destination, bool late)
{
    PlannedOutput p;
    p.destination = destination;
    const PathState output = m_probe(destination);
    const int sourceJob = m_sourceIdentities.value(output.identity);
    const int claimer = m_claims.value(output.resolved);
    if (!source.isEmpty() && m_probe(source).identity == output.identity) {
        p.obstacle = OutputObstacle::OwnSource;
    } else if (sourceJob != 0 && sourceJob != number) {
        p.obstacle = OutputObstacle::OtherSource;
        p.otherJob = sourceJob;
    } else if (claimer != 0 && claimer != number) {
        p.obstacle = OutputObstacle::Claimed;
        p.otherJob = claimer;
    } else if (output.present) {
        p.obstacle = output.regular ? OutputObstacle::RegularFile : OutputObstacle::OtherFile;
    }
    if (p.otherJob > 0)
        p.otherSource = m_sources.value(p.otherJob - 1);

    if (p.obstacle == OutputObstacle::None) {
        p.path = destination;
    } else if (m_policy == ExistingOutput::Rename || (late && m_policy == ExistingOutput::Overwrite)) {
        // A name taken while the job encoded is never replaced: that file is not the one the plan saw.
        p.action = PlannedOutput::Action::Rename;
        p.path = freeName(destination, [this](const QString &path) { return isTaken(path); });
        if (p.path.isEmpty()) {
            p.action = PlannedOutput::Action::NotRun;
            p.policyLeftNoName = true;
        }
    } else if (m_policy == ExistingOutput::Overwrite && p.obstacle == OutputObstacle::RegularFile) {
        p.action = PlannedOutput::Action::Replace;
        p.path = destination;
    } else {
        p.action = PlannedOutput::Action::NotRun;
        // Skip leaves a taken name alone; a source is never written over, whatever the policy.
        p.skipped = m_policy == ExistingOutput::Skip && p.obstacle != OutputObstacle::OwnSource &&
                    p.obstacle != OutputObstacle::OtherSource;
    }
    if (!p.path.isEmpty())
        claim(number, p.path);
    return p;
}

QList<PlannedOutput> planOutputs(const QList<std::shared_ptr<MediaVideo>> &jobs, ExistingOutput policy,
                                 const FileProbe &probe)
{
    QStringList sources;
    for (const MediaVideo::Ptr &job : jobs)
        sources << (job ? job->source : QString());
    OutputPlanner planner(policy, probe, sources);
    QList<PlannedOutput> plans(jobs.size());
    for (int i = 0; i < jobs.size(); ++i) {
        if (jobs[i] && !jobs[i]->destination.isEmpty())
            plans[i] = planner.plan(i + 1, jobs[i]->source, jobs[i]->destination);
    }
    return plans;
}
