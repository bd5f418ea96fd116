#pragma once
// Profile preparation: reduces the profile just loaded into a drawing set to one open
// path between its leftmost and rightmost free ends, checks that this is all the profile
// is, and chains it into a cut path that runs left to right on odd rows and right to left
// on even ones (so the wire starts each profile where the previous one ended).
//
// The preparation works in the set's own fields: a vertex's `obj` holds its degree and
// then its search level, its `aux` the path mark, a line's `obj` its use count. It
// therefore destroys the object numbers of the profile, and it removes lines that are
// not attached to the path (so the line order changes).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wirvela {

class MessageLog;
class TLineList;
class TLines;
class TVert;

// One entry of a vertex's neighbour list.
struct TGraph2Neighbour {
    std::int32_t vertex = 0;
    double azimuth = 0;      // always 0 here: the lists are not ordered
    std::int32_t next = -1;  // next entry of the same list; -1 ends it
};

// The graph of a line table: one singly linked list of neighbours per vertex. Each line
// puts its end at the head of its start's list, then its start at the head of its end's
// list, so a vertex's neighbours come in reverse order of the lines that reach it. A
// line from a vertex to itself adds nothing (a trace line says so).
class TGraph2 {
public:
    TGraph2(const TLines& lines, int vertexCount, MessageLog* trace = nullptr);
    int VertexCount() const { return static_cast<int>(heads_.size()); }
    // First entry of v's list, -1 for none; then Entry(e).next.
    std::int32_t First(int v) const { return heads_[static_cast<std::size_t>(v)]; }
    const TGraph2Neighbour& Entry(std::int32_t e) const { return entries_[static_cast<std::size_t>(e)]; }

private:
    std::vector<std::int32_t> heads_;
    std::vector<TGraph2Neighbour> entries_;
};

// A queue of 32-bit integers over a ring of fixed capacity: it holds capacity − 1
// entries at most.
class TFifo {
public:
    explicit TFifo(int capacity);
    bool Push(std::int32_t value);
    bool Pop(std::int32_t& value);

private:
    std::unique_ptr<std::int32_t[]> ring_;
    std::uint64_t capacity_;
    std::uint64_t reads_ = 0;
    std::uint64_t writes_ = 0;
};

// What the preparation found. result: 0 prepared; −1 no usable ends or path (closed
// contour, no free end, full search queue, a vertex without neighbours) without a
// message; −1 with message 631 when the two ends lie on separate pieces; 3 when the rest
// is not one open line (message 205, caption 206, with the counts below).
struct PreparedProfile {
    static constexpr int kOk = 0;
    static constexpr int kUnusable = -1;
    static constexpr int kNotOneLine = 3;

    int result = kUnusable;
    int start = -1;  // the path's first and last vertex, in cutting order
    int end = -1;
    int ends = 0;  // vertices of degree 1, 0 and more than 2 after the removal
    int isolated = 0;
    int branches = 0;
    int message = 0;  // 0, 631 or 205
};

// Prepares the profile in (vertices, lines); `row` is the project row it is cut as.
PreparedProfile PrepareProfile(TVert& vertices, TLines& lines, int row, MessageLog* trace = nullptr);

// Chains the prepared path from start to end into a new cut path (entries of kind 2),
// using the lines' `obj` as use counters. Null when the lines do not lead from start to
// end (a table the preparation did not accept).
std::unique_ptr<TLineList> ChainProfile(TLines& lines, int start, int end);

}  // namespace wirvela
