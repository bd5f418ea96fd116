// Writes one of the benchmark's generated drawings as an HP-GL file, so that a large
// drawing can be opened in the desktop program or timed with `wirvela-cli plan`.
//   make_drawing KIND LINES FILE [SEED]
// KIND: nested-parts, lettering or fine-arcs. The same arguments always write the same file.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "drawinggen/SyntheticDrawing.h"

int main(int argc, char** argv) {
    using namespace wirvela::drawinggen;
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: make_drawing nested-parts|lettering|fine-arcs LINES FILE [SEED]\n");
        return 2;
    }
    const auto kind = DrawingKindFromName(argv[1]);
    char* end = nullptr;
    const long lines = std::strtol(argv[2], &end, 10);
    if (!kind || *end != '\0' || lines < 1 || lines > 100000) {
        std::fprintf(stderr, "make_drawing: bad kind '%s' or line count '%s' (1 to 100000)\n", argv[1], argv[2]);
        return 2;
    }
    unsigned long long seed = 1;
    if (argc == 5) {
        seed = std::strtoull(argv[4], &end, 10);
        if (*end != '\0') {
            std::fprintf(stderr, "make_drawing: bad seed '%s'\n", argv[4]);
            return 2;
        }
    }
    const SyntheticDrawing drawing = MakeSyntheticDrawing(*kind, static_cast<int>(lines), seed);
    // Written beside the target and renamed, so a failed write never leaves half a file.
    const std::string file = argv[3];
    const std::string temporary = file + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << drawing.hpgl;
        out.close();
        if (!out) {
            std::fprintf(stderr, "make_drawing: cannot write '%s'\n", temporary.c_str());
            std::remove(temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::fprintf(stderr, "make_drawing: cannot rename '%s' to '%s'\n", temporary.c_str(), file.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    std::printf("%s: %d lines, %d vertices, %d objects, %d crossings\n", file.c_str(), drawing.lines,
                drawing.vertices, drawing.objects, drawing.crossings);
    return 0;
}
