#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// Crop strings are "W:H:X:Y": width, height, x and y offsets of the kept rectangle.

// The crop text of one piece of detection output: from the last "crop=W:H:X:Y" that ends a line of it,
// e.g. "crop=1920:816:0:132"; empty when there is none.
QString cropReportIn(const QString &output);

QString cropKeepWidth(double width, double height, double ratio, double factor);
QString cropByWidthRatio(double width, double height, double ratio, double factor);
QString cropKeepHeight(double width, double height, double ratio, double factor);

// The four numbers of a crop string.
struct CropNumbers
{
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;

    QRect rect() const { return QRect(x, y, width, height); }
    bool operator==(const CropNumbers &) const = default;
};

// How a crop text is read. By default the whole text is exactly four whole numbers of 0 or more
// joined by colons, with nothing around them (not even a final newline, since the text may reach a
// command).
struct CropSyntax
{
    bool anywhere = false; // the first group found anywhere in the text, which may hold more
    bool negative = false; // numbers may carry a minus sign (a typed crop cut to the picture may)
    int maxDigits = 0;     // digits per number at most; 0 for no limit
};

// The one reader of crop strings: everything that reads one goes through it.
std::optional<CropNumbers> parseCrop(QStringView text, CropSyntax syntax = {});
// "W:H:X:Y" in decimal.
QString formatCrop(const CropNumbers &crop);

// True for exactly four whole numbers of 0 or more joined by colons.
bool isCropString(const QString &text);
// The rectangle of a crop string of four integers (a typed crop may hold a negative width); nullopt for
// anything else.
std::optional<QRect> cropRect(const QString &text);
// Whether a crop lies inside a picture `width` by `height` in square pixels, a rounding pixel aside; an
// empty rectangle lies nowhere.
bool cropFits(const QRect &crop, double width, double height);
// The first W:H:X:Y group of whole numbers found anywhere in `text`, or empty text.
QString findCropString(const QString &text);

// The multiple the detector rounds its sizes to (cropdetect's "round", 16 in the detection command).
inline constexpr int DetectionRounding = 16;
// A detected crop string measured against the source picture: on an axis where it falls short of the
// whole picture by less than DetectionRounding pixels there is no border, only the detector's rounding,
// and the whole picture is kept on that axis (1920:1072:0:4 on 1920x1080 gives 1920:1080:0:0; a real
// letterbox, 1920:816:0:132, stays). Anything else, or an unknown picture size, is returned unchanged.
QString withoutRoundingBorders(const QString &crop, int pictureWidth, int pictureHeight);
