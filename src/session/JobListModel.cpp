#include "session/JobListModel.h"

#include "media/EncoderCatalog.h"
#include "rules/HdrSignal.h"
#include "rules/JobRules.h"

#include <QDataStream>
#include <QFileInfo>
#include <QMimeData>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

// The file the last run wrote, when it is not the job's destination (a new name was taken because the
// destination was there already).
QString writtenElsewhere(const MediaVideo &job)
{
    return job.result.writtenPath; // empty when the destination itself was written
}

} // namespace

const char *JobListModel::jobIdsMimeType()
{
    return "application/x-tavrix-job-ids";
}

int JobListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_jobs.size());
}

QVariant JobListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const MediaVideo &job = *m_jobs.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return QFileInfo(job.source).fileName();
    case Qt::ToolTipRole:
    case SourceRole:
        return job.source;
    case InfoRole: {
        // Interlacing decides whether an automatic deinterlacing takes place: worth seeing. So is high
        // dynamic range, and whether the output keeps it.
        QString info = job.info;
        if (job.interlaced)
            info += QLatin1Char(' ') + QCoreApplication::translate("JobListModel", "Interlaced");
        if (job.hdr != HdrKind::None) {
            const QString kind = job.hdr == HdrKind::Hlg ? QStringLiteral("HLG") : QStringLiteral("HDR10");
            info +=
                QLatin1Char(' ') +
                (toneMaps(job) ? QCoreApplication::translate("JobListModel", "%1 to SDR").arg(kind) : kind);
        }
        // The preset the job's settings came from.
        if (!job.preset.isEmpty())
            info += QStringLiteral(" · ") + job.preset;
        return info;
    }
    case ThumbnailRole:
        return job.thumbnail();
    case ResultRole:
        return QVariant::fromValue(job.result);
    case WarningRole: {
        // An encoder that cannot run outweighs what the container leaves out.
        const QString encoder = m_catalog ? m_catalog->jobWarning(job) : QString();
        return encoder.isEmpty() ? leftOutNote(job) : encoder;
    }
    case IdRole:
        return job.id;
    case DestinationRole:
        return job.destination;
    case ConflictRole:
        return m_plans.value(job.id).note();
    case WrittenRole:
        return writtenElsewhere(job);
    case ProgressRole:
        return m_running.contains(job.id) ? QVariant(m_running.value(job.id)) : QVariant();
    case ChoiceRole:
        return m_choices.value(job.id);
    default:
        return {};
    }
}

QHash<int, QByteArray> JobListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(NameRole, "name");
    names.insert(InfoRole, "info");
    names.insert(ThumbnailRole, "thumbnail");
    names.insert(ResultRole, "result");
    names.insert(WarningRole, "warning");
    names.insert(IdRole, "id");
    names.insert(SourceRole, "source");
    names.insert(DestinationRole, "destination");
    names.insert(ConflictRole, "conflict");
    names.insert(WrittenRole, "written");
    names.insert(ProgressRole, "progress");
    names.insert(ChoiceRole, "choice");
    return names;
}

Qt::ItemFlags JobListModel::flags(const QModelIndex &index) const
{
    // Rows take drops only between them, never onto a row.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

Qt::DropActions JobListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions JobListModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

QStringList JobListModel::mimeTypes() const
{
    return {QString::fromLatin1(jobIdsMimeType()), QStringLiteral("text/uri-list")};
}

QMimeData *JobListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    QByteArray encoded;
    QDataStream stream(&encoded, QIODevice::WriteOnly);
    for (int row : rows)
        stream << m_jobs.at(row)->id;
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(jobIdsMimeType()), encoded);
    return mime;
}

bool JobListModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                   const QModelIndex &) const
{
    if (!m_acceptsDrops || !data || action == Qt::IgnoreAction)
        return false;
    if (data->hasFormat(QString::fromLatin1(jobIdsMimeType())))
        return true;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

bool JobListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    int target = row;
    if (parent.isValid())
        target = parent.row();
    if (target < 0 || target > rowCount())
        target = rowCount();

    if (data->hasFormat(QString::fromLatin1(jobIdsMimeType()))) {
        QByteArray encoded = data->data(QString::fromLatin1(jobIdsMimeType()));
        QDataStream stream(&encoded, QIODevice::ReadOnly);
        QList<int> rows;
        while (!stream.atEnd()) {
            QUuid id;
            stream >> id;
            if (stream.status() != QDataStream::Ok)
                break;
            const int found = rowOf(id);
            if (found >= 0)
                rows << found;
        }
        if (rows.isEmpty())
            return false;
        moveJobs(rows, target);
        return true;
    }

    QStringList paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return false;
    emit filesDropped(paths);
    return true;
}

bool JobListModel::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                            const QModelIndex &destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0 || sourceRow < 0 ||
        sourceRow + count > rowCount() || destinationChild < 0 || destinationChild > rowCount())
        return false;
    if (destinationChild >= sourceRow && destinationChild <= sourceRow + count)
        return destinationChild == sourceRow || destinationChild == sourceRow + count; // already there
    if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild))
        return false;
    const QList<MediaVideo::Ptr> moved = m_jobs.mid(sourceRow, count);
    m_jobs.remove(sourceRow, count);
    const int insertAt = destinationChild > sourceRow ? destinationChild - count : destinationChild;
    for (int i = 0; i < moved.size(); ++i)
        m_jobs.insert(insertAt + i, moved.at(i));
    endMoveRows();
    return true;
}

bool JobListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_jobs.remove(row, count);
    endRemoveRows();
    return true;
}

MediaVideo::Ptr JobListModel::job(int row) const
{
    return row >= 0 && row < m_jobs.size() ? m_jobs.at(row) : nullptr;
}

int JobListModel::rowOf(const QUuid &id) const
{
    for (int row = 0; row < m_jobs.size(); ++row) {
        if (m_jobs.at(row)->id == id)
            return row;
    }
    return -1;
}

void JobListModel::append(const MediaVideo::Ptr &job)
{
    if (!job)
        return;
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_jobs.append(job);
    endInsertRows();
}

void JobListModel::append(const QList<MediaVideo::Ptr> &jobs)
{
    QList<MediaVideo::Ptr> added;
    for (const MediaVideo::Ptr &job : jobs) {
        if (job)
            added << job;
    }
    if (added.isEmpty())
        return;
    beginInsertRows({}, rowCount(), rowCount() + int(added.size()) - 1);
    m_jobs += added;
    endInsertRows();
}

void JobListModel::removeJobs(QList<int> rows)
{
    // From the bottom up, so the rows still to remove keep their numbers; neighbours go together.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    int i = 0;
    while (i < rows.size()) {
        const int last = rows.at(i);
        int first = last;
        while (i + 1 < rows.size() && rows.at(i + 1) == first - 1)
            first = rows.at(++i);
        ++i;
        if (first >= 0 && last < rowCount())
            removeRows(first, last - first + 1);
    }
}

void JobListModel::clear()
{
    if (m_jobs.isEmpty())
        return;
    beginResetModel();
    m_jobs.clear();
    endResetModel();
}

void JobListModel::moveJobs(QList<int> rows, int target)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= rowCount(); }),
               rows.end());
    if (rows.isEmpty())
        return;
    target = std::clamp(target, 0, int(rowCount()));

    QSet<int> movedRows(rows.begin(), rows.end());
    // The rows go before the first row at or after `target` that stays where it is.
    int anchor = target;
    while (anchor < rowCount() && movedRows.contains(anchor))
        ++anchor;

    QList<int> order; // new row -> old row
    order.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        if (r == anchor)
            order << rows;
        if (!movedRows.contains(r))
            order << r;
    }
    if (anchor >= rowCount())
        order << rows;

    bool unchanged = true;
    for (int i = 0; i < order.size(); ++i)
        unchanged = unchanged && order.at(i) == i;
    if (unchanged)
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<int> newRowOfOld(order.size());
    QList<MediaVideo::Ptr> reordered;
    reordered.reserve(order.size());
    for (int i = 0; i < order.size(); ++i) {
        newRowOfOld[order.at(i)] = i;
        reordered << m_jobs.at(order.at(i));
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << this->index(newRowOfOld.at(index.row()));
    m_jobs = reordered;
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void JobListModel::refresh(const QUuid &id, const QList<int> &roles)
{
    const int row = rowOf(id);
    if (row >= 0)
        emit dataChanged(index(row), index(row), roles);
}

void JobListModel::refreshAll()
{
    if (!m_jobs.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1));
}

void JobListModel::setPlans(const QList<PlannedOutput> &plans)
{
    QHash<QUuid, PlannedOutput> next;
    int first = -1;
    int last = -1;
    for (int row = 0; row < m_jobs.size(); ++row) {
        const PlannedOutput plan = row < plans.size() ? plans.at(row) : PlannedOutput();
        const QUuid &id = m_jobs.at(row)->id;
        next.insert(id, plan);
        if (m_plans.value(id).note() != plan.note()) {
            if (first < 0)
                first = row;
            last = row;
        }
    }
    m_plans.swap(next);
    if (first >= 0)
        emit dataChanged(index(first), index(last), {ConflictRole});
}

PlannedOutput JobListModel::plan(int row) const
{
    return row >= 0 && row < m_jobs.size() ? m_plans.value(m_jobs.at(row)->id) : PlannedOutput();
}

void JobListModel::setChoiceNote(const QUuid &id, const QString &note)
{
    if (m_choices.value(id) == note)
        return;
    if (note.isEmpty())
        m_choices.remove(id);
    else
        m_choices.insert(id, note);
    if (const int row = rowOf(id); row >= 0)
        emit dataChanged(index(row), index(row), {ChoiceRole});
}

void JobListModel::setRunning(const QHash<QUuid, double> &percents)
{
    QSet<QUuid> changed;
    for (auto job = percents.cbegin(); job != percents.cend(); ++job)
        if (!m_running.contains(job.key()) || m_running.value(job.key()) != job.value())
            changed.insert(job.key());
    for (auto job = m_running.cbegin(); job != m_running.cend(); ++job)
        if (!percents.contains(job.key()))
            changed.insert(job.key());
    m_running = percents;
    for (const QUuid &id : std::as_const(changed))
        if (const int row = rowOf(id); row >= 0)
            emit dataChanged(index(row), index(row), {ProgressRole});
}
