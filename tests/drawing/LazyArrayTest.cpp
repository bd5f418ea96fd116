// The drawing tables come into being as they are written: what a reader sees must be what
// tables constructed in full held, and a fresh drawing must not touch its capacity.
#include "drawing/LazyArray.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>

#include "drawing/Drawing.h"
#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {
namespace {

TEST(LazyArray, UnwrittenElementsReadAsDefaultAndWritesConstructWholePages) {
    LazyArray<VertexRecord> records(10000);
    EXPECT_EQ(records.Ready(), 0u);
    EXPECT_EQ(records[9999].segLink, -1) << "the default of a record that is not zero bytes";

    records.Writable(300).obj = 7;
    const std::size_t page = 4096 / sizeof(VertexRecord);
    EXPECT_EQ(records.Ready(), (300 / page + 1) * page) << "constructed up to the end of the page written";
    EXPECT_EQ(records[300].obj, 7);
    EXPECT_EQ(records[299].segLink, -1) << "a constructed neighbour holds the default";
    EXPECT_EQ(records[records.Ready()].segLink, -1);

    records.MakeReady(20000);
    EXPECT_EQ(records.Ready(), 10000u) << "never beyond the capacity";
    EXPECT_EQ(records[9999].segLink, -1);
}

TEST(LazyArray, TablesReadBeyondTheirCountAsClearedOnesAfterUse) {
    TVert vertices;
    TLines lines(vertices);
    for (int i = 0; i < 1000; ++i) vertices.AddVertex(i, 0);
    for (int i = 0; i + 1 < 1000; ++i) lines.AddLine(i, i + 1, 1, 3);
    lines.ClearLines();
    vertices.ClearVertices();
    for (int i : {0, 999, 1000, TVert::kCapacity - 1}) {
        EXPECT_EQ(vertices[i].x, 0.0) << i;
        EXPECT_EQ(vertices[i].segLink, -1) << i;
    }
    for (int i : {0, 998, 5000, TLines::kCapacity - 1}) {
        EXPECT_EQ(lines[i].pen, 1) << i;
        EXPECT_EQ(lines[i].kind, 0) << i;
    }
    EXPECT_EQ(vertices.AddVertex(5, 5), 0) << "the index was cleared with the table";
}

[[maybe_unused]] long ThreadPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// Constructing every record used to write the whole capacity: some 11,000 fresh pages,
// the better part of a small drawing's run in the command-line program.
TEST(LazyArray, AFreshDrawingTouchesOnlyAFewPagesOfItsTables) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator marks every block it hands out";
#else
    const long before = ThreadPageFaults();
    const auto drawing = std::make_unique<TDrawing>();
    drawing->V().AddVertex(1, 2);
    const long faults = ThreadPageFaults() - before;
    EXPECT_LT(faults, 300) << "pages faulted in by constructing a drawing and adding one vertex";
#endif
}

}  // namespace
}  // namespace wirvela
