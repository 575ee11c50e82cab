#pragma once

#include <QListView>

class JobListModel;

// The job list: several rows selectable, reordered by dragging, files dropped from a file manager,
// Delete (and the context menu) removing every selected row.
class JobListView : public QListView
{
    Q_OBJECT
public:
    explicit JobListView(QWidget *parent = nullptr);

    JobListModel *jobModel() const;
    QList<int> selectedRows() const;

public slots:
    void deleteSelected();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int dropRow(const QPoint &pos) const;
};
