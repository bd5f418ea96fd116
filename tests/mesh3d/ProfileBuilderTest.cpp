#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/HpglReader.h"
#include "mesh3d/Graph1.h"
#include "mesh3d/ProfileBuilder.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

namespace fs = std::filesystem;

class RecordingSink : public ProfileSink {
public:
    void Log(std::string_view line) override { log.emplace_back(line); }
    void Box(int key, std::string_view) override { boxes.push_back(key); }
    bool Logged(const std::string& line) const {
        for (const std::string& l : log)
            if (l == line) return true;
        return false;
    }
    std::vector<std::string> log;
    std::vector<int> boxes;
};

// A cube of side 20 mm standing on z = 0, centred on the z axis; each face two triangles.
std::string CubeRaw() {
    const double c[8][3] = {{-10, -10, 0}, {10, -10, 0}, {10, 10, 0}, {-10, 10, 0},
                            {-10, -10, 20}, {10, -10, 20}, {10, 10, 20}, {-10, 10, 20}};
    const int faces[6][4] = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}, {0, 3, 2, 1}, {4, 5, 6, 7}};
    std::ostringstream s;
    s << "cube\n";
    auto vertex = [&](int i) { s << c[i][0] << ' ' << c[i][1] << ' ' << c[i][2]; };
    for (const auto& f : faces) {
        for (const std::array<int, 3> tri : {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}}) {
            vertex(tri[0]), s << ' ', vertex(tri[1]), s << ' ', vertex(tri[2]), s << '\n';
        }
    }
    return s.str();
}

class ProfileBuilderTest : public testing::Test {
protected:
    ProfilesResult Build(const std::string& raw, ProfileOptions options = {}) {
        EXPECT_EQ(mesh.ReadRaw(dir.Write("model.raw", raw)), TMesh3D::kReadOk);
        return BuildProfiles(mesh, drawing, options, dir.Path() / "out" / "part.hpr", sink);
    }
    void SetUp() override { fs::create_directory(dir.Path() / "out"); }
    bool OutEmpty() const { return fs::is_empty(dir.Path() / "out"); }
    // Lines of a written HP-GL dump: its PD commands.
    int DrawnLines(const std::string& name) const {
        std::ifstream in(dir.Path() / "out" / name);
        std::string line;
        int n = 0;
        while (std::getline(in, line)) n += line.rfind("PD", 0) == 0;
        return n;
    }

    test::TempDir dir;
    TMesh3D mesh;
    TDrawing drawing;
    RecordingSink sink;
};

TEST(ProfileList, FourProfilesAreFourLinesOf45DegreesWithCrLf) {
    EXPECT_EQ(ProfileListText("part", 4),
              "part_1.plt\t45.00\r\npart_2.plt\t45.00\r\npart_3.plt\t45.00\r\npart_4.plt\t45.00\r\n");
    EXPECT_EQ(ProfileListText("x", 3), "x_1.plt\t60.00\r\nx_2.plt\t60.00\r\nx_3.plt\t60.00\r\n");
}

// The shipped example: every profile walks from the entry to the exit, the project names
// only the profile files beside it, and each profile reloads through the HP-GL reader as
// one open path.
TEST_F(ProfileBuilderTest, TheExampleModelGivesFourProfilesThatReload) {
    std::ifstream in(test::ShippedDataDir().parent_path() / "examples" / "rotary" / "turned_part.raw");
    std::stringstream raw;
    raw << in.rdbuf();
    const ProfilesResult r = Build(raw.str());
    ASSERT_EQ(r.message, 0);
    ASSERT_TRUE(r.projectWritten);
    ASSERT_EQ(r.profiles.size(), 4u);
    const double angles[] = {0, 45, 90, 135};
    for (int i = 0; i < 4; ++i) {
        const ProfileOutcome& p = r.profiles[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.index, i + 1);
        EXPECT_DOUBLE_EQ(p.angle, angles[i]);
        EXPECT_EQ(p.boundary, 0);
        ASSERT_TRUE(p.written);
        EXPECT_EQ(p.file, dir.Path() / "out" / ("part_" + std::to_string(i + 1) + ".plt"));

        TDrawing loaded;
        HpglPenState pens;
        ASSERT_EQ(ReadHpgl(p.file, loaded, pens), 0);
        const TLines& L = loaded.Set(TDrawing::kFigure1).L;
        EXPECT_GT(L.Count(), 20);
        // One open path: every vertex has two lines but the two ends.
        std::vector<int> degree(static_cast<std::size_t>(loaded.Set(TDrawing::kFigure1).V.Count()));
        for (const LineRecord& l : L.Records()) ++degree[static_cast<std::size_t>(l.p)], ++degree[static_cast<std::size_t>(l.k)];
        int ends = 0;
        for (int d : degree) ends += d == 1;
        EXPECT_EQ(ends, 2) << p.file;
    }
    EXPECT_EQ(dir.Read("out/part.hpr"), ProfileListText("part", 4));
}

// Seen face-on only the front and back faces count (the side, top and bottom ones are
// edge-on); the face diagonals have triangles on both sides and go, the square stays.
TEST_F(ProfileBuilderTest, ACubeFaceOnLeavesItsOuterSquare) {
    ProfileOptions o;
    o.count = 1;
    o.plinth = false;
    const ProfilesResult r = Build(CubeRaw(), o);
    ASSERT_EQ(r.message, 0);
    EXPECT_TRUE(sink.Logged("Front faces = 4"));
    EXPECT_EQ(DrawnLines("rzut_part_1.plt"), 6);            // square, front and back diagonals
    EXPECT_EQ(DrawnLines("rzut_part_sylwetki_1.plt"), 8);   // square and base block
    EXPECT_EQ(r.profiles[0].boundary, 0);
}

// A view between 0° and 90° projects: the direction is not put on the drawing's grid.
TEST_F(ProfileBuilderTest, AnObliqueViewProjectsTheModel) {
    ProfileOptions o;
    o.count = 4;
    ASSERT_EQ(Build(CubeRaw(), o).message, 0);
    // At 45° two side faces face the view on each side: front and back, four triangles each.
    EXPECT_GE(DrawnLines("rzut_part_2.plt"), 6);
    EXPECT_TRUE(sink.Logged("Front faces = 8"));
}

// S and T stand under the base block: at −d·h without the plinth, below the plinth too
// with it.
TEST_F(ProfileBuilderTest, TheEntryPointLiesUnderTheBaseAndPlinth) {
    struct Case {
        bool plinth;
        double expectedMm;
    };
    for (const Case c : {Case{false, -10.0}, Case{true, -20.2}}) {
        ProfileOptions o;
        o.count = 1;
        o.plinth = c.plinth;
        o.dumps = false;
        TDrawing d;
        ASSERT_EQ(mesh.ReadRaw(dir.Write("model.raw", CubeRaw())), TMesh3D::kReadOk);
        ASSERT_EQ(BuildProfiles(mesh, d, o, dir.Path() / "out" / "part.hpr", sink).message, 0);
        const TDrawingSet& set = d.Set(TDrawing::kFigure1);
        ASSERT_NE(set.cutPath, nullptr);
        const int s = set.cutPath->PathStart(0, set.L);
        const double h = 1.0 / d.Settings().scale;
        EXPECT_NEAR(set.V[s].y, std::trunc(c.expectedMm * h), 1.0) << "plinth " << c.plinth;
        EXPECT_EQ(set.cutPath->PathEnd(set.cutPath->LastIndex(), set.L), s + 1);
    }
}

TEST_F(ProfileBuilderTest, APlinthWiderThanThePartStopsWith362AndWritesNothing) {
    ProfileOptions o;
    o.plinthWidth = 50;  // the cube is 20 mm wide
    const ProfilesResult r = Build(CubeRaw(), o);
    EXPECT_EQ(r.message, 362);
    EXPECT_EQ(sink.boxes, std::vector<int>{362});
    EXPECT_TRUE(OutEmpty());
}

// Bad meshes are refused before anything is written; degenerate triangles are skipped.
TEST_F(ProfileBuilderTest, BadMeshesAreRefusedAndDegenerateTrianglesSkipped) {
    std::string tooMany = "many\n";
    for (int i = 0; i < 17000; ++i) {
        const double x = i % 400, z = i / 400;
        tooMany += std::to_string(x) + " 0 " + std::to_string(z) + " " + std::to_string(x + 0.3) + " 0 " +
                   std::to_string(z + 0.6) + " " + std::to_string(x + 0.6) + " 0 " + std::to_string(z + 0.1) + "\n";
    }
    struct Case {
        const char* what;
        std::string raw;
        int message;
    };
    const Case cases[] = {
        {"infinite", "m\n0 0 0 1e400 0 0 0 0 1\n", 638},
        {"minus infinite", "m\n0 0 0 1 0 0 0 0 -1e999\n", 638},
        {"too far", "m\n0 0 0 2e6 0 0 0 0 1\n", 638},
        {"too many", tooMany, 639},
        {"degenerate only", "m\n0 0 0 0 0 0 0 0 0\n1 0 0 2 0 0 3 0 0\n", 362},
    };
    for (const Case& c : cases) {
        sink.boxes.clear();
        TDrawing d;
        ASSERT_EQ(mesh.ReadRaw(dir.Write("model.raw", c.raw)), TMesh3D::kReadOk) << c.what;
        const ProfilesResult r = BuildProfiles(mesh, d, ProfileOptions{}, dir.Path() / "out" / "part.hpr", sink);
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_EQ(sink.boxes, std::vector<int>{c.message}) << c.what;
        EXPECT_TRUE(OutEmpty()) << c.what;
    }
    // Degenerate triangles beside a cube change nothing.
    ProfileOptions o;
    o.count = 1;
    EXPECT_EQ(Build(CubeRaw() + "0 0 0 0 0 0 0 0 0\n1 -10 3 2 -10 3 3 -10 3\n", o).message, 0);
    EXPECT_TRUE(sink.Logged("Front faces = 4"));
}

// Two neighbours in one direction: the graph keeps the nearer, whichever comes first,
// and keeps the lists in ascending azimuth.
TEST(Graph1, EqualAzimuthsKeepTheNearerNeighbour) {
    for (const bool nearFirst : {false, true}) {
        TVert V;
        TLines L(V);
        const int o = V.AddVertex(0, 0), far = V.AddVertex(10, 0), nearer = V.AddVertex(5, 0),
                  up = V.AddVertex(0, 5);
        if (nearFirst) L.AddLine(o, nearer);
        L.AddLine(o, far);
        if (!nearFirst) L.AddLine(o, nearer);
        L.AddLine(up, o);
        TGraph1 g;
        g.Build(L, V);
        ASSERT_EQ(g.Neighbours(o).size(), 2u);
        EXPECT_EQ(g.Neighbours(o)[0].vertex, nearer);
        EXPECT_EQ(g.Neighbours(o)[1].vertex, up);
        EXPECT_EQ(g.NextByAzimuth(o, 0.1)->vertex, nearer);   // largest not above
        EXPECT_EQ(g.NextByAzimuth(o, -1.0)->vertex, up);      // all above: the last
        EXPECT_EQ(g.AddNeighbour(o, 99, 0.0), -2);
        EXPECT_EQ(g.RemoveNeighbour(o, far), -3);
    }
    TGraph1 empty;
    EXPECT_EQ(empty.AddNeighbour(0, 1, 0.0), -3);
}

}  // namespace
}  // namespace wirvela
