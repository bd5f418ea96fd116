#include "planning/PathThroughNodes.h"

#include <algorithm>
#include <new>
#include <utility>

namespace wirvela {

PATH_THROUGH_NODES::PATH_THROUGH_NODES(int capacity) {
    capacity = std::max(capacity, 0);
    try {
        items_.assign(static_cast<std::size_t>(capacity), 0);
        capacity_ = capacity;
        valid_ = true;
    } catch (const std::bad_alloc&) {
        items_.clear();
    }
}

void PATH_THROUGH_NODES::Add(int value) {
    if (count_ + 1 < capacity_) {
        items_[static_cast<std::size_t>(count_++)] = value;
    } else {
        count_ = std::max(capacity_ - 1, 0);
    }
}

int PATH_THROUGH_NODES::Get(int index) const {
    if (index < 0 || index >= count_) return -1;
    return items_[static_cast<std::size_t>(index)];
}

int PATH_THROUGH_NODES::Replace(int first, int last, const PATH_THROUGH_NODES& other) {
    if (first < 0 || first >= count_) return -1;
    if (last < 0 || last >= count_) return -2;
    if (count_ + other.count_ > capacity_) return -3;
    if (first > last) std::swap(first, last);
    if (other.count_ == 0) return -4;

    bool reversed = false;
    if (other.First() == Get(first) && other.Last() == Get(last)) {
        reversed = false;
    } else if (other.First() == Get(last) && other.Last() == Get(first)) {
        reversed = true;
    } else {
        return -4;
    }

    // Move the items behind last to their new place first (within the same array,
    // towards the end or the start), then write the inserted items.
    const auto at = [](int i) { return static_cast<std::ptrdiff_t>(i); };
    const int newTailStart = first + other.count_;
    const auto tailBegin = items_.begin() + at(last + 1);
    const auto tailEnd = items_.begin() + at(count_);
    if (newTailStart > last + 1) {
        std::copy_backward(tailBegin, tailEnd, tailEnd + at(newTailStart - (last + 1)));
    } else if (newTailStart < last + 1) {
        std::copy(tailBegin, tailEnd, items_.begin() + at(newTailStart));
    }
    const auto src = other.items_.begin();
    if (reversed) {
        std::reverse_copy(src, src + at(other.count_), items_.begin() + at(first));
    } else {
        std::copy(src, src + at(other.count_), items_.begin() + at(first));
    }
    count_ = newTailStart + (count_ - (last + 1));
    return count_;
}

}  // namespace wirvela
