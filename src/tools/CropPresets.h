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
inline constexpr int ManualCrop = 1;

// Crop text for preset `index` computed from the job's picture; nullopt-like empty result for "none".
// For "manual" the current text is returned unchanged.
QString presetCropText(int index, const MediaVideo &job, const QString &currentText);
// A typed crop: the first W:H:X:Y group of one to four digits each, kept inside the picture.
QString validateCropText(const QString &text, int videoWidth, int videoHeight);
