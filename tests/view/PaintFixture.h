#pragma once
// A drawing, a settings store with distinct colours, the shipped messages and a raster,
// shared by the painter and drawing view tests. Colours are small numbers so that a
// failing pixel names its key at a glance.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "drawing/Drawing.h"
#include "support/TempDir.h"
#include "view/DrawingPainter.h"
#include "view/RasterCanvas.h"

namespace wirvela::test {

enum Colour : std::int32_t {
    kBackground = 1,
    kObjects1 = 11,
    kConnecting1 = 12,
    kFirstPass1 = 13,
    kSecondPass1 = 14,
    kSecondSpeed1 = 15,
    kObjects2 = 21,
    kConnecting2 = 22,
    kFirstPass2 = 23,
    kSecondPass2 = 24,
    kSecondSpeed2 = 25,
    kSegments = 31,
    kFaulty = 32,
};

inline const char* kColoursIni =
    "[kolory]\ntlo=1\nobiekty=11\nlinie_laczace=12\nlinia_1_ciecia=13\nlinia_2_ciecia=14\nkolor_szybkosc_2=15\n"
    "obiekty_2=21\nlinie_laczace_2=22\nlinia_1_ciecia_2=23\nlinia_2_ciecia_2=24\nkolor_szybkosc_2_2=25\n"
    "kolor_linii_segmentow=31\nniepoprawny_wezel_jednoczesnosci=32\n"
    "[Drawings]\nSkalaHPGL=0.5\n";

class PaintFixture : public testing::Test {
protected:
    void SetUp() override {
        messages.CheckLocalFile(ShippedDataDir());
        messages.LoadMessages();
        LoadIni(kColoursIni);
        // 0.5 mm per unit: the entry point (20 mm, 20 mm) is at (40, 40) units.
        drawing.SetScale(0.5);
        drawing.SetEntryOffset(20, 20);
        drawing.SetSnapGrid(0);
        log.SetMemoEnabled(true);
        log.SetMemoHook([this](std::string_view line) { logged.emplace_back(line); });
    }

    void LoadIni(const std::string& ini) {
        dir.Write("wirvela.ini", ini);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
    }

    PainterServices Services() {
        return {&messages, &log, [this](int panel, std::string_view text) { status.emplace_back(panel, text); }};
    }

    PaintSettings Settings(int width = 200, int height = 200) {
        return GatherPaintSettings(parameters, drawing, inputs, width, height);
    }

    // A line of set `set` between two new vertices; its index.
    int AddLine(int set, double x0, double y0, double x1, double y1, std::uint8_t kind = 1, std::int32_t pen = 1) {
        TDrawingSet& s = drawing.Set(set);
        const int p = s.V.AddVertex(x0, y0);
        const int k = s.V.AddVertex(x1, y1);
        return s.L.AddLineGetIndex(p, k, kind, pen).index;
    }

    bool Logged(std::string_view line) const {
        for (const std::string& l : logged)
            if (l == line) return true;
        return false;
    }

    TempDir dir;
    TParameters parameters;
    TMessages messages;
    MessageLog log;
    std::vector<std::string> logged;
    std::vector<std::pair<int, std::string>> status;
    TDrawing drawing;
    PaintInputs inputs;
    RasterCanvas canvas{200, 200};
};

}  // namespace wirvela::test
