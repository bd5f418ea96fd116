#pragma once
// A closed, axis-parallel box of the drawing plane (minX <= maxX, minY <= maxY once it
// holds a point), in the unit of the points it was made from.
#include <cmath>

#include "geometry/Point2d.h"

namespace wirvela {

struct Box2d {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;

    // The box of p alone.
    static Box2d Of(Point2d p) { return {p.x, p.y, p.x, p.y}; }

    // Takes p in.
    void Widen(Point2d p) {
        if (p.x < minX) minX = p.x;
        if (p.x > maxX) maxX = p.x;
        if (p.y < minY) minY = p.y;
        if (p.y > maxY) maxY = p.y;
    }
    // Closed boxes overlap (touching counts).
    bool Meets(const Box2d& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
    // All four bounds finite.
    bool Finite() const {
        return std::isfinite(minX) && std::isfinite(minY) && std::isfinite(maxX) && std::isfinite(maxY);
    }

    friend bool operator==(const Box2d&, const Box2d&) = default;
};

}  // namespace wirvela
