#pragma once
// The frame around a drawing: a closed rectangle or circle added to the current set as a
// new object, either at an offset around the drawing's box or of a given size centred on
// it. The drawing is then joined again by the caller, so the frame is cut with the rest
// (typically to cut the part out of a block with a clean outline).
#include <string>

#include "generators/GeneratorMessage.h"

namespace wirvela {

class TDrawing;

enum class FrameShape { Rectangle = 0, Circle = 1 };
enum class FrameSizing { Offset = 0, Size = 1 };

// Lengths in millimetres, as the frame dialog holds them.
struct FrameSpec {
    FrameShape shape = FrameShape::Rectangle;
    FrameSizing sizing = FrameSizing::Offset;
    double dx = 50.0;  // rectangle: horizontal offset, or width
    double dy = 50.0;  // rectangle: vertical offset, or height
    double dr = 50.0;  // circle: radial offset, or radius
    // Circle: the largest distance allowed between the circle and its chords. Above half
    // the radius it is taken as half the radius, which gives a triangle.
    double epsilon = 0.1;
};

// The frame dialog's texts as typed, read with the program's number parser; only the
// fields of the chosen shape are read (the others are read-only in the dialog). False with
// the refusal when a field holds no finite number.
struct FrameTexts {
    std::string dx = "50";
    std::string dy = "50";
    std::string dr = "50";
    std::string epsilon = "0.1";
};
bool ReadFrameSpec(const FrameTexts& texts, FrameShape shape, FrameSizing sizing, FrameSpec& spec,
                   GeneratorMessage& refusal);

// Adds the frame to the current set. A joined set (its last line the entry line from its
// last vertex) is laid out by every line but the entry line, and the entry line and vertex
// are dropped; a set without an entry line (a moulding's outline) keeps all its lines and
// is laid out by all of them. The frame becomes object Oelems + 1
// (the set's stored last object number too). An empty set gets a frame centred on (0, 0)
// as object 0. Drawing units are millimetres ÷ the drawing's scale; vertices are added
// with the drawing's snap grid.
//
// Refused, with the drawing unchanged: a frame without size (width, height or radius not
// above 0), ε not above 0, coordinates that are no finite numbers, or more vertices or
// lines than the tables have room for.
GeneratorMessage AddFrame(TDrawing& drawing, const FrameSpec& spec);

}  // namespace wirvela
