#include "ui/EditorCommandView.h"

#include "rules/CommandLine.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace EditorRows;

EditorCommandView::EditorCommandView(MediaVideo &draft, QVBoxLayout *column, QWidget *content)
    : EditorPart(draft, content)
{
    QHBoxLayout *row = addRow(column, tr("Command"), content);
    m_view = new QPlainTextEdit(content);
    m_view->setObjectName(QStringLiteral("commandLineView"));
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setFixedHeight(m_view->fontMetrics().lineSpacing() * 5 + 12);
    m_view->setToolTip(tr("The command this job would run with the choices above"));
    row->addWidget(m_view, 1);
    auto *copy = new QToolButton(content);
    copy->setObjectName(QStringLiteral("copyCommandButton"));
    copy->setText(tr("Copy"));
    connect(copy, &QToolButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    row->addWidget(copy, 0, Qt::AlignTop);
}

void EditorCommandView::showCommand(const CommandLine &command)
{
    m_view->setPlainText(command.ok() ? command.text : tr("No command: %1").arg(command.error));
}

QString EditorCommandView::text() const
{
    return m_view->toPlainText();
}
