// libFuzzer target of the HP-GL reader: any bytes, read as a whole plot file into figure 1
// of a drawing with the default settings (snap grid of one unit). A drawing in exactly the
// pens 3, 4 and 5 with segment lines then goes through what the loader does with it: the
// separation into figures, the segment-node checks and the shift to the origin. The first
// byte also splits the input into two pieces fed one after the other, so that commands
// cut across reads are exercised. (The plain shift to the origin is left out: it is two
// subtractions, and rebuilding the vertex index would dominate the time of every run.)
// The separation empties and refills all three sets, some fifty times the cost of reading a
// small input; with WIRVELA_FUZZ_READER_ONLY set in the environment it is skipped, so
// that a session spends its time on the reader.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/MessageLog.h"
#include "formats/DrawingLoader.h"
#include "formats/HpglReader.h"
#include "planning/FigureSeparation.h"

namespace {

using wirvela::TDrawing;

// Model invariants the reader must keep whatever it reads.
void Check(const TDrawing& d) {
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        const wirvela::TDrawingSet& set = d.Set(s);
        if (set.V.Count() > wirvela::TVert::kAddLimit + 1 || set.L.Count() > wirvela::TLines::kAddLimit + 1) {
            __builtin_trap();
        }
        for (const wirvela::VertexRecord& v : set.V.Records()) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y)) __builtin_trap();
        }
        for (const wirvela::LineRecord& l : set.L.Records()) {
            if (l.p == l.k || l.p < 0 || l.k < 0 || l.p >= set.V.Count() || l.k >= set.V.Count()) __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The tables are large: one drawing is kept and its sets emptied for every input.
    static TDrawing* drawing = new TDrawing;
    static wirvela::MessageLog* log = new wirvela::MessageLog;
    static const bool readerOnly = std::getenv("WIRVELA_FUZZ_READER_ONLY") != nullptr;
    TDrawing& d = *drawing;
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        d.Set(s).L.Truncate(0);
        d.Set(s).V.Truncate(0);
        d.Set(s).oelems = -1;
    }
    d.SelectFigure(TDrawing::kFigure1);
    d.SetTwoFigures(false);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    wirvela::HpglPenState pens;
    wirvela::HPGL2 reader(d, pens);
    reader.Feed(text.substr(0, cut));
    reader.Feed(text.substr(cut));
    reader.Finish();
    d.Set(TDrawing::kFigure1).oelems = d.Oelems();
    Check(d);
    if (d.L().Count() == 0) return 0;

    if (!readerOnly && d.TwoFigures() && pens.penMask == 4 + 8 + 16 && wirvela::SeparateObj(d) == 0) {
        wirvela::CheckSegNodesConneCtion(d);
        wirvela::MarkSegNodesWithFigures(d);
        wirvela::CheckSegNodeLinks(d);
        wirvela::ShiftFiguresToOrigin(d, *log);
        Check(d);
    }
    return 0;
}
