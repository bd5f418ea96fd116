#pragma once
// Writes a drawing set's lines as an HP-GL plot file that the HP-GL reader loads back to
// the same tables: the same vertices in the same order with the same coordinates, the
// same lines in the same order and direction, with their pens. Pen-up moves reach the
// vertices a line table holds without lines; every line is drawn from its start vertex.
//
// HP-GL coordinates are whole plotter units, so a vertex off the whole-unit grid (a
// drawing held with the snap grid switched off) is refused rather than moved; so are
// coordinates beyond ±1e15 and lines whose ends are no vertices. Two vertices at one
// place (kept apart while de-duplication was off) read back as one.
#include <filesystem>
#include <optional>
#include <string>

namespace wirvela {

class TLines;

enum class HpglLines {
    All,          // every line and vertex of the table
    ObjectLines,  // only the drawing's own lines (kind 1) and their vertices: what a
                  // reload joins again, without the connecting lines and the entry line
};

// The file's text, or nothing with `error` saying why.
std::optional<std::string> HpglText(const TLines& lines, HpglLines which, std::string* error = nullptr);

// Writes the text atomically (a temporary file renamed over the target): the target is
// either untouched or complete. False with `error` naming the file and the reason.
bool WriteHpgl(const std::filesystem::path& file, const TLines& lines, HpglLines which, std::string* error = nullptr);

}  // namespace wirvela
