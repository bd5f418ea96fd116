#pragma once
// The drawing model of the program: the three drawing sets (0 segments, 1 figure 1,
// 2 figure 2), the current selection among them with its views, and the drawing
// settings. The application core owns the one instance; algorithms that only need a
// table take the table itself.
#include <array>

#include "drawing/DrawingSet.h"

namespace wirvela {

struct DrawingSettings {
  double scale = 0.025;    // SkalaHPGL: millimetres per drawing unit
  double snapGrid = 1.0;   // SnapGridSize ÷ scale, drawing units; 0 no snapping
  double aperture = 4.0;   // PointAperture ÷ scale, drawing units
  double entryX = 0.0;     // WejscieX, millimetres
  double entryY = 0.0;     // WejscieY, millimetres
  bool dedup = true;       // AddVertex / AddLine merge equal vertices and lines
};

class TDrawing {
 public:
  static constexpr int kSegments = 0;
  static constexpr int kFigure1 = 1;
  static constexpr int kFigure2 = 2;

  // Three empty sets with last object number -1; figure 1 selected.
  TDrawing();
  TDrawing(const TDrawing&) = delete;
  TDrawing& operator=(const TDrawing&) = delete;

  // Views of the current set.
  TLines& L() { return Current().L; }
  const TLines& L() const { return Current().L; }
  TVert& V() { return Current().V; }
  const TVert& V() const { return Current().V; }
  // The current last object number. It is a copy taken by SelectFigure: writing it
  // does not change the set's stored number (OelemsS / Oelems1 / Oelems2).
  int& Oelems() { return oelems_; }
  int Oelems() const { return oelems_; }
  // The current figure's cut path and simulation lines; nullptr while absent and
  // always for the segment set.
  TLineList* CutPath();
  SimulationLines* SimLines();
  // Current set number: 0, 1 or 2.
  int Figure() const { return figure_; }

  // Makes set f (0, 1 or 2) current, takes its stored last object number as Oelems and
  // returns the previous Oelems, which is not stored back. Any other f changes nothing
  // and returns the current Oelems.
  int SelectFigure(int f);

  // Set s, 0 <= s <= 2.
  TDrawingSet& Set(int s);
  const TDrawingSet& Set(int s) const;
  // Stored last object numbers of the three sets.
  int& OelemsS() { return sets_[kSegments].oelems; }
  int& Oelems1() { return sets_[kFigure1].oelems; }
  int& Oelems2() { return sets_[kFigure2].oelems; }

  // Set when a drawing with segment lines has been separated into figures.
  bool TwoFigures() const { return twoFigures_; }
  void SetTwoFigures(bool on) { twoFigures_ = on; }

  const DrawingSettings& Settings() const { return settings_; }
  void SetScale(double mmPerUnit) { settings_.scale = mmPerUnit; }
  void SetAperture(double units) { settings_.aperture = units; }
  void SetEntryOffset(double xMm, double yMm);
  // Both reach the tables of all three sets.
  void SetSnapGrid(double units);
  void SetDeduplication(bool on);

 private:
  TDrawingSet& Current() { return sets_[static_cast<std::size_t>(figure_)]; }
  const TDrawingSet& Current() const { return sets_[static_cast<std::size_t>(figure_)]; }

  DrawingSettings settings_;
  std::array<TDrawingSet, 3> sets_;
  int figure_ = kFigure1;
  int oelems_ = -1;
  bool twoFigures_ = false;
};

}  // namespace wirvela
