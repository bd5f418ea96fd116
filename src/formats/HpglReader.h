#pragma once
// Reader of HP-GL plot files (.plt) into the current set of the drawing model.
//
// Only the subset that cutting needs is understood: SP, PU, PD, PA, PR, CI and RO; every
// other command (IN, SC, VS, LT, ...) is read and ignored. Plotter units are kept as
// drawing units. Coordinates are integers: "10.5" reads as 10 followed by 5.
//
// Commands: characters are taken one at a time, carriage returns and line feeds are
// dropped. A command that starts with two letters ends, once it has three characters,
// at a semicolon (dropped) or at a letter (which starts the next command); ESC . ( ; and
// ESC . ... : device-control sequences end as such and are ignored. Nothing else is
// skipped between commands, so after a blank or any other non-letter no end is found
// and the rest of the file is read as one command. The command being read when the file
// ends is dropped: the last command must be terminated.
//
// Hostile input: a command longer than kCommandCapacity characters is cut there (the
// rest up to its end is skipped and its last, possibly broken number dropped); points
// whose coordinates are not finite are dropped; once the vertex table is full, points
// are dropped instead of being redirected to vertex 0 (which would add lines the file
// never drew); a full line table adds nothing more. The object number saturates.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "drawing/Drawing.h"

namespace wirvela {

// The reader's values that outlive one file. The application core owns one instance
// for the whole run and hands it to every load.
struct HpglPenState {
    // Pen of new PD lines: 1 at program start, changed only by SP and not reset between
    // files, so a file without SP draws with the pen the previous file selected last.
    int currentPen = 1;
    // Pens selected by SP in the drawing: bit (pen - 1) for pens 1 to 5 (1, 2, 4, 8, 16).
    // Cleared by the loader at the start of every load and by the Clear command.
    int penMask = 0;
};

// The reading state of one file.
struct stateDataFlags {
    bool penUp = true;       // PU sets it, PD clears it
    bool relative = false;   // PR sets it, PA clears it
    bool firstPoint = true;  // cleared by the first coordinate pair
    bool floating = true;    // the pen position is not yet a vertex; cleared by the first PD
    bool rotate = false;     // RO seen: the drawing is turned by 90 degrees at the end
    int current = -1;        // vertex index of the pen position once it is a vertex; -1 none
    // The pen position (drawing units) and the object number new vertices get. While
    // floating it is the raw position of the last pen-up move; afterwards it follows the
    // current vertex (its coordinates as stored, i.e. snapped).
    VertexRecord position;
};

// One reading of one file into the current set of a drawing: its tables are added to,
// not cleared (the loader clears them), and its current last object number (Oelems) is
// the reader's object number.
class HPGL2 {
public:
    // Longest command, mnemonic and parameters, in characters.
    static constexpr std::size_t kCommandCapacity = 29999;

    HPGL2(TDrawing& drawing, HpglPenState& pens);

    // Reads the whole file. -1 when it cannot be opened or is no regular file (a directory,
    // a pipe, a device), else 0.
    int ReadFile(const std::filesystem::path& file);
    // Reads text as the whole content of a file.
    void ReadText(std::string_view text);

    // Incremental form of ReadText: Feed the content in pieces, then Finish once.
    void Feed(std::string_view chunk);
    void Finish();

    const stateDataFlags& State() const { return state_; }
    // Pen of the file's last SP so far; 1 before the first (circles are drawn with it).
    int FilePen() const { return filePen_; }

private:
    void Put(char c);
    bool EndsCommand(char c) const;
    void Execute(std::string_view command);
    void PenUpMove(std::string_view& params);
    void PenDownMoves(std::string_view& params);
    void Circle(std::string_view params);
    void SelectPen(std::string_view params);
    // Index of the vertex at (x, y) (new or reused), or -1 when the point is dropped.
    int AddPoint(double x, double y, std::int32_t obj);
    // Makes the vertex (or, when dropped, the point (x, y)) the pen position.
    void PenToVertex(int index, double x, double y);
    void AddDrawnLine(int from, int to, std::int32_t obj, std::int32_t pen);
    void NextObject();
    void EndOfFile();

    TDrawing& drawing_;
    HpglPenState& pens_;
    stateDataFlags state_;
    int filePen_ = 1;
    std::string command_;
    bool overflow_ = false;  // the command reached kCommandCapacity; skipping to its end
    bool finished_ = false;
};

// Reads file into the current set of drawing (Oelems is its object number): -1 when the
// file could not be opened, else 0.
int ReadHpgl(const std::filesystem::path& file, TDrawing& drawing, HpglPenState& pens);

// The number syntax of the reader: blanks are skipped, then one character of any kind
// and the digits after it are taken and converted by the integer prefix rule, with a
// decimal fraction (a point and digits) when one follows; the character that ends them
// is consumed. false (params unchanged) when nothing is left.
bool ReadHpglNumber(std::string_view& params, double& value);

}  // namespace wirvela
