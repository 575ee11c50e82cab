#include "ui/Panels.h"

#include <QFileDialog>

namespace {

// "Videos (*.mp4 *.MP4 ...)": both letter cases, since camera files are often upper case.
QString filterFor(const QString &label, const QStringList &extensions)
{
    QStringList patterns;
    for (const QString &ext : extensions)
        patterns << QStringLiteral("*.") + ext << QStringLiteral("*.") + ext.toUpper();
    return QStringLiteral("%1 (%2)").arg(label, patterns.join(QLatin1Char(' ')));
}

} // namespace

QStringList Panels::openFiles(QWidget *parent, const QString &title, const QStringList &extensions)
{
    return QFileDialog::getOpenFileNames(parent, title, {}, filterFor(QFileDialog::tr("Files"), extensions));
}

QString Panels::openFile(QWidget *parent, const QString &title, const QStringList &extensions)
{
    return QFileDialog::getOpenFileName(parent, title, {}, filterFor(QFileDialog::tr("Files"), extensions));
}

QString Panels::openDirectory(QWidget *parent, const QString &title, const QString &startDir)
{
    return QFileDialog::getExistingDirectory(parent, title, startDir, QFileDialog::ShowDirsOnly);
}

QString Panels::saveFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                         const QString &extension)
{
    return QFileDialog::getSaveFileName(parent, title, suggestedPath,
                                        filterFor(QFileDialog::tr("Files"), {extension}));
}
