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

// `score(crf)` gives a candidate's score, or nullopt when it cannot be had (the search then ends as
// Failed, with `error` from `why`). A score that dips below the target under the true boundary makes
// the search settle below the dip: noise costs file size, never quality.
CrfSearchResult searchCrf(const CrfSearch &search, const std::function<std::optional<double>(int crf)> &score,
                          const std::function<QString()> &why = {});
