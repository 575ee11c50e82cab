#include "watch/WatchedFolders.h"

#include <QDir>
#include <QJsonArray>

#include <algorithm>

QJsonObject WatchSetup::toJson() const
{
    QJsonArray list;
    for (const WatchedFolder &folder : folders) {
        QJsonObject entry{{QStringLiteral("path"), folder.path}};
        if (!folder.preset.isEmpty())
            entry.insert(QStringLiteral("preset"), folder.preset);
        if (folder.paused)
            entry.insert(QStringLiteral("paused"), true);
        if (folder.pollSeconds > 0)
            entry.insert(QStringLiteral("poll"), folder.pollSeconds);
        list.append(entry);
    }
    return {{QStringLiteral("folders"), list}, {QStringLiteral("convertNewFiles"), convertNewFiles}};
}

WatchSetup WatchSetup::fromJson(const QJsonObject &object)
{
    WatchSetup setup;
    setup.convertNewFiles = object.value(QStringLiteral("convertNewFiles")).toBool();
    for (const QJsonValue &value : object.value(QStringLiteral("folders")).toArray()) {
        const QJsonObject entry = value.toObject();
        WatchedFolder folder{QDir::cleanPath(entry.value(QStringLiteral("path")).toString()),
                             entry.value(QStringLiteral("preset")).toString(),
                             entry.value(QStringLiteral("paused")).toBool(),
                             std::clamp(entry.value(QStringLiteral("poll")).toInt(), 0, 86400)};
        if (!QDir::isAbsolutePath(folder.path) || setup.indexOf(folder.path) >= 0)
            continue;
        setup.folders << folder;
    }
    return setup;
}

int WatchSetup::indexOf(const QString &path) const
{
    for (int i = 0; i < folders.size(); ++i) {
        if (folders[i].path == path)
            return i;
    }
    return -1;
}
