#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save panels. Windows ask the current instance, so tests can put a double in its place.
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

    static Panels &instance();
    // Replaces the panels (nullptr restores the real ones); the caller keeps ownership.
    static void setInstance(Panels *panels);
};
