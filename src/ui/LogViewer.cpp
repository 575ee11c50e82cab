#include "ui/LogViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LogViewer::LogViewer(const QString &path, const QString &title, QWidget *parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("logViewer"));
    setWindowTitle(tr("Log of %1").arg(title));
    m_text->setObjectName(QStringLiteral("logText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    // Logs are capped when written, so reading one whole is bounded.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_text->setPlainText(QString::fromUtf8(file.readAll()));
    else
        m_text->setPlainText(tr("The log “%1” cannot be read: %2").arg(path, file.errorString()));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyLog"));
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(720, 480);
}

QString LogViewer::text() const
{
    return m_text->toPlainText();
}
