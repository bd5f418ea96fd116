#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "formats/TDXFanalizator.h"

namespace wirvela {
namespace {

struct Group {
    int code;
    std::string value;
    bool operator==(const Group&) const = default;
};

void PrintTo(const Group& g, std::ostream* os) {
    *os << "(" << g.code << ", \"" << g.value << "\")";
}

std::vector<Group> GroupsOf(const std::string& text) {
    TDXF dxf;
    EXPECT_EQ(dxf.LoadText(text), TDXF::Status::kRead);
    std::vector<Group> out;
    for (std::size_t i = 0; i < dxf.Count(); ++i) out.push_back({dxf.Code(i), std::string(dxf.Value(i))});
    return out;
}

struct GroupCase {
    const char* name;
    std::string text;
    std::vector<Group> groups;
};

class DxfGroupsTest : public testing::TestWithParam<GroupCase> {};

TEST_P(DxfGroupsTest, ReadsLinesInPairs) {
    EXPECT_EQ(GroupsOf(GetParam().text), GetParam().groups);
}

const std::string kLong(3000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, DxfGroupsTest,
    testing::Values(
        GroupCase{"Lf", "0\nLINE\n8\nwalls\n", {{0, "LINE"}, {8, "walls"}}},
        GroupCase{"CrLf", "0\r\nLINE\r\n", {{0, "LINE"}}}, GroupCase{"BlanksStay", "  10\n  5.0 \n", {{10, "  5.0 "}}},
        // LF, CR, LF, CR are taken off the end in this order, each only if it is last.
        GroupCase{"LineEndStripping", "0\nA\r\r\n0\nB\r\r\r\n", {{0, "A"}, {0, "B\r"}}},
        GroupCase{"OddLastLineDropped", "0\nLINE\n10\n", {{0, "LINE"}}},
        GroupCase{"LastValueWithoutLineEnd", "0\nEOF", {{0, "EOF"}}},
        GroupCase{"ValueEndsAtNul", std::string("0\nLI\0NE\n", 8), {{0, "LI"}}},
        GroupCase{"CodeByIntegerPrefix", "abc\nv\n-5x\nw\n99999999999\nz\n", {{0, "v"}, {-5, "w"}, {INT_MAX, "z"}}},
        // A line longer than 2998 characters is read as two lines: the rest of the
        // value becomes the next code line.
        GroupCase{"LongLineSplits", "1\n" + kLong + "\n0\nEOF\n", {{1, std::string(2998, 'x')}, {0, "0"}}},
        GroupCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

// A line of exactly 2998 characters and its line feed are two lines: the characters,
// then the line feed alone.
TEST(DxfGroupsLineLength, ALineOfTheBufferSizeLeavesItsLineFeedAsALine) {
    const std::string value(2998, 'y');
    const std::vector<Group> groups = GroupsOf("1\n" + value + "\n" + "0\nEOF\n");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (Group{1, value}));
    EXPECT_EQ(groups[1], (Group{0, "0"}));  // code line "\n", value line "0"
}

class DxfAnalizatorTest : public testing::Test {
protected:
    void Load(const std::string& text) { ASSERT_EQ(dxf.LoadText(text), TDXF::Status::kRead); }
    TDXFanalizator dxf;
};

TEST_F(DxfAnalizatorTest, FindsSectionsByTheNameThatFollowsTheirStart) {
    Load(
        "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nSECTION \n2\nBLOCKS\n0\nSECTION\n9\nX\n2\nTABLES\n"
        "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n");
    EXPECT_EQ(dxf.SectionStarts(), (std::vector<std::size_t>{0, 5, 8}));
    EXPECT_EQ(dxf.FindDxfSection("HEADER"), 1u);
    EXPECT_EQ(dxf.FindDxfSection("ENTITIES"), 9u);
    EXPECT_EQ(dxf.FindDxfSection("BLOCKS"), 0u);  // its start has a trailing blank
    EXPECT_EQ(dxf.FindDxfSection("TABLES"), 0u);  // not right after the start
    EXPECT_EQ(dxf.FindDxfSection("entities"), 0u);
}

TEST_F(DxfAnalizatorTest, EntityValuesStopAtTheNextEntity) {
    Load("0\nLINE\n10\n1,5\n70\n12abc\n0\nCIRCLE\n40\n3\n");
    EXPECT_DOUBLE_EQ(dxf.EntityNumber(0, 10), 1.5);
    EXPECT_EQ(dxf.EntityInteger(0, 70), 12);
    EXPECT_EQ(dxf.EntityGroup(0, 40), TDXFanalizator::kNone);
    EXPECT_DOUBLE_EQ(dxf.EntityNumber(0, 40), 0.0);
    EXPECT_EQ(dxf.EntityText(0, 0), "LINE");  // the entity's own group counts
    EXPECT_DOUBLE_EQ(dxf.EntityNumber(3, 40), 3.0);
}

TEST_F(DxfAnalizatorTest, NextGroupStopsAtTheEndOfASectionOrBlock) {
    Load("0\nBLOCK\n0\nLINE\n0\nENDBLK\n0\nLINE\n0\nENDSEC\n0\nLINE\n");
    EXPECT_EQ(dxf.NextGroup(0, 0), 1u);
    EXPECT_EQ(dxf.NextGroup(1, 0), TDXFanalizator::kNone);
    EXPECT_EQ(dxf.NextGroup(2, 0), 3u);
    EXPECT_EQ(dxf.NextGroup(3, 0), TDXFanalizator::kNone);
    EXPECT_EQ(dxf.NextGroup(4, 0), 5u);
    EXPECT_EQ(dxf.NextGroup(5, 0), TDXFanalizator::kNone);
}

TEST(DxfFileTest, MissingFilesAndDirectoriesCannotBeOpened) {
    TDXF dxf;
    EXPECT_EQ(dxf.Load("/nonexistent/x.dxf"), TDXF::Status::kCannotOpen);
    EXPECT_EQ(dxf.Load("/tmp"), TDXF::Status::kCannotOpen);
    EXPECT_EQ(dxf.Count(), 0u);
}

}  // namespace
}  // namespace wirvela
