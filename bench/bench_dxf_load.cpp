// Loading a 20 MB DXF file: the group array alone, and the whole reading into a
// drawing set. Two files: a realistic mix of lines, bulged polylines, circles, arcs and
// block references (the tables fill up long before its end, so the reading stops
// there), and one whose entities repeat the same few thousand shapes, so that every
// entity of the file is read and added (de-duplication keeps the tables from filling).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/DxfReader.h"
#include "formats/TDXFanalizator.h"

namespace {

using wirvela::DxfResult;
using wirvela::DxfSettings;
using wirvela::TDXFanalizator;
using wirvela::TDxfReader;
using wirvela::TLines;
using wirvela::TVert;

constexpr std::size_t kTargetBytes = 20u * 1024u * 1024u;

void Group(std::string& out, int code, const std::string& value) {
    char code_text[16];
    std::snprintf(code_text, sizeof code_text, "%3d\n", code);
    out += code_text;
    out += value;
    out += '\n';
}

std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

// distinct: how many different shapes the entities cycle through.
std::string MakeDxf(int distinct) {
    std::string out;
    out.reserve(kTargetBytes + 4096);
    Group(out, 0, "SECTION");
    Group(out, 2, "HEADER");
    Group(out, 9, "$LTSCALE");
    Group(out, 40, "0.01");
    Group(out, 0, "ENDSEC");
    Group(out, 0, "SECTION");
    Group(out, 2, "BLOCKS");
    Group(out, 0, "BLOCK");
    Group(out, 2, "BOLT");
    Group(out, 10, "0.0");
    Group(out, 20, "0.0");
    Group(out, 0, "CIRCLE");
    Group(out, 10, "0.0");
    Group(out, 20, "0.0");
    Group(out, 40, "4.0");
    Group(out, 0, "LINE");
    Group(out, 10, "-6.0");
    Group(out, 20, "0.0");
    Group(out, 11, "6.0");
    Group(out, 21, "0.0");
    Group(out, 0, "ENDBLK");
    Group(out, 0, "ENDSEC");
    Group(out, 0, "SECTION");
    Group(out, 2, "ENTITIES");
    for (long i = 0; out.size() < kTargetBytes; ++i) {
        const long k = i % distinct;
        const double x = static_cast<double>(k % 200) * 50.0;
        const double y = static_cast<double>(k / 200) * 50.0;
        switch (i % 5) {
            case 0:
            case 1:
                Group(out, 0, "LINE");
                Group(out, 8, "CONTOUR");
                Group(out, 10, Num(x));
                Group(out, 20, Num(y));
                Group(out, 30, "0.0");
                Group(out, 11, Num(x + 20.0));
                Group(out, 21, Num(y + 10.0 + (i % 2)));
                Group(out, 31, "0.0");
                break;
            case 2:
                Group(out, 0, "LWPOLYLINE");
                Group(out, 8, "CONTOUR");
                Group(out, 90, "4");
                Group(out, 70, "1");
                Group(out, 10, Num(x));
                Group(out, 20, Num(y));
                Group(out, 10, Num(x + 30.0));
                Group(out, 20, Num(y));
                Group(out, 42, "0.414214");
                Group(out, 10, Num(x + 40.0));
                Group(out, 20, Num(y + 10.0));
                Group(out, 10, Num(x));
                Group(out, 20, Num(y + 10.0));
                break;
            case 3:
                Group(out, 0, (i / 5) % 2 == 0 ? "CIRCLE" : "ARC");
                Group(out, 8, "HOLES");
                Group(out, 10, Num(x + 25.0));
                Group(out, 20, Num(y + 25.0));
                Group(out, 40, "12.5");
                Group(out, 50, "30.0");
                Group(out, 51, "300.0");
                break;
            default:
                Group(out, 0, "INSERT");
                Group(out, 8, "0");
                Group(out, 2, "BOLT");
                Group(out, 10, Num(x + 10.0));
                Group(out, 20, Num(y + 40.0));
                Group(out, 50, "45.0");
                Group(out, 70, "2");
                Group(out, 44, "12.0");
                break;
        }
    }
    Group(out, 0, "ENDSEC");
    Group(out, 0, "EOF");
    return out;
}

const std::filesystem::path& File(bool repeating) {
    static const auto write = [](const char* name, int distinct) {
        const std::filesystem::path file = std::filesystem::temp_directory_path() / name;
        std::ofstream(file, std::ios::binary) << MakeDxf(distinct);
        return file;
    };
    static const std::filesystem::path mixed = write("wirvela_bench_mixed.dxf", 1000000);
    static const std::filesystem::path repeated = write("wirvela_bench_repeated.dxf", 2000);
    return repeating ? repeated : mixed;
}

void SetBytes(benchmark::State& state, const std::filesystem::path& file) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

void BM_DxfGroups(benchmark::State& state) {
    const std::filesystem::path& file = File(state.range(0) != 0);
    for (auto _ : state) {
        TDXFanalizator dxf;
        dxf.Load(file);
        benchmark::DoNotOptimize(dxf.Count());
    }
    SetBytes(state, file);
}
BENCHMARK(BM_DxfGroups)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DxfLoad(benchmark::State& state) {
    const std::filesystem::path& file = File(state.range(0) != 0);
    static TVert* vertices = new TVert(1.0, true);
    static TLines* lines = new TLines(*vertices, true);
    DxfResult result;
    for (auto _ : state) {
        lines->ClearLines();
        vertices->ClearVertices();
        TDxfReader reader;
        int lastObject = -1;
        result = reader.ReadDxf(*lines, file, DxfSettings{}, lastObject);
        benchmark::DoNotOptimize(lastObject);
    }
    SetBytes(state, file);
    state.counters["entities"] = result.entities;
    state.counters["lines"] = lines->Count();
    state.counters["vertices"] = vertices->Count();
    state.counters["full"] = result.tablesFull;
}
BENCHMARK(BM_DxfLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
