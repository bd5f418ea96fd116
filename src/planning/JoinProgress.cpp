#include "planning/JoinProgress.h"

#include <algorithm>
#include <cstdio>

namespace wirvela {

JoinProgress::JoinProgress(const std::vector<std::vector<int>>& units,
                           const std::function<void(int percent)>& progress, PlanariseSink& sink)
    : progress_(progress), sink_(sink) {
    long double totalVertices = 0;
    long double squares = 0;
    for (const auto& m : units) totalVertices += static_cast<long double>(m.size());
    for (const auto& m : units) squares += static_cast<long double>(m.size()) * static_cast<long double>(m.size());
    totalPairs_ = std::max<long double>((totalVertices * totalVertices - squares) / 2, 1);
    outsideVertices_ = totalVertices;
}

void JoinProgress::Report() {
    if (!progress_) return;
    const int percent = std::min(100, static_cast<int>(20 * donePairs_ / totalPairs_) * 5);
    if (percent != shown_) progress_(shown_ = percent);
}

void JoinProgress::Joined(std::size_t vertices) {
    outsideVertices_ -= static_cast<long double>(vertices);
    donePairs_ += static_cast<long double>(vertices) * outsideVertices_;
    Report();
}

void JoinProgress::StepDone(int step) {
    char line[64];
    std::snprintf(line, sizeof line, "Dolaczono obiekt: %d", step);
    sink_.Log(line);
}

void JoinProgress::Finish(int objects) {
    if (progress_ && shown_ != 100) progress_(100);
    char line[64];
    std::snprintf(line, sizeof line, "Liczba obiektow: %d.", objects);
    sink_.Log(line);
}

}  // namespace wirvela
