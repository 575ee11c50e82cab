#pragma once

#include "rules/OutputPlan.h"

#include <QHash>
#include <QString>

// Asks the file system itself, without following a link at the end of the path for `present`.
PathState probePath(const QString &path);

// Keeps what probePath() answered for each path until cleared, so that a list of thousands of jobs is
// not asked about again whenever one row changes. Clear it when the files may have changed behind it.
class PathCache
{
public:
    PathState state(const QString &path);
    void clear() { m_states.clear(); }

private:
    QHash<QString, PathState> m_states;
};
