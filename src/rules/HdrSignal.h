#pragma once

#include "model/Vocabulary.h"

#include <QString>

class MediaVideo;

// Ten-bit pictures and high dynamic range: what mediainfo says about them, what each encoder can carry,
// and what the command does with them.

// The kind of high dynamic range from mediainfo's "transfer_characteristics" ("PQ", "HLG", or the
// standard's name) and, for a stream that names no transfer, its "HDR_Format_Compatibility".
HdrKind hdrKindOf(const QString &transfer, const QString &compatibility);

// The mastering display in x265's form, "G(x,y)B(x,y)R(x,y)WP(x,y)L(max,min)": chromaticities in units
// of 0.00002, luminance in units of 0.0001 cd/m². From mediainfo's "MasteringDisplay_ColorPrimaries"
// (a name such as "Display P3", or "R: x=0.680000 y=0.320000, G: ..., White point: x=... y=...") and
// "MasteringDisplay_Luminance" ("min: 0.0050 cd/m2, max: 1000 cd/m2"). Empty text when either is
// missing, unknown or out of range.
QString x265MasteringDisplay(const QString &primaries, const QString &luminance);
// Whether `text` is exactly of the form x265MasteringDisplay() writes: digits in fixed places only.
bool isX265MasteringDisplay(const QString &text);
// A light level of mediainfo ("MaxCLL", "MaxFALL"): "1000 cd/m2" gives 1000; anything else 0.
int lightLevel(const QString &text);

// What an encoder can write: ten-bit samples, and the signalling of HDR10 and HLG (colour tags,
// mastering display, light levels).
bool carriesTenBit(VideoEncoders encoder);
bool carriesHdr(VideoEncoders encoder);

// What the command does with the job's picture (a copied stream is never touched):
// ten-bit output for a source of ten bits or more whose encoder carries it (unless a high dynamic range
// is to be converted to standard range: that is 8-bit),
bool keepsTenBit(const MediaVideo &job);
// the high dynamic range kept, signalling included, where the output carries it and the job keeps it,
bool keepsHdr(const MediaVideo &job);
// else a high dynamic range picture is tone-mapped to standard range BT.709.
bool toneMaps(const MediaVideo &job);

// The filter elements that tone-map a picture of `kind` to 8-bit BT.709.
QString toneMapFilter(HdrKind kind);
// The output options that keep the job's high dynamic range signalling, each followed by a space;
// empty when keepsHdr() is false.
QString hdrOptions(const MediaVideo &job);
