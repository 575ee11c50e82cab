#include "tools/CommandLine.h"

#include "model/MediaVideo.h"
#include "tools/ToolRunner.h"

CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools)
{
    Q_UNUSED(job);
    Q_UNUSED(tools);
    return {{}, QStringLiteral("not built yet")};
}
