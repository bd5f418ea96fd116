#pragma once
// Reader of ASCII DXF drawings into one drawing set. Curves become chains of straight
// lines whose count follows from a tolerance in motor steps; every entity (and every
// block reference, with all its copies) becomes one object.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "drawing/Lines.h"
#include "formats/DxfEntityReader.h"
#include "formats/TDXF.h"

namespace wirvela {

class TParameters;
class TDXFanalizator;

// The settings one DXF read needs, read by the caller at the point of the load.
struct DxfSettings {
    double skalaDxf = 0.4;     // SkalaDXF (Ploter): drawing units per DXF unit
    double approxErr = 1.0;    // DXFapprox_err (Ploter): tolerance in motor steps; <= 0 keeps the previous one
    double skalaHpgl = 0.025;  // SkalaHPGL (Ploter): millimetres per drawing unit
    double stepsPerMm = 1.0;   // motor steps per millimetre: 1 / mmPerStep, 1 when mmPerStep is 0
};

// SkalaDXF (default 0.4), DXFapprox_err (default 1) and SkalaHPGL (default 0.025) of
// section Ploter, with the steps per millimetre of the manual-control window.
DxfSettings DxfSettingsFrom(const TParameters& parameters, double stepsPerMm);

// What one read did. A file that cannot be opened reads nothing (opened false); the
// loader then treats the drawing as empty.
struct DxfResult {
    bool opened = false;
    bool tooLarge = false;       // not read: larger than TDXF::kMaxFileBytes (opened stays false)
    std::size_t groups = 0;      // groups read from the file
    int entities = 0;            // entities that became objects (block references count once)
    int rejectedEntities = 0;    // entities skipped for non-finite numbers or an absurd sweep
    int droppedSegments = 0;     // segments whose ends came out non-finite after the transforms
    int refusedInserts = 0;      // block references refused for nesting deeper than kMaxInsertDepth
    bool tablesFull = false;     // the tables filled up; the rest of the file was not read
    bool workExhausted = false;  // the work limit ended the reading (repeated copies, see DxfEntityReader)
    // Not read: an entity's coordinate or other real value is no number ("nan", "inf",
    // "abc"); says which entity, group and line. The decimal prefix rule would read it as
    // 0 and draw a line across the part.
    std::string badNumber;
};

// The reader keeps, from one file to the next, the last positive DXFapprox_err (1 until
// one is given), and after a read the DXF scale (drawing units per DXF unit) and the
// tolerance (DXF units) of that file. One instance per program, owned by the caller.
class TDxfReader {
public:
    // A block reference inside a block is followed to this depth (the top-level entity
    // list is depth 0); deeper references, in particular a block that inserts itself
    // directly or through others, draw nothing and are counted as refused.
    static constexpr int kMaxInsertDepth = 16;

    // Reads `file` into `lines` (and its vertex table), which the caller has cleared;
    // `lastObject` is the set's last object number (-1 for an empty set) and is raised by
    // one per entity. De-duplication of both tables is turned on. The full tables stop
    // adding silently.
    DxfResult ReadDxf(TLines& lines, const std::filesystem::path& file, const DxfSettings& settings, int& lastObject);
    // The same over the bytes of a file already in memory (opened is true).
    DxfResult ReadDxfText(TLines& lines, std::string_view content, const DxfSettings& settings, int& lastObject);

    // Of the last read: drawing units per DXF unit and the tolerance in DXF units.
    double Scale() const { return scale_; }
    double Tolerance() const { return tolerance_; }
    // The DXFapprox_err in force: the last positive one given, 1 at first.
    double ApproxErr() const { return approxErr_; }

    // The most segment additions, block copies and entity visits inside blocks one file
    // may make together (see DxfEntityReader::kWorkLimit); tests and fuzzing lower it.
    void SetWorkLimit(long limit) { workLimit_ = limit; }

private:
    DxfResult Read(const TDXFanalizator& dxf, TDXF::Status status, TLines& lines, const DxfSettings& settings,
                   int& lastObject);

    double approxErr_ = 1.0;
    double scale_ = 0.4;
    double tolerance_ = 1.0;
    long workLimit_ = DxfEntityReader::kWorkLimit;
};

}  // namespace wirvela
