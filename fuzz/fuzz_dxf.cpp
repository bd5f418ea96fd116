// libFuzzer target of the DXF reader: any bytes, read as a whole DXF file into one
// drawing set with the default settings of the program (snap grid of one unit). The
// first byte picks a fine or the default tolerance, so that curves are cut both into
// many and into few segments.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "drawing/Lines.h"
#include "drawing/Vert.h"
#include "formats/DxfReader.h"

namespace {

struct Tables {
    wirvela::TVert vertices{1.0, true};
    wirvela::TLines lines{vertices, true};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The tables are large; one pair is kept and emptied for every input.
    static Tables* tables = new Tables;
    tables->lines.Truncate(0);
    tables->vertices.Truncate(0);

    wirvela::DxfSettings settings;
    if (size > 0 && (data[0] & 1) != 0) {
        settings.skalaDxf = 1.0;
        settings.skalaHpgl = 1.0;
        settings.approxErr = 0.01;
    }
    wirvela::TDxfReader reader;
    // The program's limit takes a good part of a second per input that reaches it; a
    // smaller one keeps the search fast and still makes every input reach it that would.
    reader.SetWorkLimit(1L << 13);
    int lastObject = -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const wirvela::DxfResult result = reader.ReadDxfText(tables->lines, text, settings, lastObject);

    // Whatever was read must be a consistent drawing.
    const int vertexCount = tables->vertices.Count();
    if (vertexCount > wirvela::TVert::kAddLimit + 1) __builtin_trap();
    for (const wirvela::LineRecord& l : tables->lines.Records()) {
        if (l.p < 0 || l.k < 0 || l.p >= vertexCount || l.k >= vertexCount || l.p == l.k) __builtin_trap();
        if (l.obj < 0 || l.obj > lastObject) __builtin_trap();
    }
    for (const wirvela::VertexRecord& v : tables->vertices.Records())
        if (!(v.x - v.x == 0.0) || !(v.y - v.y == 0.0)) __builtin_trap();  // finite
    (void)result;
    return 0;
}
