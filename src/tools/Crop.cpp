#include "tools/Crop.h"

#include "tools/ToolRunner.h"

QString extractPreviewFrame(const ToolRunner &, const QString &, const QString &, const QString &)
{
    return {};
}

QString detectCrop(const ToolRunner &, const QString &, const QString &)
{
    return {};
}

QString cropKeepWidth(double, double, double, double)
{
    return {};
}

QString cropByWidthRatio(double, double, double, double)
{
    return {};
}

QString cropKeepHeight(double, double, double, double)
{
    return {};
}
