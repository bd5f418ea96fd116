// The .hpr project list: what reading keeps, where it stops and why, what saving writes,
// and which profile names are followed.
#include "rotary/HprFile.h"

#include <gtest/gtest.h>

#include <string>

#include "RotaryTestSupport.h"

namespace wirvela {
namespace {

using test::ShippedMessages;
using test::TempDir;

TEST(HprFile, SavingCompactsTheRowsAndReopeningReadsThemBack) {
    TempDir dir;
    ProfileList list;
    list.Row(1) = {"a.plt", "15"};
    list.Row(3) = {"b.plt", ""};
    list.Row(4) = {"", "30"};  // an angle without a name is not a row of the project
    list.Row(99) = {"c.dxf", "-7.5"};
    const std::filesystem::path file = dir.Path() / "job.hpr";
    ASSERT_TRUE(WriteHprFile(file, list, ShippedMessages()).Ok());
    EXPECT_EQ(dir.Read("job.hpr"), "a.plt\t15\r\nb.plt\t\r\nc.dxf\t-7.5\r\n");

    ProfileList again;
    again.Row(50) = {"stale.plt", "1"};
    const HprOutcome read = ReadHprFile(file, again, ShippedMessages());
    ASSERT_TRUE(read.Ok()) << read.text;
    EXPECT_EQ(read.rows, 3);
    EXPECT_EQ(again.Row(2).name, "b.plt");
    EXPECT_EQ(again.Row(2).angle, "");
    EXPECT_EQ(again.Row(3).angle, "-7.5");
    EXPECT_TRUE(again.Row(50).name.empty());
}

struct ReadCase {
    const char* name;
    std::string content;
    int rows;     // rows read
    int message;  // 0, or the message that stopped the reading
    std::string lastName;
    const char* lastAngle;
};

class HprRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(HprRead, KeepsTheRowsBeforeAnyStop) {
    const ReadCase& c = GetParam();
    TempDir dir;
    ProfileList list;
    const HprOutcome read = ReadHprFile(dir.Write("p.hpr", c.content), list, ShippedMessages());
    EXPECT_EQ(read.rows, c.rows);
    EXPECT_EQ(read.message, c.message);
    EXPECT_EQ(read.text.empty(), c.message == 0);
    if (c.message == 633) {
        EXPECT_NE(read.text.find("p.hpr"), std::string::npos) << read.text;
    }
    if (c.rows > 0) {
        EXPECT_EQ(list.Row(c.rows).name, c.lastName);
        EXPECT_EQ(list.Row(c.rows).angle, c.lastAngle);
    }
}

std::string Rows(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += "p" + std::to_string(i) + ".plt\t10\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HprRead,
    ::testing::Values(ReadCase{"CrLf", "name.plt\t15\r\n", 1, 0, "name.plt", "15"},
                      ReadCase{"TwoEndsRemovedNoMore", "a.plt\t15\r\r\n", 1, 0, "a.plt", "15\r"},
                      ReadCase{"LastLineWithoutLf", "a.plt\t1\nb.plt\t2", 2, 0, "b.plt", "2"},
                      ReadCase{"FirstTabSplits", "a b.plt\t1\t2\n", 1, 0, "a b.plt", "1\t2"},
                      ReadCase{"EmptyAngleStays", "a.plt\t\n", 1, 0, "a.plt", ""},
                      ReadCase{"LineWithoutTabStops", "a.plt\t1\nb.plt 2\nc.plt\t3\n", 1, 142, "a.plt", "1"},
                      ReadCase{"BlankLineStops", "a.plt\t1\n\r\nc.plt\t3\n", 1, 142, "a.plt", "1"},
                      ReadCase{"NulByteStops", std::string("a.plt\t1\nb\0.plt\t2\n", 17), 1, 142, "a.plt", "1"},
                      ReadCase{"LongLineStops", "a.plt\t1\n" + std::string(2000, 'x') + "\t1\n", 1, 633, "a.plt", "1"},
                      ReadCase{"LongestLineIsRead", std::string(896, 'x') + "\t1\n", 1, 0, std::string(896, 'x'), "1"},
                      ReadCase{"EndlessLineWithoutBreak", std::string(1 << 20, '\t'), 0, 633, "", ""},
                      ReadCase{"HundredthProfileStops", Rows(120), 99, 634, "p99.plt", "10"},
                      ReadCase{"Binary", std::string("\x01\x02\xff\t\xfe\n", 6), 1, 0, "\x01\x02\xff", "\xfe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HprFile, AMissingProjectCannotBeRead) {
    TempDir dir;
    ProfileList list;
    list.Row(1) = {"old.plt", "1"};
    const HprOutcome read = ReadHprFile(dir.Path() / "none.hpr", list, ShippedMessages());
    EXPECT_EQ(read.message, 142);
    EXPECT_TRUE(list.Empty());
}

TEST(HprFile, AnUnwritableProjectLeavesTheEarlierFile) {
    TempDir dir;
    dir.Write("job.hpr", "old.plt\t1\r\n");
    ProfileList list;
    list.Row(1) = {"a.plt", "1"};
    EXPECT_EQ(WriteHprFile(dir.Path() / "missing" / "job.hpr", list, ShippedMessages()).message, 144);
    list.Row(2) = {"b\n.plt", "1"};  // would read back as two lines
    EXPECT_EQ(WriteHprFile(dir.Path() / "job.hpr", list, ShippedMessages()).message, 144);
    EXPECT_EQ(dir.Read("job.hpr"), "old.plt\t1\r\n");
}

TEST(HprFile, ProfilesAreReadOnlyFromTheProjectsFolder) {
    const std::filesystem::path folder = "/projects/vase";
    EXPECT_EQ(ProfileFilePath(folder, "a.plt", 1, ShippedMessages()).file, folder / "a.plt");
    for (const char* name : {"../secret.plt", "..", "/etc/passwd", "sub/a.plt", "..\\a.plt", ""}) {
        const ProfilePath path = ProfileFilePath(folder, name, 4, ShippedMessages());
        EXPECT_EQ(path.message, 630) << name;
        EXPECT_NE(path.text.find("row 4"), std::string::npos) << path.text;
    }
}

}  // namespace
}  // namespace wirvela
