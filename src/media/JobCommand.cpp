#include "media/JobCommand.h"

#include "media/EncoderCatalog.h"
#include "media/Preview.h"
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "rules/JobRules.h"

CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools, const QString &globalParams,
                        CropDetection crop, const EncoderCatalog *catalog, ExistingFiles existing)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok())
        return {{}, ffmpeg.error};
    CommandContext context;
    context.ffmpegPath = ffmpeg.path;
    context.globalParams = globalParams;
    if (crop == CropDetection::Run)
        context.detectCrop = [&] { return detectCrop(tools, job.source, job.durationVideoMiddle); };
    else
        context.detectCrop = [] { return QString::fromLatin1(DetectedCropPlaceholder); };
    // A command built only to be shown (the editor rebuilds it on every change) tells nothing on stdout.
    context.writeDiagnostics = crop == CropDetection::Run;
    if (familyOf(job.videoEncoder) == EncoderFamily::Vaapi)
        context.vaapiDevice = catalog ? catalog->vaapiDevice() : EncoderCatalog::renderNodes().value(0);
    if (catalog)
        context.unavailableReason = [catalog](const QString &encoder) {
            return catalog->unavailableReason(encoder);
        };
    context.existingFiles = existing;
    return buildCommandLine(job, context);
}
