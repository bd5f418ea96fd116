#pragma once
// A fixed-capacity array whose elements come into being when they are first written.
//
// The drawing tables are sized for the largest drawing (50,000 vertices, 100,000 lines,
// three sets, with their indexes: about 45 MiB), but a drawing of a few hundred lines
// uses a few hundred KiB of them. Constructing every element up front wrote all of it,
// and the first write to each fresh page costs a page fault (about ten microseconds on
// the machines the program runs on): some 11,000 faults, most of a small drawing's whole
// run in the command-line program. Here the memory is taken from the allocator untouched
// (large blocks are fresh mappings whose pages the kernel provides on first touch), and
// elements are constructed in page-sized steps as writes reach them, so a drawing pays
// for the pages it uses.
//
// Reading an element that was never written gives a default-constructed one, exactly
// what the eagerly constructed array held there; Ready() says up to where the elements
// are real. T must be trivially copyable and destructible (records of plain fields).
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace wirvela {

template <class T>
class LazyArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  explicit LazyArray(std::size_t capacity)
      : data_(static_cast<T*>(std::malloc(std::max<std::size_t>(capacity, 1) * sizeof(T)))), capacity_(capacity) {
    if (data_ == nullptr) throw std::bad_alloc();
  }
  ~LazyArray() { std::free(data_); }
  LazyArray(const LazyArray&) = delete;
  LazyArray& operator=(const LazyArray&) = delete;

  std::size_t Capacity() const { return capacity_; }
  // Elements 0 … Ready()-1 are constructed; the rest read as T{}.
  std::size_t Ready() const { return ready_; }

  const T& operator[](std::size_t i) const { return i < ready_ ? data_[i] : kDefault; }

  // Element i for writing, constructed first if it was not yet (i < Capacity()).
  T& Writable(std::size_t i) {
    if (i >= ready_) MakeReady(i + 1);
    return data_[i];
  }

  // Constructs the elements below n (at most Capacity()) that are not yet.
  void MakeReady(std::size_t n) {
    if (n <= ready_) return;
    const std::size_t step = std::max<std::size_t>(kPageBytes / sizeof(T), 1);
    const std::size_t end = std::min(capacity_, (n + step - 1) / step * step);
    std::uninitialized_value_construct(data_ + ready_, data_ + end);
    ready_ = end;
  }

  // The constructed elements; what [0, Ready()) is, as a pointer.
  const T* data() const { return data_; }
  T* data() { return data_; }

 private:
  static constexpr std::size_t kPageBytes = 4096;
  static constexpr T kDefault{};

  T* data_;
  std::size_t capacity_;
  std::size_t ready_ = 0;
};

}  // namespace wirvela
