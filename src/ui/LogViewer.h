#pragma once

#include <QDialog>

class QPlainTextEdit;

// A job's log, read-only, with a button that copies it whole.
class LogViewer : public QDialog
{
    Q_OBJECT
public:
    // `title` names the job ("clip.mov"); the file is read once, now.
    LogViewer(const QString &path, const QString &title, QWidget *parent = nullptr);

    QString text() const;

private:
    QPlainTextEdit *m_text;
};
