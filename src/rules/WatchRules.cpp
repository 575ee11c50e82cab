#include "rules/WatchRules.h"

#include "model/Vocabulary.h"

#include <QStringList>

#include <algorithm>

std::optional<NeverTaken> neverTaken(const QString &relativePath)
{
    const QStringList parts = relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return NeverTaken::NotVideo;
    // The run's own job folders (".clip.mp4.tavrix-Xy12Ab") are hidden too.
    for (const QString &part : parts) {
        if (part.startsWith(QLatin1Char('.')))
            return NeverTaken::Hidden;
    }
    const QString &name = parts.last();
    if (name.endsWith(QLatin1Char('~')))
        return NeverTaken::Temporary;
    const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
    if (name.contains(QLatin1Char('.')) &&
        (suffix == QLatin1String("part") || suffix == QLatin1String("tmp") ||
         suffix == QLatin1String("crdownload")))
        return NeverTaken::Temporary;
    if (!name.contains(QLatin1Char('.')) || !Lists::isVideoExtension(suffix))
        return NeverTaken::NotVideo;
    return std::nullopt;
}

qint64 settledAtMs(qint64 unchangedSinceMs, qint64 modifiedMs, qint64 settleMs)
{
    return std::min(unchangedSinceMs, modifiedMs) + settleMs;
}

RecordMatch matchRecord(const QList<RecordedFile> &record, const QString &path, qint64 size,
                        qint64 modifiedMs, const QByteArray &fingerprint)
{
    using K = RecordMatch::Kind;
    if (fingerprint.isEmpty()) {
        for (int i = 0; i < record.size(); ++i) {
            if (record[i].path == path && record[i].size == size && record[i].modifiedMs == modifiedMs)
                return {K::Same, i};
        }
        // A new path can still hold a recorded file moved here, and a changed one its old content: only
        // the content tells.
        return {K::NeedPrint, -1};
    }
    int moved = -1;
    for (int i = 0; i < record.size(); ++i) {
        if (record[i].fingerprint != fingerprint)
            continue;
        if (record[i].path == path)
            return {K::Same, i};
        if (moved < 0)
            moved = i;
    }
    return moved >= 0 ? RecordMatch{K::Moved, moved} : RecordMatch{K::New, -1};
}

bool keepRecorded(RecordedFile &entry, bool exists, qint64 nowMs, qint64 graceMs)
{
    if (exists) {
        entry.missingSinceMs = 0;
        return true;
    }
    if (entry.missingSinceMs <= 0 || entry.missingSinceMs > nowMs) {
        entry.missingSinceMs = nowMs;
        return true;
    }
    return nowMs - entry.missingSinceMs < graceMs;
}
