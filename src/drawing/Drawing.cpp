#include "drawing/Drawing.h"

#include <cassert>

namespace wirvela {

TDrawing::TDrawing()
    : sets_{TDrawingSet(settings_.snapGrid, settings_.dedup), TDrawingSet(settings_.snapGrid, settings_.dedup),
            TDrawingSet(settings_.snapGrid, settings_.dedup)} {}

TLineList* TDrawing::CutPath() { return figure_ == kSegments ? nullptr : Current().cutPath.get(); }

SimulationLines* TDrawing::SimLines() { return figure_ == kSegments ? nullptr : Current().simLines.get(); }

int TDrawing::SelectFigure(int f) {
  const int previous = oelems_;
  if (f < kSegments || f > kFigure2) return previous;
  figure_ = f;
  oelems_ = Current().oelems;
  return previous;
}

TDrawingSet& TDrawing::Set(int s) {
  assert(s >= kSegments && s <= kFigure2);
  return sets_[static_cast<std::size_t>(s)];
}

const TDrawingSet& TDrawing::Set(int s) const {
  assert(s >= kSegments && s <= kFigure2);
  return sets_[static_cast<std::size_t>(s)];
}

void TDrawing::SetEntryOffset(double xMm, double yMm) {
  settings_.entryX = xMm;
  settings_.entryY = yMm;
}

void TDrawing::SetSnapGrid(double units) {
  settings_.snapGrid = units;
  for (TDrawingSet& set : sets_) set.V.SetSnapGrid(units);
}

void TDrawing::SetDeduplication(bool on) {
  settings_.dedup = on;
  for (TDrawingSet& set : sets_) {
    set.V.SetDeduplication(on);
    set.L.SetDeduplication(on);
  }
}

}  // namespace wirvela
