#include "cutting/SimulationLines.h"

namespace wirvela {

namespace {
const SimulationRecord kFreeRecord{};
}

SimulationLines::SimulationLines(int n) : records_(static_cast<std::size_t>(n < 0 ? 0 : n)) {}

int SimulationLines::Add(const SimulationRecord& record) {
    if (count_ >= Capacity()) return 1;
    records_[static_cast<std::size_t>(count_)] = record;
    ++count_;
    return 0;
}

const SimulationRecord& SimulationLines::At(int i) const {
    if (i < 0 || i >= Capacity()) return kFreeRecord;
    return records_[static_cast<std::size_t>(i)];
}

}  // namespace wirvela
