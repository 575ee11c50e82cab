#include "tools/CommandLine.h"

#include "model/MediaVideo.h"
#include "tools/ToolRunner.h"

CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools, CropDetection crop)
{
    Q_UNUSED(crop);
    Q_UNUSED(job);
    Q_UNUSED(tools);
    return {{}, QStringLiteral("not built yet")};
}
