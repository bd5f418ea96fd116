#pragma once
// The progress of the joining, counted and logged alike by JoinObjects and
// JoinObjectsFast. The percentage is that of the vertex pairs measured out of all pairs
// between different units, where a unit's pairs with every unit still outside the tree
// count when it joins; it is reported in steps of 5, each time it changes. The log gets
// a line per step and the object count at the end.
#include <cstddef>
#include <functional>
#include <vector>

#include "planning/PlanariseSink.h"

namespace wirvela {

class JoinProgress {
public:
    // `units`: the joining's units (vertex lists). `progress` may be empty (nothing is
    // reported); it and `sink` must outlive this object.
    JoinProgress(const std::vector<std::vector<int>>& units, const std::function<void(int percent)>& progress,
                 PlanariseSink& sink);

    // Reports the percentage when it differs from the last one reported.
    void Report();
    // A unit of `vertices` vertices has joined the tree; then Report.
    void Joined(std::size_t vertices);
    // Step `step` (1, 2, …) is over: "Dolaczono obiekt: <step>".
    void StepDone(int step);
    // Reports 100 unless that was the last percentage reported, then logs
    // "Liczba obiektow: <objects>.".
    void Finish(int objects);

private:
    const std::function<void(int percent)>& progress_;
    PlanariseSink& sink_;
    long double totalPairs_ = 1;
    long double donePairs_ = 0;
    long double outsideVertices_ = 0;
    int shown_ = -1;
};

}  // namespace wirvela
