#pragma once

#include "ui/EditorRows.h"

class QPlainTextEdit;
struct CommandLine;

// The "Command" row: the command the job as edited would run, or why there is none, with a button that
// copies it.
class EditorCommandView : public EditorPart
{
    // The rows keep the editor's texts, which the translations file under its name.
    Q_DECLARE_TR_FUNCTIONS(DetailView)

public:
    EditorCommandView(MediaVideo &draft, QVBoxLayout *column, QWidget *content);

    void load() override {}
    void showCommand(const CommandLine &command);
    QString text() const;

private:
    QPlainTextEdit *m_view = nullptr;
};
