#pragma once
// The boundary graph of the profile generator: one list of neighbours per vertex, kept in
// ascending azimuth, so that the outline walk can turn by direction alone.
#include <functional>
#include <string_view>
#include <vector>

#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {

struct TNeighbourVertex {
    int vertex = -1;
    double azimuth = 0.0;  // radians, [0, 2π)
};

class TGraph1 {
public:
    using LogFn = std::function<void(std::string_view)>;

    // No lists until Build (AddNeighbour then answers -3). `log` takes the trace lines.
    explicit TGraph1(LogFn log = {});

    // One list per vertex of `vertices`, filled from every line: the end is added to the
    // start's list with the azimuth of end − start, the start to the end's list with the
    // opposite azimuth. A line joining a vertex to itself is logged and adds nothing.
    void Build(const TLines& lines, const TVert& vertices);

    // 0; -1 for v, -2 for w outside the vertices; -3 when there are no lists. w = v is
    // logged and refused (0). An entry of exactly the same azimuth keeps the nearer of
    // its neighbour and w and nothing is added.
    int AddNeighbour(int v, int w, double azimuth);
    // The first entry's vertex, or -1 (empty list, no lists, v outside).
    int FirstNeighbour(int v) const;
    // The entry of v's list with the largest azimuth not above `azimuth`, or the last
    // entry when every azimuth is above it; nullptr for an empty list.
    const TNeighbourVertex* NextByAzimuth(int v, double azimuth) const;
    // 0, -1 (index), -2 (empty list), -3 (not found).
    int RemoveNeighbour(int v, int w);
    void ClearVertex(int v);
    const std::vector<TNeighbourVertex>& Neighbours(int v) const { return lists_[static_cast<std::size_t>(v)]; }
    int VertexCount() const { return static_cast<int>(lists_.size()); }

    void DumpVertex(int v) const;
    void DumpAll() const;

private:
    bool Valid(int v) const { return v >= 0 && v < VertexCount(); }
    void Log(std::string_view line) const {
        if (log_) log_(line);
    }

    LogFn log_;
    const TVert* vertices_ = nullptr;
    bool built_ = false;
    std::vector<std::vector<TNeighbourVertex>> lists_;
};

}  // namespace wirvela
