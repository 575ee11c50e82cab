#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The search for the constant quality value (CRF) that gives the smallest file still meeting a quality
// target: candidates are scored (by encoding samples and comparing them with the source, elsewhere) and
// narrowed by bisection to the highest CRF whose score meets the target.
struct CrfSearch
{
    int best = 10;        // the lowest CRF tried: best quality, largest file
    int worst = 51;       // the highest CRF tried
    double target = 0.98; // the score to meet (higher is better)
    int maxCandidates = 6;
};

struct CrfSearchResult
{
    enum class Outcome {
        Found,       // `crf` is the highest CRF tried whose score meets the target
        Unreachable, // no CRF tried meets it: `crf` is the best one tried
        Failed       // a candidate could not be scored: `error` says why
    };
    Outcome outcome = Outcome::Failed;
    int crf = 0;
    double score = 0;
    QList<std::pair<int, double>> tried; // each candidate and its score, in the order tried
    QString error;
};

enum class VideoEncoders;

// A stretch of the source that a search encodes in place of the whole film.
struct SampleSpan
{
    double start = 0; // seconds from the start
    double length = 0;
};
// Where the samples of a film of `seconds` lie: three to six stretches of 1.5 to 4 seconds spread
// over its middle 80 % (titles and credits left out), about 4 % of a 2-minute clip and 0.3 % of a
// 2-hour film. Empty for a film of 20 seconds or less, or of unknown length: the whole file is the sample.
QList<SampleSpan> sampleSpans(double seconds);

// The values searched for an encoder's quality target: its own scale's sensible stretch (x264 and x265
// from 12 to 40, VP9 and SVT-AV1 from 15 to 55, the hardware encoders' from 12 to 45), which six
// candidates narrow to one value.
CrfSearch crfSearchFor(VideoEncoders encoder, double target);

// The quality targets offered by name, from the best picture to the smallest file, each an SSIM to meet.
struct QualityLevel
{
    const char *key;  // "high": what the command line takes
    const char *name; // "High": translated in context "QualityLevel"
    double ssim;
};
const QList<QualityLevel> &qualityLevels();
// The level whose target is `ssim`, if one is.
std::optional<QualityLevel> levelOf(double ssim);
// The level named `text` by key or by name, in English or in the current language.
std::optional<QualityLevel> levelNamed(const QString &text);
// "High (SSIM 0.985)" for a level's target, "SSIM 0.978" for another.
QString targetText(double ssim);

// `score(crf)` gives a candidate's score, or nullopt when it cannot be had (the search then ends as
// Failed, with `error` from `why`). A score that dips below the target under the true boundary makes
// the search settle below the dip: noise costs file size, never quality.
CrfSearchResult searchCrf(const CrfSearch &search, const std::function<std::optional<double>(int crf)> &score,
                          const std::function<QString()> &why = {});
