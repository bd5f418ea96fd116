#include "formats/HpglWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "drawing/Drawing.h"
#include "formats/HpglReader.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

std::unique_ptr<TDrawing> Read(const std::filesystem::path& file) {
    auto d = std::make_unique<TDrawing>();
    HpglPenState pens;
    EXPECT_EQ(ReadHpgl(file, *d, pens), 0) << file;
    return d;
}

// Same vertices (order, coordinates), same lines (order, ends, pens).
void ExpectSameTables(const TLines& a, const TLines& b, const std::string& what) {
    ASSERT_EQ(a.Vertices().Count(), b.Vertices().Count()) << what;
    ASSERT_EQ(a.Count(), b.Count()) << what;
    for (int i = 0; i < a.Vertices().Count(); ++i) {
        EXPECT_EQ(a.Vertices()[i].x, b.Vertices()[i].x) << what << " vertex " << i;
        EXPECT_EQ(a.Vertices()[i].y, b.Vertices()[i].y) << what << " vertex " << i;
    }
    for (int i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a[i].p, b[i].p) << what << " line " << i;
        EXPECT_EQ(a[i].k, b[i].k) << what << " line " << i;
        EXPECT_EQ(a[i].pen, b[i].pen) << what << " line " << i;
    }
}

class HpglWriterExamples : public testing::TestWithParam<const char*> {};

TEST_P(HpglWriterExamples, ReadsBackToTheSameTables) {
    test::TempDir dir;
    const auto original = Read(test::ShippedDataDir().parent_path() / "examples" / GetParam());
    const std::filesystem::path out = dir.Path() / "copy.plt";
    std::string error;
    ASSERT_TRUE(WriteHpgl(out, original->L(), HpglLines::All, &error)) << error;
    ExpectSameTables(original->L(), Read(out)->L(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Examples, HpglWriterExamples,
                         testing::Values("letters.plt", "nested_parts.plt", "large_lettering.plt",
                                         "wing_two_figure.plt"));

// Vertices without lines, a first line that does not start at vertex 0, a line drawn
// backwards over known vertices, and a change of pen.
TEST(HpglWriter, VerticesWithoutLinesAndLinesOutOfOrderKeepTheirIndices) {
    TDrawing d;
    TVert& v = d.V();
    for (int i = 0; i < 6; ++i) v.AddVertex(i * 10, i * i);
    TLines& l = d.L();
    l.AddLine(2, 1, 1, 1);
    l.AddLine(1, 4, 1, 2);
    l.AddLine(4, 2, 1, 2);
    const auto text = HpglText(l, HpglLines::All);
    ASSERT_TRUE(text);
    test::TempDir dir;
    ExpectSameTables(l, Read(dir.Write("t.plt", *text))->L(), "hand-made");
}

TEST(HpglWriter, ObjectLinesOnlyLeaveOutTheJoining) {
    TDrawing d;
    TVert& v = d.V();
    TLines& l = d.L();
    for (int i = 0; i < 4; ++i) v.AddVertex(i * 100, 0);
    l.AddLine(0, 1, 1);
    l.AddLine(1, 2, 2);  // a connecting line
    l.AddLine(2, 3, 1);
    const auto text = HpglText(l, HpglLines::ObjectLines);
    ASSERT_TRUE(text);
    test::TempDir dir;
    const auto back = Read(dir.Write("t.plt", *text));
    EXPECT_EQ(back->L().Count(), 2);
    EXPECT_EQ(back->V().Count(), 4);
}

TEST(HpglWriter, RefusesWhatHpglCannotHoldAndNeverLeavesAHalfFile) {
    TDrawing d;
    d.V().SetSnapGrid(0.0);
    const int half = d.V().AddVertex(0.5, 0);
    d.L().AddLine(half, d.V().AddVertex(10, 0), 1);
    std::string error;
    EXPECT_FALSE(HpglText(d.L(), HpglLines::All, &error));
    EXPECT_NE(error.find("vertex 0 (0.5, 0)"), std::string::npos) << error;

    test::TempDir dir;
    const auto target = dir.Write("keep.plt", "IN;PU0,0;PD1,1;\n");
    EXPECT_FALSE(WriteHpgl(target, d.L(), HpglLines::All, &error));
    EXPECT_NE(error.find(target.string()), std::string::npos) << error;
    EXPECT_EQ(dir.Read("keep.plt"), "IN;PU0,0;PD1,1;\n");

    TDrawing good;
    good.L().AddLine(good.V().AddVertex(0, 0), good.V().AddVertex(10, 0), 1);
    const auto missing = dir.Path() / "no such folder" / "x.plt";
    EXPECT_FALSE(WriteHpgl(missing, good.L(), HpglLines::All, &error));
    EXPECT_NE(error.find("x.plt"), std::string::npos) << error;
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

}  // namespace
}  // namespace wirvela
