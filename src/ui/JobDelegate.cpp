#include "ui/JobDelegate.h"

#include "model/JobResult.h"
#include "session/JobListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

QColor resultColor(JobResult::Status status, const QPalette &palette)
{
    switch (status) {
    case JobResult::Status::Succeeded:
        return QColor(0x2e, 0x7d, 0x32);
    case JobResult::Status::Failed:
        return QColor(0xc6, 0x28, 0x28);
    case JobResult::Status::Stopped:
    case JobResult::Status::Interrupted:
    case JobResult::Status::Incomplete:
        return QColor(0xe6, 0x5c, 0x00);
    case JobResult::Status::NotRun:
    case JobResult::Status::None:
        break;
    }
    return palette.color(QPalette::PlaceholderText);
}

QString resultLine(const JobResult &result, const QString &written)
{
    const QString text = result.text();
    const QString reason = result.reasonText();
    switch (result.status) {
    case JobResult::Status::Succeeded: {
        return QStringLiteral("✓ ") +
               (written.isEmpty()
                    ? text
                    : JobDelegate::tr("%1: written to %2").arg(text, QFileInfo(written).fileName()));
    }
    case JobResult::Status::Failed:
        return QStringLiteral("✗ ") + (reason.isEmpty() ? text : JobDelegate::tr("%1: %2").arg(text, reason));
    case JobResult::Status::Incomplete:
        return QStringLiteral("⚠ ") + (reason.isEmpty() ? text : JobDelegate::tr("%1: %2").arg(text, reason));
    case JobResult::Status::NotRun:
        return reason.isEmpty() ? text : JobDelegate::tr("%1: %2").arg(text, reason);
    default:
        return text;
    }
}

// What the run measured, for the line under a success: the CRF its target chose, then how close the
// output came. The search's own prediction gives way to the measurement (the tip keeps both).
QString measuredLine(const JobResult &result)
{
    if (result.quality.ssim)
        return (result.chosen.isValid() ? QStringLiteral("CRF %1 · ").arg(result.chosen.crf) : QString()) +
               result.quality.text();
    const QString chosen = result.chosen.text();
    const QString problem = result.quality.text();
    return chosen.isEmpty() || problem.isEmpty() ? chosen + problem
                                                 : chosen + QStringLiteral(" · ") + problem;
}

QString resultTip(const JobResult &result, const QString &written)
{
    QString tip = result.reasonText();
    if (!written.isEmpty())
        tip = JobDelegate::tr("Written to %1").arg(written);
    const QString chosen = result.chosen.fullText();
    for (const QString &detail : {chosen, result.quality.text()})
        if (!detail.isEmpty())
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + detail;
    if (!result.outputTail.isEmpty()) {
        // The last few lines say most; the whole tail would cover the screen.
        QStringList lines = result.outputTail.trimmed().split(QLatin1Char('\n'));
        if (lines.size() > 8)
            lines = lines.mid(lines.size() - 8);
        tip += (tip.isEmpty() ? QString() : QStringLiteral("\n\n")) + lines.join(QLatin1Char('\n'));
    }
    return tip;
}

const QColor noteColor(0xb2, 0x6a, 0x00);

// What the lines under the name say: the last result, then, unless the job is done, what its
// destination holds in store for the next run.
struct StatusLine
{
    enum class Kind { Result, Conflict };
    Kind kind;
    QString text;
    QColor color;
};

QList<StatusLine> statusLines(const QModelIndex &index, const QPalette &palette)
{
    QList<StatusLine> lines;
    const JobResult result = index.data(JobListModel::ResultRole).value<JobResult>();
    const QString choice = index.data(JobListModel::ChoiceRole).toString();
    if (!choice.isEmpty()) {
        // This run's search for the job's quality target, or what it chose; the progress follows it.
        QString line = choice;
        if (const QVariant progress = index.data(JobListModel::ProgressRole); progress.isValid())
            line = JobDelegate::tr("Converting… %1%").arg(progress.toDouble(), 0, 'f', 0) +
                   QStringLiteral(" · ") + line;
        lines.append({StatusLine::Kind::Result, line, palette.color(QPalette::Text)});
    } else if (const QVariant progress = index.data(JobListModel::ProgressRole); progress.isValid()) {
        const double percent =
            std::isfinite(progress.toDouble()) ? std::clamp(progress.toDouble(), 0.0, 100.0) : 0;
        lines.append({StatusLine::Kind::Result, JobDelegate::tr("Converting… %1%").arg(percent, 0, 'f', 0),
                      palette.color(QPalette::Text)});
    } else if (result.status != JobResult::Status::None) {
        lines.append({StatusLine::Kind::Result,
                      resultLine(result, index.data(JobListModel::WrittenRole).toString()),
                      resultColor(result.status, palette)});
        if (result.status == JobResult::Status::Succeeded) {
            if (const QString measured = measuredLine(result); !measured.isEmpty())
                lines.append({StatusLine::Kind::Result, measured,
                              result.quality.problem.isEmpty() ? palette.color(QPalette::Text) : noteColor});
        }
    }
    const QString conflict = index.data(JobListModel::ConflictRole).toString();
    // Once an output was written, the warning about its name is history: the result says which name.
    if (!conflict.isEmpty() && result.status != JobResult::Status::Succeeded &&
        result.status != JobResult::Status::Incomplete)
        lines.append({StatusLine::Kind::Conflict, QStringLiteral("⚠ ") + conflict, noteColor});
    return lines;
}

} // namespace

JobDelegate::Layout JobDelegate::layout(const QRect &row, const QFontMetrics &metrics)
{
    Layout l;
    const QRect inner = row.adjusted(Margin, Margin, -Margin, -Margin - 1); // 1 for the divider
    l.thumbnail = QRect(inner.right() - Thumbnail + 1, inner.top() + (inner.height() - Thumbnail) / 2,
                        Thumbnail, Thumbnail);
    const int textRight = l.thumbnail.left() - 2 * Margin;
    const int available = std::max(0, textRight - inner.left());
    // The name column, with the lines under the name, takes half but at least 200 pixels, as long as the
    // info keeps 100.
    const int nameWidth = std::clamp(available / 2, std::min(200, std::max(0, available - 100)), available);
    const int line = metrics.height();
    const int nameTop = inner.top() + std::max(0, (inner.height() - 3 * line - 4) / 2);
    l.name = QRect(inner.left(), nameTop, nameWidth, line);
    l.result = QRect(inner.left(), nameTop + line + 2, nameWidth, line);
    l.note = QRect(inner.left(), nameTop + 2 * line + 4, nameWidth, line);
    const int infoLeft = inner.left() + nameWidth + 2 * Margin;
    const int infoWidth = std::max(0, textRight - infoLeft);
    l.warning = QRect(infoLeft, inner.bottom() - line + 1, infoWidth, line);
    l.info = QRect(infoLeft, inner.top(), infoWidth, inner.height());
    return l;
}

void JobDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = {};
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor text = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    QFont nameFont = option.font;
    nameFont.setBold(true);
    const Layout l = layout(option.rect, QFontMetrics(option.font));

    // The name reads as a link: pressing it opens the editor.
    painter->setFont(nameFont);
    painter->setPen(selected ? text : option.palette.color(group, QPalette::Link));
    const QString name = index.data(JobListModel::NameRole).toString();
    painter->drawText(l.name, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(nameFont).elidedText(name, Qt::ElideMiddle, l.name.width()));

    painter->setFont(option.font);
    const QList<StatusLine> lines = statusLines(index, option.palette);
    for (int i = 0; i < lines.size() && i < 2; ++i) {
        const QRect &rect = i == 0 ? l.result : l.note;
        painter->setPen(selected ? text : lines.at(i).color);
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(lines.at(i).text, Qt::ElideRight, rect.width()));
    }

    const QString warning = index.data(JobListModel::WarningRole).toString();
    QRect infoRect = l.info;
    if (!warning.isEmpty()) {
        infoRect.setBottom(l.warning.top() - 2);
        painter->setPen(selected ? text : noteColor);
        painter->drawText(
            l.warning, Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(QStringLiteral("⚠ ") + warning, Qt::ElideRight, l.warning.width()));
    }
    painter->setPen(text);
    painter->drawText(infoRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                      index.data(JobListModel::InfoRole).toString());

    // The thumbnail keeps its proportions on a black square with rounded corners.
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(l.thumbnail), 10, 10);
    painter->setClipPath(frame);
    painter->fillRect(l.thumbnail, Qt::black);
    const QImage thumbnail = index.data(JobListModel::ThumbnailRole).value<QImage>();
    if (!thumbnail.isNull()) {
        QSize fitted = thumbnail.size().scaled(l.thumbnail.size(), Qt::KeepAspectRatio);
        fitted = fitted.expandedTo(QSize(1, 1));
        QRect target(QPoint(0, 0), fitted);
        target.moveCenter(l.thumbnail.center());
        painter->drawImage(target, thumbnail);
    }
    painter->setClipping(false);

    // A divider under every row.
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.left() + Margin, option.rect.bottom(), option.rect.right() - Margin,
                      option.rect.bottom());
    painter->restore();
}

QSize JobDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int textHeight = 3 * option.fontMetrics.height() + 4;
    return {500, std::max(Thumbnail, textHeight) + 2 * Margin + 1};
}

JobDelegate::JobDelegate(QAbstractItemView *view) : QStyledItemDelegate(view)
{
    connect(view, &QAbstractItemView::activated, this, &JobDelegate::nameActivated);
}

bool JobDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                              const QModelIndex &index)
{
    // The second click of a double-click on the name: its first click has already asked.
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const Layout l = layout(option.rect, option.fontMetrics);
        // Only the painted text counts, so a press beside a short name still just selects the row.
        QFont nameFont = option.font;
        nameFont.setBold(true);
        const int textWidth =
            QFontMetrics(nameFont).horizontalAdvance(index.data(JobListModel::NameRole).toString());
        QRect hit = l.name;
        hit.setWidth(std::min(l.name.width(), textWidth + 4));
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier &&
            hit.contains(mouse->position().toPoint())) {
            if (event->type() == QEvent::MouseButtonRelease)
                emit nameActivated(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool JobDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                            const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const Layout l = layout(option.rect, option.fontMetrics);
    const QPoint pos = event->pos();
    QString tip;
    const QString warning = index.data(JobListModel::WarningRole).toString();
    const QList<StatusLine> lines = statusLines(index, option.palette);
    const QString destination = index.data(JobListModel::DestinationRole).toString();
    const int line = l.result.contains(pos) ? 0 : l.note.contains(pos) ? 1 : -1;
    if (l.name.contains(pos)) {
        tip = tr("%1\nPress to edit this job.").arg(index.data(JobListModel::SourceRole).toString());
    } else if (line >= 0 && line < lines.size()) {
        if (lines.at(line).kind == StatusLine::Kind::Result)
            tip = resultTip(index.data(JobListModel::ResultRole).value<JobResult>(),
                            index.data(JobListModel::WrittenRole).toString());
        else
            tip = tr("%1\nOutput: %2").arg(index.data(JobListModel::ConflictRole).toString(), destination);
    } else if (l.warning.contains(pos) && !warning.isEmpty())
        tip = warning;
    else
        tip = tr("Output: %1").arg(destination);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}
