#pragma once
// Hash index behind the de-duplication of the vertex and line tables.
//
// It answers "which is the first element of the table (lowest index) whose key equals k"
// in constant time, so that the answer is exactly that of a linear scan of the table.
// Every distinct key owns one slot of an open-addressing table (linear probing,
// backward-shift deletion, no tombstones); the elements that carry the key form a
// doubly linked list sorted by element index, threaded through two arrays of the
// table's capacity. Everything is allocated once, at construction, but only a power-of-
// two prefix of the slot table is in use, kept at most half full and doubled (its keys
// placed anew) as keys come: a table holding few elements then probes a small region that
// stays in the cache instead of one spread over the whole capacity, and the memory beyond
// it is never touched.
//
// The index does not see the table: the owner reports every change of an element's key
// (Insert after the element got its key, Remove before it loses it). Keys that can
// never compare equal to anything (a NaN coordinate) are not indexed at all.
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "drawing/LazyArray.h"

namespace wirvela {

// Finaliser of MurmurHash3: spreads every input bit over the whole word, so that
// integral coordinates (whose doubles differ only in the high bits) hash well.
constexpr std::uint64_t MixBits(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

// Traits requirements:
//   using Key = ...;                                  // trivially copyable
//   static bool Indexable(const Key&);                // false: never equal to anything
//   static std::uint64_t Hash(const Key&);            // equal keys hash equally
//   static bool Equal(const Key&, const Key&);
template <class Traits>
class TKeyIndex {
 public:
  using Key = typename Traits::Key;

  // elementCapacity: element indices are 0 … elementCapacity-1. The slot table has at
  // least twice as many slots as elements, so it is never more than half full.
  explicit TKeyIndex(int elementCapacity)
      : slots_(SlotCount(elementCapacity)),
        next_(static_cast<std::size_t>(elementCapacity)),
        prev_(static_cast<std::size_t>(elementCapacity)),
        mask_(FirstMask()) {
    slots_.MakeReady(mask_ + 1);
  }

  // Lowest element index carrying key, or -1.
  int First(const Key& key) const {
    if (!Traits::Indexable(key)) return -1;
    const std::size_t s = FindSlot(key);
    return s == kNone ? -1 : At(s).head;
  }

  // The next higher element index carrying the same key as element (which must be
  // indexed: the links of other elements are not kept), or -1.
  int Next(int element) const { return next_[static_cast<std::size_t>(element)]; }

  // element must not be indexed yet. Appending (element above every indexed element of
  // the key) is O(1); an element that lands between others walks the key's list.
  void Insert(int element, const Key& key) {
    if (!Traits::Indexable(key)) return;
    std::size_t s = Home(key);
    while (At(s).head != -1 && !Traits::Equal(At(s).key, key)) s = (s + 1) & mask_;
    if (At(s).head == -1 && 2 * (used_ + 1) > mask_ + 1 && mask_ + 1 < slots_.Capacity()) {
      Grow();
      s = Home(key);
      while (At(s).head != -1) s = (s + 1) & mask_;
    }
    Slot& slot = At(s);
    if (slot.head == -1) {
      ++used_;
      slot.key = key;
      slot.head = slot.tail = element;
      Link(element, -1, -1);
    } else if (element > slot.tail) {
      Link(element, slot.tail, -1);
      next_.Writable(U(slot.tail)) = element;
      slot.tail = element;
    } else if (element < slot.head) {
      Link(element, -1, slot.head);
      prev_.Writable(U(slot.head)) = element;
      slot.head = element;
    } else {
      int before = slot.tail;
      while (before > element) before = prev_[U(before)];
      assert(before != element && "element indexed twice");
      const int after = next_[U(before)];
      Link(element, before, after);
      next_.Writable(U(before)) = element;
      prev_.Writable(U(after)) = element;
    }
  }

  // element must be indexed under key (the key it had when it was inserted).
  void Remove(int element, const Key& key) {
    if (!Traits::Indexable(key)) return;
    const std::size_t s = FindSlot(key);
    assert(s != kNone && "removing an element that is not indexed");
    if (s == kNone) return;
    Slot& slot = At(s);
    const int before = prev_[U(element)];
    const int after = next_[U(element)];
    if (before != -1) {
      next_.Writable(U(before)) = after;
    } else {
      assert(slot.head == element);
      slot.head = after;
    }
    if (after != -1) {
      prev_.Writable(U(after)) = before;
    } else {
      assert(slot.tail == element);
      slot.tail = before;
    }
    if (slot.head == -1) {
      EraseSlot(s);
      --used_;
    }
  }

  // Room for `keys` keys in all without growing on the way (as far as the slots go).
  void Reserve(std::size_t keys) {
    while (2 * keys > mask_ + 1 && mask_ + 1 < slots_.Capacity()) Grow();
  }

  // Forgets every element. O(slots in use), which is at most four times the number of
  // keys the index held at its fullest since the last clearing.
  void Clear() {
    for (std::size_t s = 0; s <= mask_; ++s) At(s).head = -1;
    used_ = 0;
    mask_ = FirstMask();
  }

 private:
  struct Slot {
    Key key{};
    std::int32_t head = -1;  // -1: slot empty
    std::int32_t tail = -1;
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  static std::size_t U(int i) { return static_cast<std::size_t>(i); }

  static std::size_t SlotCount(int elementCapacity) {
    const std::size_t wanted = 2 * static_cast<std::size_t>(elementCapacity > 8 ? elementCapacity : 8);
    return std::bit_ceil(wanted);
  }

  // The slots in use at first (or all of them for a small table), less one.
  std::size_t FirstMask() const { return std::min<std::size_t>(slots_.Capacity(), 16) - 1; }

  // Doubles the slots in use. Every slot beyond them is empty.
  void Grow() {
    std::vector<Slot> keys;
    keys.reserve(used_);
    for (std::size_t s = 0; s <= mask_; ++s) {
      if (At(s).head == -1) continue;
      keys.push_back(At(s));
      At(s).head = -1;
    }
    mask_ = 2 * mask_ + 1;
    slots_.MakeReady(mask_ + 1);
    for (const Slot& slot : keys) {
      std::size_t s = Home(slot.key);
      while (At(s).head != -1) s = (s + 1) & mask_;
      At(s) = slot;
    }
  }

  std::size_t Home(const Key& key) const { return static_cast<std::size_t>(Traits::Hash(key)) & mask_; }

  std::size_t FindSlot(const Key& key) const {
    std::size_t s = Home(key);
    while (At(s).head != -1) {
      if (Traits::Equal(At(s).key, key)) return s;
      s = (s + 1) & mask_;
    }
    return kNone;
  }

  void Link(int element, int before, int after) {
    prev_.Writable(U(element)) = before;
    next_.Writable(U(element)) = after;
  }

  // Backward-shift deletion: later slots of the probe run move into the hole when the
  // hole lies on their probe path, so lookups never need tombstones.
  void EraseSlot(std::size_t hole) {
    std::size_t j = hole;
    for (;;) {
      j = (j + 1) & mask_;
      if (At(j).head == -1) break;
      const std::size_t fromHome = (j - Home(At(j).key)) & mask_;
      const std::size_t fromHole = (j - hole) & mask_;
      if (fromHome >= fromHole) {
        At(hole) = At(j);
        hole = j;
      }
    }
    At(hole).head = -1;
  }

  // The slots up to mask_ are always constructed.
  Slot& At(std::size_t s) { return slots_.data()[s]; }
  const Slot& At(std::size_t s) const { return slots_.data()[s]; }

  LazyArray<Slot> slots_;
  LazyArray<std::int32_t> next_;
  LazyArray<std::int32_t> prev_;
  std::size_t mask_;
  std::size_t used_ = 0;  // slots holding a key
};

}  // namespace wirvela
