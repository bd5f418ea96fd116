#include "formats/DxfReader.h"

#include <cmath>
#include <string>

#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "formats/DxfEntityReader.h"
#include "formats/TDXFanalizator.h"

namespace wirvela {

static_assert(TDxfReader::kMaxInsertDepth == DxfEntityReader::kMaxInsertDepth);

namespace {

// DXF scale (drawing units per DXF unit): SkalaDXF divided by the HEADER's $LTSCALE,
// the first group 40 after (9, "$LTSCALE"). A $LTSCALE that is not a positive finite
// number is not used: dividing by it would make every point infinite or mirror the
// drawing.
double DxfScale(const TDXFanalizator& dxf, double skalaDxf) {
    const std::size_t header = dxf.FindDxfSection("HEADER");
    if (header == 0) return skalaDxf;
    for (std::size_t i = dxf.NextGroup(header, 9); i != TDXFanalizator::kNone; i = dxf.NextGroup(i, 9)) {
        if (dxf.Groups().Value(i) != "$LTSCALE") continue;
        const std::size_t value = dxf.NextGroup(i, 40);
        if (value == TDXFanalizator::kNone) return skalaDxf;
        const double ltscale = dxf.Number(value);
        return std::isfinite(ltscale) && ltscale > 0.0 ? skalaDxf / ltscale : skalaDxf;
    }
    return skalaDxf;
}

// Group codes whose values are reals: coordinates, distances, angles, scales.
bool RealGroup(std::int32_t code) {
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
           (code >= 1010 && code <= 1059);
}

// The first real value of an entity (in ENTITIES or BLOCKS) that is no number, described
// for the operator; empty when every one is a number.
std::string FirstNonNumber(const TDXFanalizator& dxf) {
    const TDXF& groups = dxf.Groups();
    bool inGeometry = false;
    std::string_view entity;
    for (std::size_t i = 0; i < groups.Count(); ++i) {
        const std::int32_t code = groups.Code(i);
        const std::string_view value = groups.Value(i);
        if (code == 0) {
            entity = value;
            if (value == "SECTION" && i + 1 < groups.Count() && groups.Code(i + 1) == 2)
                inGeometry = groups.Value(i + 1) == "ENTITIES" || groups.Value(i + 1) == "BLOCKS";
            continue;
        }
        if (!inGeometry || !RealGroup(code) || IsDecimalNumber(value)) continue;
        return std::string(entity) + ", group " + std::to_string(code) + " '" + std::string(value.substr(0, 40)) +
               "' on line " + std::to_string(groups.LineOf(i));
    }
    return {};
}

}  // namespace

DxfSettings DxfSettingsFrom(const TParameters& parameters, double stepsPerMm) {
    DxfSettings s;
    s.skalaDxf = parameters.GetNumber(settings::kSkalaDXF);
    s.approxErr = parameters.GetNumber(settings::kDXFapprox_err);
    s.skalaHpgl = parameters.GetNumber(settings::kSkalaHPGL);
    s.stepsPerMm = stepsPerMm;
    return s;
}

DxfResult TDxfReader::ReadDxf(TLines& lines, const std::filesystem::path& file, const DxfSettings& settings,
                              int& lastObject) {
    TDXFanalizator dxf;
    const TDXF::Status status = dxf.Load(file);
    return Read(dxf, status, lines, settings, lastObject);
}

DxfResult TDxfReader::ReadDxfText(TLines& lines, std::string_view content, const DxfSettings& settings,
                                  int& lastObject) {
    TDXFanalizator dxf;
    const TDXF::Status status = dxf.LoadText(content);
    return Read(dxf, status, lines, settings, lastObject);
}

DxfResult TDxfReader::Read(const TDXFanalizator& dxf, TDXF::Status status, TLines& lines, const DxfSettings& settings,
                           int& lastObject) {
    DxfResult result;
    result.opened = status == TDXF::Status::kRead;
    result.tooLarge = status == TDXF::Status::kTooLarge;
    result.groups = dxf.Count();

    if (std::isfinite(settings.approxErr) && settings.approxErr > 0.0) approxErr_ = settings.approxErr;
    lines.SetDeduplication(true);
    lines.Vertices().SetDeduplication(true);
    scale_ = DxfScale(dxf, settings.skalaDxf);
    tolerance_ = approxErr_ / (settings.skalaHpgl * settings.stepsPerMm) / scale_;
    if (dxf.Count() == 0) return result;
    result.badNumber = FirstNonNumber(dxf);
    if (!result.badNumber.empty()) return result;

    DxfEntityReader reader(dxf, lines, scale_, tolerance_, lastObject, workLimit_);
    reader.ReadEntities(dxf.FindDxfSection("ENTITIES"), TMatrix33::Identity(), 0);
    const DxfEntityCounts& counts = reader.Counts();
    result.entities = counts.entities;
    result.rejectedEntities = counts.rejectedEntities;
    result.droppedSegments = counts.droppedSegments;
    result.refusedInserts = counts.refusedInserts;
    result.tablesFull = counts.tablesFull;
    result.workExhausted = counts.workExhausted;
    return result;
}

}  // namespace wirvela
