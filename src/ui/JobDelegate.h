#pragma once

#include <QStyledItemDelegate>

// Paints one job row: the source's name (pressing it asks for the editor) with, under it, the last
// run's result and what the run will meet at the destination; the job's info and any encoder warning;
// the thumbnail on black with rounded corners.
class JobDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int Thumbnail = 64; // device-independent pixels
    static constexpr int Margin = 6;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Where each part of a row sits, for painting and for hit tests.
    struct Layout
    {
        QRect name;
        QRect result; // the first line under the name
        QRect note;   // the second line under the name
        QRect info;
        QRect warning;
        QRect thumbnail;
    };
    static Layout layout(const QRect &row, const QFontMetrics &metrics);

signals:
    // The row's name was pressed: the editor should open on that job.
    void nameActivated(const QModelIndex &index);
};
