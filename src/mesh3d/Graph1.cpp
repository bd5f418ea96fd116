#include "mesh3d/Graph1.h"

#include <cstdio>
#include <numbers>
#include <string>

#include "geometry/Vector3.h"

namespace wirvela {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double SquaredDistance2d(const VertexRecord& a, const VertexRecord& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx * dx + dy * dy;
}

template <class... Args>
std::string Fmt(const char* format, Args... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

TGraph1::TGraph1(LogFn log) : log_(std::move(log)) {}

void TGraph1::Build(const TLines& lines, const TVert& vertices) {
    vertices_ = &vertices;
    built_ = true;
    lists_.assign(static_cast<std::size_t>(vertices.Count()), {});
    for (int i = 0; i < lines.Count(); ++i) {
        const LineRecord& l = lines[i];
        if (l.p == l.k) {
            Log(Fmt("Wykryto linie o zerowej dlugosci: L[%d]=(%d-%d)", i, l.p, l.k));
            continue;
        }
        if (!Valid(l.p) || !Valid(l.k)) continue;
        const double a = AzimuthNormalised(TVector3(vertices[l.k].x - vertices[l.p].x,
                                                    vertices[l.k].y - vertices[l.p].y, 0.0));
        double back = a + std::numbers::pi;
        if (back >= kTwoPi) back -= kTwoPi;
        AddNeighbour(l.p, l.k, a);
        AddNeighbour(l.k, l.p, back);
    }
}

int TGraph1::AddNeighbour(int v, int w, double azimuth) {
    if (!built_) return -3;
    if (!Valid(v)) return -1;
    if (!Valid(w)) return -2;
    if (w == v) {
        Log(Fmt("Proba dodania wierzcholka do wlasnego sasiedztwa %d", v));
        return 0;
    }
    auto& list = lists_[static_cast<std::size_t>(v)];
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->azimuth == azimuth) {
            // Two lines leaving v in one direction: only the nearer end is a real turn.
            const VertexRecord& from = (*vertices_)[v];
            if (SquaredDistance2d(from, (*vertices_)[w]) < SquaredDistance2d(from, (*vertices_)[it->vertex]))
                it->vertex = w;
            return 0;
        }
        if (it->azimuth > azimuth) {
            list.insert(it, TNeighbourVertex{w, azimuth});
            return 0;
        }
    }
    list.push_back(TNeighbourVertex{w, azimuth});
    return 0;
}

int TGraph1::FirstNeighbour(int v) const {
    if (!Valid(v) || lists_[static_cast<std::size_t>(v)].empty()) return -1;
    return lists_[static_cast<std::size_t>(v)].front().vertex;
}

const TNeighbourVertex* TGraph1::NextByAzimuth(int v, double azimuth) const {
    if (!Valid(v)) return nullptr;
    const auto& list = lists_[static_cast<std::size_t>(v)];
    if (list.empty()) return nullptr;
    const TNeighbourVertex* chosen = nullptr;
    for (const TNeighbourVertex& e : list) {
        if (e.azimuth > azimuth) break;
        chosen = &e;
    }
    return chosen != nullptr ? chosen : &list.back();
}

int TGraph1::RemoveNeighbour(int v, int w) {
    if (!Valid(v)) return -1;
    auto& list = lists_[static_cast<std::size_t>(v)];
    if (list.empty()) return -2;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->vertex == w) {
            list.erase(it);
            return 0;
        }
    }
    return -3;
}

void TGraph1::ClearVertex(int v) {
    if (Valid(v)) lists_[static_cast<std::size_t>(v)].clear();
}

void TGraph1::DumpVertex(int v) const {
    if (!built_) {
        Log("ver_lists == NULL");
        return;
    }
    if (!Valid(v)) return;
    std::string line = Fmt("[%d] ", v);
    const auto& list = lists_[static_cast<std::size_t>(v)];
    if (list.empty()) line += "(null)";
    for (const TNeighbourVertex& e : list)
        line += Fmt("(%d %.10lf) ", e.vertex, e.azimuth * 180.0 / std::numbers::pi);
    Log(line);
}

void TGraph1::DumpAll() const {
    if (!log_) return;
    Log("Lista sasiedztwa ====================");
    Log(Fmt("wierzcholkow = %d", VertexCount()));
    for (int v = 0; v < VertexCount(); ++v) {
        std::string line = Fmt("[%d] ", v);
        for (const TNeighbourVertex& e : lists_[static_cast<std::size_t>(v)])
            line += Fmt("(%d %.02lf) ", e.vertex, e.azimuth * 180.0 / std::numbers::pi);
        Log(line);
    }
    Log("=====================================");
}

}  // namespace wirvela
