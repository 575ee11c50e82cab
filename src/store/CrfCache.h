#pragma once

#include "model/QualityReport.h"

#include <QString>

#include <optional>

// The constant quality values earlier searches chose, by source and settings, so that a job converted
// again (a retry, the same batch tomorrow) takes its value at once. One small JSON file in the user's
// cache folder, written whole; the newest entries are kept. Safe to use from several threads.
class CrfCache
{
public:
    // `folder` empty: the user's cache folder.
    explicit CrfCache(QString folder = {});

    std::optional<CrfChoice> find(const QString &key) const;
    void remember(const QString &key, const CrfChoice &choice);

    static constexpr int MaxEntries = 500;

private:
    QString path() const;
    QString m_folder;
};
