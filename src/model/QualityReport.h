#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// How close a converted file came to its source, measured once the job succeeded: SSIM from 0 to 1 (1:
// the same picture) and PSNR in dB, over the whole film, and the output's size against the source's.
// A check that could not run says why; the job keeps its success.
struct QualityReport
{
    std::optional<double> ssim;
    std::optional<double> psnr; // none with `ssim` set: the pictures are identical (infinite PSNR)
    double sizeRatio = -1;      // output bytes / source bytes; negative when unknown
    QString problem;            // why the check did not run, in the tool's words or ours

    bool checked() const { return ssim.has_value(); }
    bool isEmpty() const { return !ssim && problem.isEmpty(); }
    // "SSIM 0.984 · PSNR 41.2 dB · 38 % of the source's size", or why there is no score.
    QString text() const;
};

// The constant quality value a search chose for a job's target, shown before the job encodes.
struct CrfChoice
{
    int crf = -1;
    double target = 0;          // the SSIM asked for
    double score = 0;           // the SSIM the samples gave at `crf`
    bool reached = true;        // false: no value tried met the target; `crf` is the best one tried
    qint64 predictedBytes = -1; // the whole output, from the samples' sizes; negative when unknown
    double seconds = 0;         // the search's own time
    int candidates = 0;         // values tried
    bool cached = false;        // taken from an earlier search of the same source and settings

    bool isValid() const { return crf >= 0; }
    // "CRF 27 · SSIM 0.981 · about 420 MB"
    QString text() const;
    // "5 values tried in 12 s", or "from an earlier search"
    QString searchText() const;
    // Both: "CRF 27 · SSIM 0.981 · about 420 MB (5 values tried in 12 s)"; empty when invalid.
    QString fullText() const;

    // As a saved list and the search cache keep it; a field missing or of the wrong type reads as unknown.
    QJsonObject toJson() const;
    static CrfChoice fromJson(const QJsonObject &object);
};
