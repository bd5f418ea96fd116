#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "mesh3d/Mesh3D.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

class Mesh3DTest : public testing::Test {
protected:
    int Read(const std::string& content, double scale = 1.0) {
        return mesh.ReadRaw(dir.Write("model.raw", content), scale);
    }

    test::TempDir dir;
    TMesh3D mesh;
};

TEST_F(Mesh3DTest, AHeaderAloneIsAnEmptyMeshWithOneObjectAndZeroBounds) {
    ASSERT_EQ(Read("3D_raw export\n"), TMesh3D::kReadOk);
    EXPECT_EQ(mesh.Count(), 0);
    EXPECT_EQ(mesh.ObjectCount(), 1);
    EXPECT_EQ(mesh.min, TVector3());
    EXPECT_EQ(mesh.max, TVector3());
}

TEST_F(Mesh3DTest, ANameLineStartsTheNextObjectAndTheHeaderIsNeverATriangle) {
    ASSERT_EQ(Read("1 2 3 4 5 6 7 8 9\n"
                   "0 0 0 1 0 0 0 1 0\n"
                   "Object2\n"
                   "-1 -2 -3 4 5 6 7 8 9.5\n"),
              TMesh3D::kReadOk);
    ASSERT_EQ(mesh.Count(), 2);
    EXPECT_EQ(mesh.Capacity(), 4);
    EXPECT_EQ(mesh.ObjectCount(), 2);
    EXPECT_EQ(mesh[0].obj, 1);
    EXPECT_EQ(mesh[1].obj, 2);
    EXPECT_EQ(mesh[1].v[0], TVector3(-1, -2, -3));
    EXPECT_EQ(mesh[1].v[2], TVector3(7, 8, 9.5));
    EXPECT_EQ(mesh.min, TVector3(-1, -2, -3));
    EXPECT_EQ(mesh.max, TVector3(7, 8, 9.5));
    EXPECT_EQ(mesh.minNorm, TVector3(-1.0 / 8, -2.0 / 8, -3.0 / 8));
    EXPECT_EQ(mesh.maxNorm, TVector3(7.0 / 8, 1, 9.5 / 8));
}

TEST_F(Mesh3DTest, LinesStartingWithPlusOrPointOrBlankStartObjects) {
    ASSERT_EQ(Read("h\n+1 0 0 1 0 0 0 1 0\n.5 0 0 1 0 0 0 1 0\n\n2 0 0 1 0 0 0 1 0\n"), TMesh3D::kReadOk);
    ASSERT_EQ(mesh.Count(), 1);
    EXPECT_EQ(mesh[0].obj, 4);
    EXPECT_EQ(mesh.ObjectCount(), 4);
}

TEST_F(Mesh3DTest, ScaleMultipliesEveryCoordinateBeforeTheBounds) {
    ASSERT_EQ(Read("h\n1 2 3 4 5 6 -7 8 9\n", 10.0), TMesh3D::kReadOk);
    EXPECT_EQ(mesh[0].v[1], TVector3(40, 50, 60));
    EXPECT_EQ(mesh.min, TVector3(-70, 20, 30));
    EXPECT_EQ(mesh.max, TVector3(40, 80, 90));
}

TEST_F(Mesh3DTest, ADoubleBlankMakesTheReaderTakeTheNextNumberTwice) {
    // After a number the next one starts behind the first blank at or after the
    // number's start, so a second blank re-reads the same number.
    ASSERT_EQ(Read("h\n1  2 3 4 5 6 7 8 9\n"), TMesh3D::kReadOk);
    EXPECT_EQ(mesh[0].v[0], TVector3(1, 2, 2));
    EXPECT_EQ(mesh[0].v[2], TVector3(6, 7, 8));
}

TEST_F(Mesh3DTest, ACarriageReturnAfterTheNinthNumberIsAccepted) {
    ASSERT_EQ(Read("h\r\n1 2 3 4 5 6 7 8 9\r\n"), TMesh3D::kReadOk);
    EXPECT_EQ(mesh.Count(), 1);
}

struct CorruptFile {
    const char* name;
    const char* content;
};

class Mesh3DCorruptTest : public Mesh3DTest, public testing::WithParamInterface<CorruptFile> {};

TEST_P(Mesh3DCorruptTest, FailsWithMinusThreeAndLeavesTheMeshEmpty) {
    ASSERT_EQ(Read("h\n1 1 1 2 2 2 3 3 3\n"), TMesh3D::kReadOk);
    EXPECT_EQ(Read(GetParam().content), TMesh3D::kReadMalformed);
    EXPECT_EQ(mesh.Count(), 0);
    EXPECT_EQ(mesh.Capacity(), 0);
    EXPECT_EQ(mesh.ObjectCount(), 0);
    EXPECT_EQ(mesh.max, TVector3());
}

INSTANTIATE_TEST_SUITE_P(Files, Mesh3DCorruptTest,
                         testing::Values(CorruptFile{"Empty", ""}, CorruptFile{"Tab", "h\n1 2 3\t4 5 6 7 8 9\n"},
                                         CorruptFile{"CarriageReturnInside", "h\n1 2 3 4\r5 6 7 8 9\n"},
                                         CorruptFile{"TooFewNumbers", "h\n1 2 3 4 5\n"},
                                         CorruptFile{"EightNumbersNoLineEnd", "h\n0 0 0 1 0 0 0 1"},
                                         CorruptFile{"LaterLineBad", "h\n1 2 3 4 5 6 7 8 9\n-1 2\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Mesh3DTest, AMissingFileGivesMinusOne) {
    EXPECT_EQ(mesh.ReadRaw(dir.Path() / "absent.raw"), TMesh3D::kReadCannotOpen);
}

TEST_F(Mesh3DTest, AnArrayBeyondTheMemoryLimitGivesMinusTwo) {
    mesh.SetMemoryLimit(3 * sizeof(TMesh3D::Triangle));
    EXPECT_EQ(Read("h\n1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8 9\n"), TMesh3D::kReadOk);
    EXPECT_EQ(Read("h\n1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8 9\n"), TMesh3D::kReadNoMemory);
    EXPECT_EQ(mesh.Count(), 0);
}

TEST_F(Mesh3DTest, AnOverlongLineIsReadInPieces) {
    // 989 characters fill one read; the line feed behind them is an empty line of its
    // own and opens a further object.
    std::string triangle = "1 2 3 4 5 6 7 8 9";
    triangle += std::string(TMesh3D::kMaxLineChars - triangle.size(), ' ');
    ASSERT_EQ(Read("h\n" + triangle + "\n1 1 1 1 1 1 1 1 1\n"), TMesh3D::kReadOk);
    ASSERT_EQ(mesh.Count(), 2);
    EXPECT_EQ(mesh[0].obj, 1);
    EXPECT_EQ(mesh[1].obj, 2);
    EXPECT_EQ(mesh.Capacity(), 4);
}

TEST_F(Mesh3DTest, CentringPutsTheBoxCentreAtTheOrigin) {
    ASSERT_EQ(Read("h\n2 4 6 10 4 6 2 8 10\n"), TMesh3D::kReadOk);
    mesh.Center();
    EXPECT_EQ(mesh.min, TVector3(-4, -2, -2));
    EXPECT_EQ(mesh.max, TVector3(4, 2, 2));
    EXPECT_EQ(mesh[0].v[0], TVector3(-4, -2, -2));
    EXPECT_EQ(mesh.minNorm, TVector3(-0.5, -0.25, -0.25));
}

TEST_F(Mesh3DTest, AMeshWithoutExtentInXHasUndefinedNormalisedBounds) {
    ASSERT_EQ(Read("h\n1 0 0 1 1 0 1 0 1\n"), TMesh3D::kReadOk);
    EXPECT_TRUE(std::isinf(mesh.minNorm.x));
    EXPECT_TRUE(std::isnan(mesh.minNorm.y));
}

}  // namespace
}  // namespace wirvela
