#include "store/CrfCache.h"

#include "model/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <mutex>

namespace {

std::mutex g_mutex; // one writer at a time, whatever the thread

QJsonObject readAll(const QString &path)
{
    const RegularFileRead read = readRegularFile(QFile::encodeName(path), 4 * 1024 * 1024);
    if (!read.ok())
        return {};
    return QJsonDocument::fromJson(read.bytes).object();
}

} // namespace

CrfCache::CrfCache(QString folder) : m_folder(std::move(folder))
{
}

QString CrfCache::path() const
{
    const QString folder =
        m_folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : m_folder;
    return QDir(folder).filePath(QStringLiteral("quality-search.json"));
}

std::optional<CrfChoice> CrfCache::find(const QString &key) const
{
    std::lock_guard lock(g_mutex);
    CrfChoice choice = CrfChoice::fromJson(readAll(path()).value(key).toObject());
    if (!choice.isValid())
        return std::nullopt;
    choice.cached = true;
    return choice;
}

void CrfCache::remember(const QString &key, const CrfChoice &choice)
{
    std::lock_guard lock(g_mutex);
    QJsonObject all = readAll(path());
    QJsonObject entry = choice.toJson();
    entry[QStringLiteral("at")] = QDateTime::currentSecsSinceEpoch();
    all[key] = entry;
    // The oldest go first.
    while (all.size() > MaxEntries) {
        auto oldest = std::min_element(all.begin(), all.end(), [](const QJsonValue &a, const QJsonValue &b) {
            return a.toObject().value(QLatin1String("at")).toDouble() <
                   b.toObject().value(QLatin1String("at")).toDouble();
        });
        all.erase(oldest);
    }
    QDir().mkpath(QFileInfo(path()).absolutePath());
    QSaveFile file(path());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(all).toJson(QJsonDocument::Compact));
        file.commit();
    }
}
