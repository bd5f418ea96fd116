#pragma once
// One drawing set: a vertex table, the line table paired with it, the set's last object
// number and, for the two figures, the figure's cut path and simulation lines.
#include <memory>
#include <utility>

#include "drawing/LineList.h"
#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {

// The simulated moves of one figure; defined by the cutting subsystem. The drawing
// model only holds them, so the pointer carries its own way of destruction.
struct SimulationLines;

struct SimulationLinesDeleter {
  void (*destroy)(SimulationLines*) = nullptr;
  void operator()(SimulationLines* lines) const {
    if (destroy != nullptr) destroy(lines);
  }
};

using SimulationLinesPtr = std::unique_ptr<SimulationLines, SimulationLinesDeleter>;

// Creates simulation lines where their type is complete (T defaults to SimulationLines
// and is a parameter only so that this compiles where it is not).
template <class T = SimulationLines, class... Args>
SimulationLinesPtr MakeSimulationLines(Args&&... args) {
  return SimulationLinesPtr(new T(std::forward<Args>(args)...),
                            SimulationLinesDeleter{[](SimulationLines* p) { delete static_cast<T*>(p); }});
}

// The tables are allocated once, when the set is created, and live as long as it.
struct TDrawingSet {
  TDrawingSet(double snapGrid, bool dedup) : V(snapGrid, dedup), L(V, dedup) {}

  // Empties both tables; the last object number, cut path and simulation lines stay.
  void ClearTables() {
    L.ClearLines();
    V.ClearVertices();
  }

  TVert V;
  TLines L;
  int oelems = -1;  // last object number; -1 for an empty set
  // Figures only (the segment set has neither): absent until the joining creates the
  // cut path, or the simulation computes the lines.
  std::unique_ptr<TLineList> cutPath;
  SimulationLinesPtr simLines;
};

}  // namespace wirvela
