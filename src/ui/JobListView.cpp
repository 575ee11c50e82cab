#include "ui/JobListView.h"

#include "session/JobListModel.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace {

JobListView::DragRunner &dragRunner()
{
    static JobListView::DragRunner runner;
    return runner;
}

} // namespace

void JobListView::setDragRunner(DragRunner runner)
{
    dragRunner() = std::move(runner);
}

JobListView::JobListView(QWidget *parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setUniformItemSizes(true); // every row has the same height; keeps long lists cheap to lay out
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
}

JobListModel *JobListView::jobModel() const
{
    return qobject_cast<JobListModel *>(model());
}

QList<int> JobListView::selectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    const QModelIndexList indexes = selectionModel()->selectedRows();
    for (const QModelIndex &index : indexes)
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void JobListView::deleteSelected()
{
    if (JobListModel *jobs = jobModel(); jobs && isEnabled())
        jobs->removeJobs(selectedRows());
}

void JobListView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace) {
        deleteSelected();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void JobListView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex under = indexAt(event->pos());
    if (under.isValid() && !selectionModel()->isSelected(under))
        selectionModel()->select(under, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const int count = int(selectedRows().size());
    if (count == 0)
        return;
    QMenu menu(this);
    QAction *remove = menu.addAction(count == 1 ? tr("Delete") : tr("Delete %n jobs", nullptr, count));
    remove->setObjectName(QStringLiteral("deleteSelected"));
    remove->setShortcut(QKeySequence::Delete);
    connect(remove, &QAction::triggered, this, &JobListView::deleteSelected);
    const int row = count == 1 ? selectedRows().constFirst() : -1;
    const QString log = row >= 0 && m_logFinder ? m_logFinder(row) : QString();
    QAction *showLog = menu.addAction(tr("Show Log"));
    showLog->setObjectName(QStringLiteral("showLog"));
    showLog->setEnabled(!log.isEmpty());
    connect(showLog, &QAction::triggered, this, [this, row, log] { emit showLogRequested(row, log); });
    if (m_presetLister) {
        QMenu *presets = menu.addMenu(tr("Apply Preset"));
        presets->setObjectName(QStringLiteral("applyPresetMenu"));
        const QList<int> rows = selectedRows();
        for (const Preset &preset : m_presetLister()) {
            QAction *apply = presets->addAction(preset.name);
            apply->setToolTip(preset.usable() ? preset.description : preset.problem);
            apply->setEnabled(preset.usable());
            connect(apply, &QAction::triggered, this,
                    [this, rows, preset] { emit applyPresetRequested(rows, preset); });
        }
        presets->setToolTipsVisible(true);
    }
    menu.exec(event->globalPos());
}

void JobListView::dragEnterEvent(QDragEnterEvent *event)
{
    JobListModel *jobs = jobModel();
    if (jobs && jobs->canDropMimeData(event->mimeData(), event->proposedAction(), -1, 0, {})) {
        QListView::dragEnterEvent(event);
        event->acceptProposedAction();
        return;
    }
    event->ignore();
}

void JobListView::dragMoveEvent(QDragMoveEvent *event)
{
    JobListModel *jobs = jobModel();
    if (!jobs || !jobs->canDropMimeData(event->mimeData(), event->proposedAction(), -1, 0, {})) {
        event->ignore();
        return;
    }
    QListView::dragMoveEvent(event); // draws the drop indicator and scrolls
    if (event->mimeData()->hasFormat(QString::fromLatin1(JobListModel::jobIdsMimeType())))
        event->setDropAction(Qt::MoveAction);
    else
        event->setDropAction(Qt::CopyAction);
    event->accept();
}

int JobListView::dropRow(const QPoint &pos) const
{
    const QModelIndex under = indexAt(pos);
    if (!under.isValid())
        return model() ? model()->rowCount() : 0;
    const QRect rect = visualRect(under);
    return pos.y() < rect.center().y() ? under.row() : under.row() + 1;
}

void JobListView::dropEvent(QDropEvent *event)
{
    JobListModel *jobs = jobModel();
    const int row = dropRow(event->position().toPoint());
    if (jobs && jobs->dropMimeData(event->mimeData(), Qt::CopyAction, row, 0, {})) {
        // Rows have been moved by the model itself. Files stay where they are: a move would tell the
        // file manager they came from to delete them.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}

void JobListView::startDrag(Qt::DropActions supportedActions)
{
    QModelIndexList indexes;
    const QModelIndexList selected = selectedIndexes();
    for (const QModelIndex &index : selected) {
        if (index.flags() & Qt::ItemIsDragEnabled)
            indexes << index;
    }
    if (indexes.isEmpty() || !model())
        return;
    QMimeData *data = model()->mimeData(indexes);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // The row under the pointer goes along, as the list draws it.
    const QModelIndex under = indexAt(viewport()->mapFromGlobal(QCursor::pos()));
    const QModelIndex shown = under.isValid() && indexes.contains(under) ? under : indexes.constFirst();
    const QRect rect = visualRect(shown).intersected(viewport()->rect());
    if (!rect.isEmpty()) {
        drag->setPixmap(viewport()->grab(rect));
        drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rect.topLeft());
    }
    // Whatever action the drop reports, nothing is removed here: a drop on this list has moved the
    // rows already, and a drop anywhere else takes nothing away from the list. (The item view's own
    // drag removes the dragged rows after a move, which after our own move deleted the job.)
    if (const DragRunner &runner = dragRunner()) {
        runner(drag, supportedActions, Qt::MoveAction);
        drag->deleteLater();
    } else {
        drag->exec(supportedActions, Qt::MoveAction); // deletes the drag later itself
    }
}

void JobListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (model() && model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(viewport()->rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap,
                     tr("Drop video files or folders here, or use “File” or “Directory” below."));
}
