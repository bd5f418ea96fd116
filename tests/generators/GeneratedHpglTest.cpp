// What the generators add reads back from an HP-GL file as the same tables.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "drawing/Drawing.h"
#include "formats/HpglReader.h"
#include "formats/HpglWriter.h"
#include "generators/BentMoulding.h"
#include "generators/Frame.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

void ExpectRoundTrip(const TLines& lines) {
    test::TempDir dir;
    std::string error;
    const auto file = dir.Path() / "out.plt";
    ASSERT_TRUE(WriteHpgl(file, lines, HpglLines::All, &error)) << error;
    TDrawing back;
    HpglPenState pens;
    ASSERT_EQ(ReadHpgl(file, back, pens), 0);
    ASSERT_EQ(back.V().Count(), lines.Vertices().Count());
    ASSERT_EQ(back.L().Count(), lines.Count());
    for (int i = 0; i < lines.Vertices().Count(); ++i) {
        EXPECT_EQ(back.V()[i].x, lines.Vertices()[i].x) << i;
        EXPECT_EQ(back.V()[i].y, lines.Vertices()[i].y) << i;
    }
    for (int i = 0; i < lines.Count(); ++i) {
        EXPECT_EQ(back.L()[i].p, lines[i].p) << i;
        EXPECT_EQ(back.L()[i].k, lines[i].k) << i;
    }
}

TEST(GeneratedHpgl, FramesReadBack) {
    for (FrameShape shape : {FrameShape::Rectangle, FrameShape::Circle}) {
        TDrawing d;
        FrameSpec spec;
        spec.shape = shape;
        spec.epsilon = 0.5;
        ASSERT_FALSE(AddFrame(d, spec));
        ExpectRoundTrip(d.L());
    }
}

TEST(GeneratedHpgl, MouldingOutlinesReadBack) {
    MouldingInput angle;
    angle.mode = MouldingMode::Angle;
    for (const MouldingInput& in : {MouldingInput{}, angle}) {
        Moulding m;
        ASSERT_FALSE(ComputeMoulding(in, m));
        TDrawing d;
        std::vector<OutlineStep> walk;
        ASSERT_FALSE(AddMouldingOutline(d.L(), m, 0.025, walk));
        ExpectRoundTrip(d.L());
    }
}

}  // namespace
}  // namespace wirvela
