#pragma once
// A bounded sequence of node indices: the tour of the path search and the face walk that
// is spliced into it. The capacity is fixed at creation; at most capacity − 1 items are
// ever held, so a full sequence keeps its last place free.
#include <cstdint>
#include <vector>

namespace wirvela {

class PATH_THROUGH_NODES {
public:
    // Allocates `capacity` items (a negative capacity counts as 0), count 0. When the
    // memory cannot be had the sequence is left without items (Valid() false) instead of
    // ending the program: the path search then reports that it could not create it.
    explicit PATH_THROUGH_NODES(int capacity);

    bool Valid() const { return valid_; }

    // Appends when count + 1 < capacity; otherwise stores nothing and sets the count to
    // capacity − 1.
    void Add(int value);
    // The item at index, or −1 outside 0 … count − 1.
    int Get(int index) const;
    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    int First() const { return Get(0); }
    int Last() const { return Get(count_ - 1); }

    // Replaces items first … last (inclusive; swapped when first > last) by all items of
    // other, as they stand when other's ends match the items at first and last, reversed
    // when they match them the other way round. The items behind last follow the inserted
    // ones. Returns the new count, or
    //   −1 first is not an index of an item, −2 last is not,
    //   −3 count + other's count exceeds the capacity,
    //   −4 other's ends match neither way (an empty other never matches).
    int Replace(int first, int last, const PATH_THROUGH_NODES& other);

private:
    std::vector<std::int32_t> items_;
    int capacity_ = 0;
    int count_ = 0;
    bool valid_ = false;
};

}  // namespace wirvela
