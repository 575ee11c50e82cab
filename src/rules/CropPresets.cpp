#include "rules/CropPresets.h"

#include "model/MediaVideo.h"
#include "rules/Crop.h"

const QList<CropPreset> &crops()
{
    static const QList<CropPreset> list{
        {QStringLiteral("none"), QString(), 0.0, CropMode::cropno},
        {QStringLiteral("manual"), QStringLiteral("-1"), 0.0, CropMode::cropno},
        {QStringLiteral("1:85.1"), QStringLiteral("1920:1032:0:24"), 1.85, CropMode::cropmode1},
        {QStringLiteral("2:35.1"), QStringLiteral("1920:816:0:132"), 2.35, CropMode::cropmode1},
        {QStringLiteral("2:39.1"), QStringLiteral("1920:804:0:138"), 2.39, CropMode::cropmode1},
        {QStringLiteral("2:55.1"), QStringLiteral("1920:752:0:160"), 2.55, CropMode::cropmode1},
        {QStringLiteral("2:76.1"), QStringLiteral("1920:696:0:192"), 2.76, CropMode::cropmode1},
        {QStringLiteral("4:3"), QStringLiteral("1440:1072:240:4"), 1.33, CropMode::cropmode2},
        {QStringLiteral("5:3"), QStringLiteral("1796:1080:60:0"), 1.66, CropMode::cropmode3},
        {QStringLiteral("16:9"), QStringLiteral("1920:1080:0:0"), 1.77, CropMode::cropmode1},
    };
    return list;
}

int cropPresetIndex(const QString &name)
{
    const QList<CropPreset> &list = crops();
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].name == name)
            return i;
    }
    return -1;
}

namespace {

bool fitsPicture(const QString &crop, double width, double height)
{
    const std::optional<QRect> rect = cropRect(crop);
    return rect && cropFits(*rect, width, height);
}

// The crop string of a preset for a picture of `width` by `height` whose pixels are `factor` wide.
// Keeping the width of a picture narrower than the ratio would cut more than its height (and keeping
// the height of a wider one more than its width): the other side is kept instead, so that the crop
// still has the ratio and lies inside the picture.
QString presetCrop(const CropPreset &preset, double width, double height, double factor)
{
    const auto keepWidth = [&] { return cropKeepWidth(width, height, preset.ratio, factor); };
    const auto keepHeight = [&] { return cropKeepHeight(width, height, preset.ratio, factor); };
    QString crop;
    switch (preset.cropMode) {
    case CropMode::cropmode1:
        crop = keepWidth();
        return fitsPicture(crop, width * factor, height) ? crop : keepHeight();
    case CropMode::cropmode2:
        return cropByWidthRatio(width, height, preset.ratio, factor);
    case CropMode::cropmode3:
        crop = keepHeight();
        return fitsPicture(crop, width * factor, height) ? crop : keepWidth();
    case CropMode::cropno:
        break;
    }
    return preset.value;
}

} // namespace

QString presetCropText(int index, const MediaVideo &job, const QString &currentText)
{
    if (index == ManualCrop)
        return currentText;
    if (index < 0 || index >= crops().size())
        index = NoCrop;
    return presetCrop(crops()[index], job.videoWidth, job.videoHeight, job.videoPixelAspectRatio);
}

QString previewCropText(int index, const MediaVideo &job, const QString &cropText)
{
    if (index < ManualCrop || index >= crops().size() || cropText.isEmpty())
        return {};
    if (index == ManualCrop)
        return cropText;
    const CropPreset &preset = crops()[index];
    // The outline of the two width-ratio modes folds the pixel aspect ratio into the width.
    if (preset.cropMode == CropMode::cropmode2 || preset.cropMode == CropMode::cropmode3)
        return presetCrop(preset, job.videoPixelAspectRatio * job.videoWidth, job.videoHeight, 1);
    return presetCrop(preset, job.videoWidth, job.videoHeight, job.videoPixelAspectRatio);
}

QString validateCropText(const QString &text, int videoWidth, int videoHeight)
{
    std::optional<CropNumbers> crop = parseCrop(text, {.anywhere = true, .maxDigits = TypedCropDigits});
    if (!crop)
        return {};
    if (videoWidth < crop->width + crop->x)
        crop->width = videoWidth - crop->x;
    if (videoHeight < crop->height + crop->y)
        crop->height = videoHeight - crop->y;
    return formatCrop(*crop);
}
