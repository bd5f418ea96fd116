// Speed of the HP-GL reader and the drawing loader.
//  - LoadDrawing20MB: a generated 20 MB plot file (random polylines on a grid of points, so
//    that the tables fill up and most of the file repeats lines already stored) loaded
//    through the loader as the Open command does, without the joining. Target: < 0.5 s.
//  - ReadHpgl20MB: the reader alone on the same file.
//  - FillTables/N: a grid drawing of about N lines read from memory; the reported
//    complexity shows that filling the tables is linear in the number of lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "formats/DrawingLoader.h"
#include "formats/HpglReader.h"

namespace {

using namespace wirvela;

std::string RandomPolylines(std::size_t bytes) {
    std::uint64_t state = 0x9e3779b97f4a7c15ULL;
    auto next = [&state](int n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
    };
    std::string text = "IN;SP1;";
    text.reserve(bytes + 1024);
    while (text.size() < bytes) {
        int x = next(220);
        int y = next(220);
        text += "PU" + std::to_string(x * 50) + "," + std::to_string(y * 50) + ";PD";
        for (int i = 0; i < 20; ++i) {
            x = std::clamp(x + next(3) - 1, 0, 219);
            y = std::clamp(y + next(3) - 1, 0, 219);
            if (i > 0) text += ',';
            text += std::to_string(x * 50) + "," + std::to_string(y * 50);
        }
        text += ";\n";
    }
    return text + "PU0,0;";
}

// A grid of w × w cells: 2·w·(w + 1) lines, (w + 1)² vertices.
std::string Grid(int w) {
    std::string text = "IN;SP1;";
    for (int row = 0; row <= w; ++row) {
        text += "PU0," + std::to_string(row * 40) + ";PD";
        for (int c = 1; c <= w; ++c)
            text += (c > 1 ? "," : "") + std::to_string(c * 40) + "," + std::to_string(row * 40);
        text += ";";
    }
    for (int col = 0; col <= w; ++col) {
        text += "PU" + std::to_string(col * 40) + ",0;PD";
        for (int r = 1; r <= w; ++r)
            text += (r > 1 ? "," : "") + std::to_string(col * 40) + "," + std::to_string(r * 40);
        text += ";";
    }
    return text + "PU0,0;";
}

const std::filesystem::path& TwentyMegabyteFile() {
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / "wirvela-bench-20mb.plt";
        std::ofstream(p, std::ios::binary) << RandomPolylines(20u << 20);
        return p;
    }();
    return path;
}

void EmptyFigure1(TDrawing& d) {
    d.Set(1).ClearTables();
    d.Set(1).oelems = -1;
    d.SelectFigure(1);
}

void LoadDrawing20MB(benchmark::State& state) {
    const auto& file = TwentyMegabyteFile();
    auto drawing = std::make_unique<TDrawing>();
    TParameters parameters;
    TMessages messages;
    MessageLog log;
    HpglPenState pens;
    LoaderWindowState window;
    RecursiveTimedMutex mutex;
    LoaderContext context(*drawing, &mutex, parameters, messages, log, nullptr, pens, window);
    for (auto _ : state) {
        if (LoadDrawing(context, file, 0) != 16) state.SkipWithError("not loaded");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
    state.counters["lines"] = drawing->L().Count();
    state.counters["vertices"] = drawing->V().Count();
}
BENCHMARK(LoadDrawing20MB)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void ReadHpgl20MB(benchmark::State& state) {
    const auto& file = TwentyMegabyteFile();
    auto drawing = std::make_unique<TDrawing>();
    HpglPenState pens;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyFigure1(*drawing);
        state.ResumeTiming();
        ReadHpgl(file, *drawing, pens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(ReadHpgl20MB)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void FillTables(benchmark::State& state) {
    // w chosen so that 2·w·(w + 1) is about N (w = 222: 99,012 lines, 49,729 vertices).
    int w = 1;
    while (2 * (w + 1) * (w + 2) <= state.range(0) && (w + 2) * (w + 2) <= TVert::kAddLimit + 1) ++w;
    const std::string text = Grid(w);
    auto drawing = std::make_unique<TDrawing>();
    HpglPenState pens;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyFigure1(*drawing);
        state.ResumeTiming();
        HPGL2 reader(*drawing, pens);
        reader.ReadText(text);
    }
    state.SetComplexityN(drawing->L().Count());
    state.counters["lines"] = drawing->L().Count();
    state.counters["vertices"] = drawing->V().Count();
}
BENCHMARK(FillTables)->Arg(12500)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
