#include "rules/CrfSearch.h"

#include <algorithm>

CrfSearchResult searchCrf(const CrfSearch &search, const std::function<std::optional<double>(int crf)> &score,
                          const std::function<QString()> &why)
{
    CrfSearchResult result;
    int low = std::min(search.best, search.worst);
    int high = std::max(search.best, search.worst);
    // Bisection for the boundary between passing (low side) and failing (high side) values; the upper
    // middle first, so that a range where all pass ends on its highest value.
    while (low <= high && int(result.tried.size()) < std::max(1, search.maxCandidates)) {
        const int crf = low + (high - low + 1) / 2;
        const std::optional<double> scored = score(crf);
        if (!scored) {
            result.outcome = CrfSearchResult::Outcome::Failed;
            result.crf = crf;
            result.error = why ? why() : QString();
            return result;
        }
        result.tried.append({crf, *scored});
        if (*scored >= search.target)
            low = crf + 1;
        else
            high = crf - 1;
    }
    // Bisection only moves above a passing value and below a failing one, so the highest passing value
    // tried lies below every failing one.
    const std::pair<int, double> *chosen = nullptr;
    for (const auto &candidate : std::as_const(result.tried)) {
        if (candidate.second >= search.target && (!chosen || candidate.first > chosen->first))
            chosen = &candidate;
    }
    if (chosen) {
        result.outcome = CrfSearchResult::Outcome::Found;
        result.crf = chosen->first;
        result.score = chosen->second;
        return result;
    }
    // Nothing met the target: the best quality tried is the nearest to it.
    const auto best = std::min_element(result.tried.cbegin(), result.tried.cend(),
                                       [](const auto &a, const auto &b) { return a.first < b.first; });
    result.outcome = CrfSearchResult::Outcome::Unreachable;
    result.crf = best->first;
    result.score = best->second;
    return result;
}
