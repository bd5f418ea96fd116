#pragma once
// Junction splitting: prepares a loaded drawing for the joining. Lines of different
// objects are split where an end of one lies exactly inside the other (T-junctions) and
// where they cross properly; every two objects that then share a vertex become one
// object; duplicate lines are removed. Lines of the same object are never split, and
// collinear overlaps are not handled (that is the planarisation's job).
//
// Works in place on `lines` and its vertex table, through the drawing model's mutators.
// The vertices' object numbers matter: the merging compares each line's object with the
// objects of its end vertices.
#include <stop_token>

#include "drawing/Lines.h"
#include "planning/PlanariseSink.h"

namespace wirvela {

// `oelems`: the set's last object number (objects 0 … oelems), lowered by one per merge;
// the caller stores it back into its set. `conModif`: the parameter `ConModif` of
// section `Ploter`; exactly 1 selects the merge mode, in which the object merging starts
// its scan again at line 1 after every merge.
//
// Progress and counts go to `sink` (messages 3, 4, 5, 6, then 7 + n + 8 to the log,
// 9 + n on panel 2 and 10 + lines on panel 3). Stopping as for the planarisation passes:
// checked once per pair (once per line in the merging); returns false when stopped, the
// model then consistent but only partly processed, and no report is made.
bool SplitJunctions(TLines& lines, int& oelems, double conModif, PlanariseSink& sink, std::stop_token stop = {});

}  // namespace wirvela
