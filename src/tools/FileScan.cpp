#include "tools/FileScan.h"

#include "model/Vocabulary.h"

#include <QCollator>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QStringList findVideoFiles(const QString &directory)
{
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (Lists::isVideoExtension(info.suffix()))
            files << info.absoluteFilePath();
    }
    sortNaturally(files);
    return files;
}

void sortNaturally(QStringList &paths)
{
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(paths.begin(), paths.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}
