#include "ui/EditorRows.h"

#include "model/MediaVideo.h"
#include "rules/JobRules.h"
#include "ui/Pickers.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

class FocusWatcher : public QObject
{
public:
    FocusWatcher(QWidget *watched, std::function<void(bool)> onEditing)
        : QObject(watched), m_onEditing(std::move(onEditing))
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_onEditing(true);
        else if (event->type() == QEvent::FocusOut)
            m_onEditing(false);
        return false;
    }

private:
    std::function<void(bool)> m_onEditing;
};

} // namespace

namespace EditorRows {

void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printEditing(bool begins, const QString &text)
{
    printLine((begins ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral("  - > ") + text);
}

void watchFocus(QWidget *field, std::function<void(bool)> onEditing)
{
    new FocusWatcher(field, std::move(onEditing));
}

QLabel *groupHeader(const QString &title, QWidget *parent)
{
    auto *header = new QLabel(title, parent);
    QFont font = header->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.35);
    header->setFont(font);
    header->setForegroundRole(QPalette::WindowText);
    return header;
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *rowLabel(const QString &text, QWidget *parent, int width)
{
    auto *label = new QLabel(text, parent);
    label->setFixedWidth(width);
    label->setProperty("rowLabel", width == LabelWidth);
    label->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    return label;
}

QHBoxLayout *addRow(QVBoxLayout *group, const QString &label, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 0);
    row->addWidget(rowLabel(label, parent));
    group->addLayout(row);
    return row;
}

QLabel *addNote(QVBoxLayout *group, const QString &name, QWidget *parent)
{
    auto *note = new QLabel(parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->hide();
    // A row whose only widget is hidden is empty, and an empty row takes no room, spacing included.
    auto *row = new QHBoxLayout;
    row->setObjectName(name + QStringLiteral("Row"));
    row->setProperty("noteRow", true);
    row->addWidget(note, 1);
    group->addLayout(row);
    return note;
}

void alignRowLabels(QWidget *content)
{
    const QList<QLabel *> labels = content->findChildren<QLabel *>();
    int labelWidth = LabelWidth;
    for (const QLabel *label : labels) {
        if (label->property("rowLabel").toBool())
            labelWidth = std::max(labelWidth, label->sizeHint().width() + 4);
    }
    for (QLabel *label : labels) {
        if (label->property("rowLabel").toBool())
            label->setFixedWidth(labelWidth);
    }
    for (QHBoxLayout *row : content->findChildren<QHBoxLayout *>()) {
        if (row->property("noteRow").toBool())
            row->setContentsMargins(labelWidth + 12, 0, 6, 0);
    }
}

QComboBox *listPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(name);
    picker->addItems(entries);
    picker->setFixedWidth(ListPickerWidth);
    return picker;
}

QComboBox *trackPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(name);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker->setMaximumWidth(RowWidth);
    for (const QString &entry : entries) {
        picker->addItem(entry);
        picker->setItemData(picker->count() - 1, entry, Qt::ToolTipRole);
    }
    return picker;
}

QListWidget *trackChecklist(const QStringList &labels, const QStringList &lines, const QString &name,
                            QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setMaximumWidth(RowWidth);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        auto *item = new QListWidgetItem(labels.at(i), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setToolTip(lines.value(i).trimmed());
    }
    const int rows = int(std::clamp<qsizetype>(labels.size(), 1, 4));
    const int rowHeight = std::max(list->fontMetrics().height() + 6, list->sizeHintForRow(0));
    list->setFixedHeight(rows * rowHeight + 2 * list->frameWidth() + 2);
    return list;
}

QStringList trackLabels(const MediaVideo &job, MediaStream::Kind kind, const QStringList &lines)
{
    const QList<MediaStream> streams = streamsOf(job.streams, kind);
    QStringList labels;
    for (qsizetype i = 0; i < lines.size(); ++i)
        labels << (streams.size() == lines.size() ? streamLabel(streams.at(i)) : lines.at(i).trimmed());
    return labels;
}

QList<int> checkedRows(const QListWidget *list)
{
    QList<int> out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            out << i + 1;
    }
    return out;
}

void checkRows(QListWidget *list, const QList<int> &numbers)
{
    for (int i = 0; i < list->count() && list->isEnabled(); ++i)
        list->item(i)->setCheckState(numbers.contains(i + 1) ? Qt::Checked : Qt::Unchecked);
}

SegmentedPicker *segmentedPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new SegmentedPicker(entries, RowWidth, parent);
    picker->setObjectName(name);
    return picker;
}

QToolButton *saveButton(const QString &name, const QString &tip, QWidget *parent)
{
    const QIcon icon = QIcon::fromTheme(QStringLiteral("document-save"),
                                        parent->style()->standardIcon(QStyle::SP_DialogSaveButton));
    QToolButton *button = pictographButton(0x1F4BE, icon, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

int pickerIndex(const QComboBox *picker)
{
    return std::max(0, picker->currentIndex());
}

} // namespace EditorRows

EditorPart::EditorPart(MediaVideo &draft, QWidget *content)
    : QObject(content), m_draft(draft), m_content(content)
{
}
