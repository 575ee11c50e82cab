#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save panels. The window that owns the editors holds one and hands it to them, so a
// test can give a double instead.
class Panels
{
public:
    virtual ~Panels() = default;

    // Empty results mean the user cancelled.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QStringList &extensions);
    virtual QString openFile(QWidget *parent, const QString &title, const QStringList &extensions);
    virtual QString openDirectory(QWidget *parent, const QString &title, const QString &startDir = {});
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                             const QString &extension);
};
