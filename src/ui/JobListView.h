#pragma once

#include "model/Preset.h"

#include <QListView>

#include <functional>

class QDrag;

class JobListModel;

// The job list: several rows selectable, reordered by dragging, files dropped from a file manager,
// Delete (and the context menu) removing every selected row.
class JobListView : public QListView
{
    Q_OBJECT
public:
    explicit JobListView(QWidget *parent = nullptr);

    // Runs a drag and returns the action its drop reported: QDrag::exec() unless a test stands in for
    // the platform's drag and drop. An empty runner puts QDrag::exec() back.
    using DragRunner =
        std::function<Qt::DropAction(QDrag *drag, Qt::DropActions supported, Qt::DropAction defaultAction)>;
    static void setDragRunner(DragRunner runner);

    JobListModel *jobModel() const;
    QList<int> selectedRows() const;

    // The log of the job at a row, or empty when it has none: enables "Show Log" in the context menu.
    using LogFinder = std::function<QString(int row)>;
    void setLogFinder(LogFinder finder) { m_logFinder = std::move(finder); }
    // The presets the context menu offers under "Apply Preset" (greyed with their problem when they
    // cannot be used).
    using PresetLister = std::function<QList<Preset>()>;
    void setPresetLister(PresetLister lister) { m_presetLister = std::move(lister); }

signals:
    void showLogRequested(int row, const QString &path);
    void applyPresetRequested(const QList<int> &rows, const Preset &preset);

public slots:
    void deleteSelected();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    int dropRow(const QPoint &pos) const;

    LogFinder m_logFinder;
    PresetLister m_presetLister;
};
