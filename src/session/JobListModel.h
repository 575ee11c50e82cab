#pragma once

#include "model/MediaVideo.h"
#include "rules/OutputPlan.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

// The job list as a model over the shared jobs, in display and encoding order.
//
// Rows are reordered by dragging (the job ids travel in the drag) and files dropped from a file
// manager are handed on through filesDropped(); the model itself never probes anything.
class EncoderCatalog;

class JobListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole + 1, // last path component of the source
        InfoRole,                    // the probed one-line summary
        ThumbnailRole,               // QImage, at most MediaVideo::ThumbnailSize on each side
        ResultRole,                  // JobResult of the last run
        WarningRole,                 // encoder the installed ffmpeg lacks, or empty
        IdRole,
        SourceRole,
        DestinationRole,
        ConflictRole, // PlannedOutput::note(): what the run will meet at the destination, or empty
        WrittenRole,  // the file the last run wrote when it is not the destination, or empty
        ProgressRole, // percentage of a job converting beside others now, or nothing
        // What the run going on chose for a job's quality target ("CRF 27 · SSIM 0.981 · about 420 MB",
        // or that it is searching), or empty
        ChoiceRole,
    };

    static const char *jobIdsMimeType();

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                  const QModelIndex &destinationParent, int destinationChild) override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

    const QList<MediaVideo::Ptr> &jobs() const { return m_jobs; }
    MediaVideo::Ptr job(int row) const;
    int rowOf(const QUuid &id) const;

    void append(const MediaVideo::Ptr &job);
    // The line ChoiceRole gives for a job; empty text removes it.
    void setChoiceNote(const QUuid &id, const QString &note);
    // Appends every job in one insertion (a restored list of thousands of jobs).
    void append(const QList<MediaVideo::Ptr> &jobs);
    // Removes every listed row, whatever their order; out-of-range rows are ignored.
    void removeJobs(QList<int> rows);
    void clear();
    // Moves the listed rows, keeping their order, so that they end up before the row that is at
    // `target` now (the end of the list when `target` is the row count or more).
    void moveJobs(QList<int> rows, int target);

    // The job changed outside the model (editor, run result, catalogue): repaint its row. `roles`, when
    // given, says that only they changed (a preview made again changes no setting).
    void refresh(const QUuid &id, const QList<int> &roles = {});
    void refreshAll();

    // Where every job's output goes, in list order, as planOutputs() gives them; rows whose note
    // changed are repainted.
    void setPlans(const QList<PlannedOutput> &plans);
    PlannedOutput plan(int row) const;

    // The jobs converting side by side now and their percentages; their rows are repainted.
    void setRunning(const QHash<QUuid, double> &percents);
    // Where the rows' warnings about unusable encoders come from; none without a catalog.
    void setEncoderCatalog(const EncoderCatalog *catalog) { m_catalog = catalog; }

    // While false, drops of files and of rows are refused (a run is using the list).
    void setAcceptsDrops(bool accepts) { m_acceptsDrops = accepts; }
    bool acceptsDrops() const { return m_acceptsDrops; }

signals:
    // Local paths dropped onto the list, in the order they came; directories included.
    void filesDropped(const QStringList &paths);

private:
    QList<MediaVideo::Ptr> m_jobs;
    QHash<QUuid, PlannedOutput> m_plans; // by job, so that they follow moves until the next check
    bool m_acceptsDrops = true;
    QHash<QUuid, double> m_running;
    QHash<QUuid, QString> m_choices;
    const EncoderCatalog *m_catalog = nullptr;
};
