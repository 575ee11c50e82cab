#include "rules/OutputConflict.h"

#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// The path with its folder's links and "." or ".." resolved; the last component stays as written, so
// that a link there is told apart from what it points to.
QString resolvedFolderPath(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return QDir(folder).filePath(info.fileName());
}

QString notRun()
{
    return QCoreApplication::translate("OutputConflict", "will not be run");
}

// What the run does with a name that is taken: only a new name or a plain file's replacement lets it run.
QString outcome(Preferences::ExistingOutput policy, bool replaceable = true)
{
    if (policy == Preferences::ExistingOutput::Overwrite && !replaceable)
        return notRun();

    switch (policy) {
    case Preferences::ExistingOutput::Rename:
        return QCoreApplication::translate("OutputConflict", "a new name will be used");
    case Preferences::ExistingOutput::Skip:
        return QCoreApplication::translate("OutputConflict", "will be skipped");
    case Preferences::ExistingOutput::Overwrite:
        return QCoreApplication::translate("OutputConflict", "will be replaced");
    }
    return {};
}

} // namespace

PathState probePath(const QString &path)
{
    PathState state;
    if (path.isEmpty())
        return state;
    const QByteArray local = QFile::encodeName(path);
    struct stat st;
    state.present = ::lstat(local.constData(), &st) == 0;
    state.regular = state.present && S_ISREG(st.st_mode);
    // Through a link, so that a link to the source counts as the source.
    if (::stat(local.constData(), &st) == 0)
        state.identity = QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    else
        state.identity = resolvedFolderPath(path);
    return state;
}

PathState PathCache::state(const QString &path)
{
    const auto found = m_states.constFind(path);
    if (found != m_states.constEnd())
        return *found;
    const PathState state = probePath(path);
    m_states.insert(path, state);
    return state;
}

QList<OutputConflict> findOutputConflicts(const QList<MediaVideo::Ptr> &jobs,
                                          Preferences::ExistingOutput policy, const FileProbe &probe)
{
    QList<OutputConflict> conflicts(jobs.size());
    QList<PathState> outputs(jobs.size());
    // Identity of each output -> the jobs writing there, in list order.
    QHash<QString, QList<int>> writers;
    // Identity of each source -> its job.
    QHash<QString, int> sources;
    for (int i = 0; i < jobs.size(); ++i) {
        if (!jobs[i])
            continue;
        if (!jobs[i]->source.isEmpty())
            sources.insert(probe(jobs[i]->source).identity, i);
        if (jobs[i]->destination.isEmpty())
            continue;
        outputs[i] = probe(jobs[i]->destination);
        writers[outputs[i].identity].append(i);
    }

    for (int i = 0; i < jobs.size(); ++i) {
        if (!jobs[i] || jobs[i]->destination.isEmpty())
            continue;
        const MediaVideo &job = *jobs[i];
        OutputConflict &conflict = conflicts[i];
        const PathState &output = outputs[i];
        if (!job.source.isEmpty() && probe(job.source).identity == output.identity) {
            conflict.kind = OutputConflict::Kind::SameAsSource;
            // A job is never run onto its own source: without a new name it does not run at all.
            conflict.text =
                QCoreApplication::translate("OutputConflict", "Same as the source: %1")
                    .arg(policy == Preferences::ExistingOutput::Rename ? outcome(policy) : notRun());
        } else if (const int other = sources.value(output.identity, -1); other >= 0 && other != i) {
            // A source is never written over, whatever the policy.
            conflict.kind = OutputConflict::Kind::OtherSource;
            conflict.otherJob = other + 1;
            conflict.text =
                QCoreApplication::translate("OutputConflict", "The source of job %1: %2")
                    .arg(other + 1)
                    .arg(policy == Preferences::ExistingOutput::Rename ? outcome(policy) : notRun());
        } else if (output.present) {
            conflict.kind = OutputConflict::Kind::Exists;
            conflict.text = QCoreApplication::translate("OutputConflict", "%1 exists: %2")
                                .arg(printableText(QFileInfo(job.destination).fileName()),
                                     outcome(policy, output.regular));
        } else if (const QList<int> &sharing = writers.value(output.identity); sharing.size() > 1) {
            const int other = sharing.at(0) == i ? sharing.at(1) : sharing.at(0);
            conflict.kind = OutputConflict::Kind::Shared;
            conflict.otherJob = other + 1;
            conflict.text = QCoreApplication::translate("OutputConflict", "Same output as job %1 (%2)")
                                .arg(other + 1)
                                .arg(printableText(QFileInfo(jobs[other]->source).fileName()));
        }
    }
    return conflicts;
}
