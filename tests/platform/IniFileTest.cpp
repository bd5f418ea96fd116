#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TempDir.h"

namespace wirvela {
namespace {

const char* kSample =
    "; settings\r\n"
    "[Ploter]\r\n"
    "SkalaHPGL = 0,025\r\n"
    "; a comment inside\r\n"
    "#Hidden=1\r\n"
    "Quoted=\"a b\"\r\n"
    "NoValue\r\n"
    "\r\n"
    "[RSparam]\r\n"
    "SerialNo=SIM00001\r\n";

TEST(IniFile, ReadsKeysCaseInsensitivelyTrimmedAndUnquoted) {
    IniFile ini = IniFile::FromText(kSample);
    EXPECT_EQ(ini.GetString("ploter", "skalahpgl", "x", 100), "0,025");
    EXPECT_EQ(ini.GetString("Ploter", "Quoted", "x", 100), "a b");
    EXPECT_EQ(ini.GetString("Ploter", "Missing", "  dflt  ", 100), "dflt");
    EXPECT_EQ(ini.GetString("Nowhere", "SkalaHPGL", "d", 100), "d");
    EXPECT_EQ(ini.GetString("RSparam", "SerialNo", "", 5), "SIM0") << "a buffer of 5 holds 4 characters";
    EXPECT_EQ(ini.GetString("RSparam", "SerialNo", "", 0), "");
    EXPECT_EQ(ini.GetInt("RSPARAM", "SerialNo", 7), 0) << "a present non-numeric value reads 0";
    EXPECT_EQ(ini.GetInt("RSparam", "Absent", 7), 7);
}

TEST(IniFile, TheFirstOfRepeatedSectionsAndKeysWinsInAnyCase) {
    IniFile ini = IniFile::FromText("[Mat]\nV=1\nv=2\n[MAT]\nV=3\nW=4\n");
    EXPECT_EQ(ini.GetString("mat", "V", "", 100), "1");
    EXPECT_EQ(ini.GetString("Mat", "W", "absent", 100), "absent") << "only the first section of a name is read";
    ini.SetString("MAT", "x", "5");
    EXPECT_EQ(ini.GetString("mat", "X", "", 100), "5") << "a written key is found at once";
    EXPECT_EQ(ini.GetString("maT", "v", "", 100), "1");
}

TEST(IniFile, SectionEntriesKeepHashLinesAndDropComments) {
    IniFile ini = IniFile::FromText(kSample);
    EXPECT_EQ(ini.SectionEntries("Ploter", 10000),
              (std::vector<std::string>{"SkalaHPGL=0,025", "#Hidden=1", "Quoted=\"a b\"", "NoValue"}));
    EXPECT_EQ(ini.SectionNames(10000), (std::vector<std::string>{"Ploter", "RSparam"}));
}

TEST(IniFile, BufferLimitDropsWhatDoesNotFitWhole) {
    IniFile ini = IniFile::FromText("[A]\n[BB]\n[CCC]\n");
    // "A\0BB\0" plus the final NUL takes 6 bytes; "CCC\0" does not fit into 8.
    EXPECT_EQ(ini.SectionNames(8), (std::vector<std::string>{"A", "BB"}));
    EXPECT_TRUE(ini.SectionNames(1).empty());
}

TEST(IniFile, WriteReplacesInPlaceAndKeepsEverythingElse) {
    IniFile ini = IniFile::FromText(kSample);
    ini.SetString("PLOTER", "SkalaHPGL", "0.5");
    ini.SetString("Ploter", "NoValue", "3");
    std::string expected = kSample;
    expected.replace(expected.find("0,025"), 5, "0.5");
    expected.replace(expected.find("NoValue"), 7, "NoValue=3");
    EXPECT_EQ(ini.Text(), expected);
}

TEST(IniFile, WriteAddsMissingKeysAndSections) {
    IniFile ini = IniFile::FromText("[A]\nx=1\n\n[B]\ny=2\n");
    ini.SetString("A", "z", "3");
    ini.SetString("C", "w", "4");
    EXPECT_EQ(ini.Text(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
}

TEST(IniFile, LineBreaksInAWrittenValueCannotAddKeys) {
    IniFile ini = IniFile::FromText("[A]\nx=1\n");
    ini.SetString("A", "x", "2\n[B]\ny=3");
    EXPECT_FALSE(ini.HasSection("B"));
    EXPECT_EQ(ini.GetString("A", "x", "", 100), "2 [B] y=3");
}

TEST(IniFile, SaveIsAtomicAndRefusesReadOnlyFiles) {
    test::TempDir dir;
    auto path = dir.Write("wirvela.ini", "[A]\nx=1\n");
    ASSERT_TRUE(IniFile::WriteKey(path, "A", "x", "2"));
    EXPECT_EQ(dir.Read("wirvela.ini"), "[A]\nx=2\n");

    ::chmod(path.c_str(), 0444);
    std::string why;
    EXPECT_FALSE(IniFile::WriteKey(path, "A", "x", "3", &why));
    EXPECT_NE(why.find("read-only"), std::string::npos);
    EXPECT_EQ(dir.Read("wirvela.ini"), "[A]\nx=2\n");
    for (auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "wirvela.ini") << "no temporary file is left behind";
}

TEST(IniFile, MissingFileReadsEmptyAndIsCreatedOnWrite) {
    test::TempDir dir;
    auto path = dir.Path() / "new.ini";
    EXPECT_TRUE(IniFile::Load(path).SectionNames(100).empty());
    ASSERT_TRUE(IniFile::WriteKey(path, "S", "k", "v"));
    EXPECT_EQ(IniFile::ReadInt(path, "S", "k", 5), 0);
    EXPECT_EQ(IniFile::Load(path).GetString("S", "k", "", 10), "v");
}

// A file is read up to the size limit: one byte more cuts it there and marks it too
// large, and such a file is never rewritten (that would lose its end).
TEST(IniFile, ReadsUpToTheSizeLimitAndNeverRewritesALargerFile) {
    test::TempDir dir;
    const std::string head = "[S]\nk=v\n;";
    const std::string tail = "\nz=12";
    std::string text = head + std::string(IniFile::kMaxFileBytes - head.size() - tail.size(), 'x') + tail;
    ASSERT_EQ(text.size(), IniFile::kMaxFileBytes);
    auto path = dir.Write("big.ini", text);
    IniFile atLimit = IniFile::Load(path);
    EXPECT_FALSE(atLimit.TooLarge());
    EXPECT_EQ(atLimit.GetInt("S", "z", 0), 12);
    EXPECT_EQ(atLimit.GetString("S", "k", "", 10), "v");

    path = dir.Write("big.ini", text + "3");
    IniFile over = IniFile::Load(path);
    EXPECT_TRUE(over.TooLarge());
    EXPECT_EQ(over.GetInt("S", "z", 0), 12) << "the byte past the limit is not read";
    std::string why;
    EXPECT_FALSE(IniFile::WriteKey(path, "S", "k", "w", &why));
    EXPECT_NE(why.find("larger"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(path), IniFile::kMaxFileBytes + 1);
}

// Carriage returns that are no part of the file's line break were dropped one at each
// reading, so every write changed such a line again (found by fuzz_ini).
TEST(IniFile, WrittenBackTextReadsTheSameWhateverCarriageReturnsItHolds) {
    for (const std::string& text : {std::string("[[ae\t\xe9h\r\r"), std::string("[S]\nk=v\r\r\n"),
                                   std::string("[S]\r\nk=v\r\r\nj=w\n"), std::string("[S]\r\nk=v\r")}) {
        const std::string written = IniFile::FromText(text).Text();
        EXPECT_EQ(IniFile::FromText(written).Text(), written) << text;
        EXPECT_EQ(IniFile::FromText(text).GetString("S", "k", "", 10), text.find("k=v") != std::string::npos ? "v" : "");
    }
    EXPECT_EQ(IniFile::FromText("[S]\nk=v\r\n").Text(), "[S]\nk=v\r\n") << "a lone CR line end stays";
}

TEST(IniFile, BinaryGarbageIsReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 70000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    garbage += "\n[S]\nk=v\n";
    IniFile ini = IniFile::FromText(garbage);
    EXPECT_EQ(ini.GetString("S", "k", "", 10), "v");
    EXPECT_LE(ini.SectionNames(10000).size(), 10000u);
}

struct FlawCase {
    const char* name;
    std::string text;
    std::size_t line;  // 0: no flaw
    const char* what;
};

class IniFileFlaw : public testing::TestWithParam<FlawCase> {};

TEST_P(IniFileFlaw, NamesTheFirstLineNoReaderTakesAsMeant) {
    const FlawCase& c = GetParam();
    const auto flaw = IniFile::FromText(c.text).FirstFlaw();
    if (c.line == 0) {
        EXPECT_FALSE(flaw) << flaw->line << " " << flaw->what;
        return;
    }
    ASSERT_TRUE(flaw);
    EXPECT_EQ(flaw->line, c.line);
    EXPECT_EQ(flaw->what, c.what);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniFileFlaw,
    testing::Values(
        FlawCase{"Sound", "; head\r\n\r\n[S]\r\n k = v \r\n;c\r\nq=\"a=b\"\r\ncp=\xb3\xf3\xbf\x6b\x6f\r\n[T]\r\ne=\r\n", 0, ""},
        FlawCase{"NoFinalLineBreak", "[S]\nk=v", 0, ""},
        FlawCase{"TabsAreBlanks", "[S]\n\tk\t=\tv\n", 0, ""},
        FlawCase{"NulByte", std::string("[S]\nk=v\nk2=a\0b\n", 15), 3, "holds a NUL byte"},
        FlawCase{"ControlByte", "[S]\nk=\x1b[0m\n", 2, "holds the control byte 27"},
        FlawCase{"CarriageReturnInside", "[S]\nk=a\rb\n", 2, "holds the control byte 13"},
        FlawCase{"TextBeforeTheFirstSection", "Present=1\n[S]\n", 1, "stands before the first section"},
        FlawCase{"HeaderCutShort", "[S]\nk=v\n[Form1", 3, "has no ']' after its section name"},
        FlawCase{"LineWithoutEquals", "[S]\nk=v\n0001\n", 3, "is no key=value line"},
        FlawCase{"ValueWithoutKey", "[S]\n = v\n", 2, "has no key before '='"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, SaveRemovesTheTemporaryFilesOfDeadWritersOnly) {
    test::TempDir dir;
    dir.Write("wirvela.ini", "[A]\nx=1\n");
    dir.Write("wirvela.ini.tmp.99999999", "left by a killed writer");  // beyond any pid
    dir.Write("wirvela.ini.tmp.1", "init is alive");
    dir.Write("other.ini.tmp.99999999", "not ours");
    IniFile ini = IniFile::Load(dir.Path() / "wirvela.ini");
    ini.SetString("A", "x", "2");
    ASSERT_TRUE(ini.Save(dir.Path() / "wirvela.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "wirvela.ini.tmp.99999999"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "wirvela.ini.tmp.1"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "other.ini.tmp.99999999"));
    EXPECT_EQ(dir.Read("wirvela.ini"), "[A]\nx=2\n");
}

}  // namespace
}  // namespace wirvela
