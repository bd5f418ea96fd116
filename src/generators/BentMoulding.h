#pragma once
// The bent moulding: a straight strip of thickness H bends to a curve when a row of V
// notches is cut across it, leaving an uncut band of thickness d that holds the segments
// together. The computation finds how many notches are needed and how long the strip
// must be for an inner radius and either an arc length or a bend angle; the outline is
// the cutting path of such a strip: a comb of notches along the band line, closed by lead
// lines above it, one continuous walk that is cut as it is, without joining.
#include <string>
#include <vector>

#include "generators/GeneratorMessage.h"

namespace wirvela {

class TLines;

enum class MouldingMode { Arc, Angle };

// The dialog's values: lengths in millimetres, the angle in degrees.
struct MouldingInput {
    double H = 100.0;     // thickness of the moulding
    double r = 500.0;     // inner radius of the bend
    double l = 1000.0;    // inner arc length (arc mode)
    double eps = 5.0;     // accuracy (arc mode)
    double d = 5.0;       // thickness of the uncut band
    double alpha = 90.0;  // bend angle, degrees (angle mode)
    long N = 8;           // number of segments (angle mode)
    double e = 50.0;      // height of the lead lines above the band line
    double b = 0.0;       // burn allowance; 0 unless it is compensated
    MouldingMode mode = MouldingMode::Arc;
    bool reduce = true;  // the outer radius is reduced to the band: ρ = d, else 0
};

// The dialog's texts as typed. Lengths and the angle are read with the program's number
// parser, N as an integer; b only when the burn allowance is compensated, N only in angle
// mode. False with the refusal (615, naming the field) when a text read is no finite
// number.
struct MouldingTexts {
    std::string H = "100";
    std::string r = "500";
    std::string l = "1000";
    std::string eps = "5";
    std::string d = "5";
    std::string alpha = "90";
    std::string N = "8";
    std::string e = "50";
    std::string b = "0.1";
};
bool ReadMouldingInput(const MouldingTexts& texts, MouldingMode mode, bool reduce, bool burn, MouldingInput& in,
                       GeneratorMessage& refusal);

// The computed record, kept until the next computation.
struct Moulding {
    MouldingInput in;   // l is 0 in angle mode
    double alphaRad = 0.0;
    int N = 0;
    double s = 0.0;     // arc length per segment
    double w = 0.0;     // notch width
    double p = 0.0;     // pitch
    double phi = 0.0;   // total angle
    double beta = 0.0;  // angle per segment
    double L = 0.0;     // length of the strip
};

// The most segments an outline fits into one drawing set (four vertices and lines a
// segment, three more for the lead lines).
int MaxMouldingSegments();

// The computation. The dialog's checks run in their order and the last failing one is
// reported (380 … 385); then N ≤ 0 in angle mode (616), more segments than a drawing
// holds (619), results that are no finite numbers (615), a negative burn allowance or lead-line
// height (617), and notches narrower than twice
// the burn allowance (386). On a refusal `out` holds what was computed so far (N and L
// once they are known).
GeneratorMessage ComputeMoulding(const MouldingInput& in, Moulding& out);

// Label_L: L formatted "%5.0lf mm".
std::string MouldingLengthText(double L);

// One step of the outline's walk: a line of the table and the direction it is run in.
struct OutlineStep {
    int line = -1;
    int dir = 1;
};

// Adds the outline of a computed moulding to an empty line table (object 0, kind 1),
// millimetres ÷ scale in drawing units, and returns its walk from (0, h) round to (0, h).
// A line that snapping reduces to a point is left out; one that is already there (a
// notch of zero width at the band line goes down and up the same line) is run again.
// Refused with the table unchanged when the table has no room or the outline reaches
// beyond finite drawing units.
GeneratorMessage AddMouldingOutline(TLines& lines, const Moulding& m, double scale, std::vector<OutlineStep>& walk);

}  // namespace wirvela
