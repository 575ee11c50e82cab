#pragma once

#include <QList>
#include <QString>

class MediaVideo;

enum class CropMode { cropno, cropmode1, cropmode2, cropmode3 };

struct CropPreset
{
    QString name;
    QString value;
    double ratio = 0;
    CropMode cropMode = CropMode::cropno;
};

// The crop presets in picker order; index 1 ("manual") is the typed or detected crop.
const QList<CropPreset> &crops();
inline constexpr int NoCrop = 0;
inline constexpr int ManualCrop = 1;

// Index of the preset called `name` (e.g. "2:35.1"), or -1.
int cropPresetIndex(const QString &name);

// Crop text for preset `index` computed from the job's picture (width, height, pixel aspect ratio).
// For "manual" `currentText` is returned unchanged; "none" and indexes outside the table give empty text.
QString presetCropText(int index, const MediaVideo &job, const QString &currentText);
// The crop the preview outlines for preset `index`: for "manual" `cropText`, for the ratio presets the
// computed crop on the picture with square pixels (which is what the preview frame shows); empty for
// "none", for an empty `cropText` and for indexes outside the table.
QString previewCropText(int index, const MediaVideo &job, const QString &cropText);
// Digits a typed crop may have per number.
inline constexpr int TypedCropDigits = 4;
// A typed crop: the first W:H:X:Y group of one to four digits each, kept inside the picture; empty text
// when there is none.
QString validateCropText(const QString &text, int videoWidth, int videoHeight);
