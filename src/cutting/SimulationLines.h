#pragma once
// The simulated moves of one figure, in the order the cut would send them, with the
// playback state of the simulation window. Motion timing fills the table; the
// simulation converts its steps back to drawing units and plays it on a timer.
#include <cstdint>
#include <vector>

namespace wirvela {

struct SimulationRecord {
    std::int32_t line = -1;  // line index of the move; -1 marks a free record
    double dx = 0;           // steps (drawing units after the simulation's conversion)
    double dy = 0;
    std::int32_t corner = 0;  // 1: the machine pauses before this move
    double feedPeriod = 0;    // ms per step along the path
    double rotRatio = 0;      // rotary steps per X step
};

struct SimulationLines {
    // A table of capacity n (negative counts as 0), all records free.
    explicit SimulationLines(int n);

    // Fills the first free record: 0, or 1 (nothing stored) when none is left.
    int Add(const SimulationRecord& record);

    int Capacity() const { return static_cast<int>(records_.size()); }
    // Filled records: they run from 0 to Count() − 1.
    int Count() const { return count_; }
    // Record i; a free record for any index outside the table, so that playback can ask
    // for the record after the last one.
    const SimulationRecord& At(int i) const;
    SimulationRecord& Edit(int i) { return records_[static_cast<std::size_t>(i)]; }

    // Playback header.
    std::int32_t startX = 0;  // drawing units
    std::int32_t startY = 0;
    double tableClock = 0;     // simulated ms already played
    std::int32_t current = 0;  // record being played
    bool finished = false;

private:
    std::vector<SimulationRecord> records_;
    int count_ = 0;
};

}  // namespace wirvela
