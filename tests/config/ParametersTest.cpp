#include "config/Parameters.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace wirvela {
namespace {

class ParametersTest : public testing::Test {
protected:
    TParameters Load(const std::string& ini, const std::string& names = "") {
        dir.Write("wirvela.ini", ini);
        if (!names.empty()) dir.Write("local.txt", names);
        TParameters p;
        p.Load(dir.Path(), "wirvela.ini", "local.txt");
        return p;
    }
    test::TempDir dir;
};

TEST_F(ParametersTest, NumbersFollowTheDecimalPrefixRuleWithCommas) {
    TParameters p = Load("[Ploter]\nSkalaHPGL=0,025\nBad=abc\nHalf=12abc\nEmpty=\n#SkalaDXF=1\n");
    EXPECT_DOUBLE_EQ(p.GetNumber("Ploter", "SkalaHPGL", 1.0), 0.025);
    EXPECT_EQ(p.GetNumber("Ploter", "Bad", 5), 0);
    EXPECT_EQ(p.GetNumber("Ploter", "Half", 5), 12);
    EXPECT_EQ(p.GetNumber("Ploter", "Empty", 5), 0);
    EXPECT_DOUBLE_EQ(p.GetNumber("Ploter", "SkalaDXF", 0.4), 0.4) << "a # line is not loaded";
    EXPECT_DOUBLE_EQ(p.GetNumber("Ploter", "Missing", 0.1), 0.1);
}

TEST_F(ParametersTest, LookupsAreCaseSensitive) {
    TParameters p = Load("[Ploter]\nSkalaHPGL=2\n");
    EXPECT_EQ(p.GetText("ploter", "SkalaHPGL", "dflt"), "dflt");
    EXPECT_EQ(p.GetText("Ploter", "skalahpgl", "dflt"), "dflt");
    EXPECT_EQ(p.GetText("Ploter", "SkalaHPGL", "dflt"), "2");
}

TEST_F(ParametersTest, SetTextNeverAddsKeys) {
    const std::string ini = "; machine\n[Ploter]\nSkalaHPGL = 0,025\n\n; colours\n[kolory]\ntlo=0\n";
    TParameters p = Load(ini);
    EXPECT_EQ(p.SetText("Ploter", "NewKey", "1"), -1);
    EXPECT_EQ(p.SetText("Nowhere", "SkalaHPGL", "1"), -1);
    ASSERT_TRUE(p.SaveAll());
    EXPECT_EQ(dir.Read("wirvela.ini"), ini) << "an unchanged store rewrites every key with its own value";

    EXPECT_EQ(p.SetText("kolory", "tlo", "255"), 0);
    ASSERT_TRUE(p.SaveAll());
    EXPECT_EQ(dir.Read("wirvela.ini"), "; machine\n[Ploter]\nSkalaHPGL = 0,025\n\n; colours\n[kolory]\ntlo=255\n");
}

TEST_F(ParametersTest, SaveAllReportsAReadOnlyFile) {
    TParameters p = Load("[A]\nx=1\n");
    p.SetText("A", "x", "2");
    ::chmod((dir.Path() / "wirvela.ini").c_str(), 0444);
    std::string why;
    EXPECT_FALSE(p.SaveAll(&why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(dir.Read("wirvela.ini"), "[A]\nx=1\n");
}

TEST_F(ParametersTest, MissingFileGivesAnEmptyStore) {
    TParameters p;
    p.Load(dir.Path(), "wirvela.ini", "local.txt");
    EXPECT_EQ(p.SectionCount(), 0);
    EXPECT_EQ(p.GetNumber("Ploter", "Cone", 3), 3);
    EXPECT_EQ(p.SetText("Ploter", "Cone", "1"), -1);
    EXPECT_TRUE(p.SaveAll());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "wirvela.ini")) << "SaveAll writes nothing";
}

TEST_F(ParametersTest, SectionAndParameterLimits) {
    std::string ini;
    for (int s = 0; s < 150; ++s) {
        ini += "[S" + std::to_string(s) + "]\n";
        for (int k = 0; k < 10; ++k) ini += "k" + std::to_string(k) + "=" + std::to_string(s * 10 + k) + "\n";
    }
    TParameters p = Load(ini);
    EXPECT_EQ(p.SectionCount(), 99);
    EXPECT_EQ(p.ParameterCount(), 990);
    EXPECT_EQ(p.FindSection("S99"), -1);
    EXPECT_TRUE(p.Sections[99].Name.empty());
    EXPECT_EQ(p.Sections[99].First, 990);

    std::string many = "[Big]\n";
    for (int k = 0; k < 1200; ++k) many += "k" + std::to_string(k) + "=1\n";
    many += "[After]\nx=1\n";
    // The section buffer holds 10000 bytes: entries "kNNN=1" fit about 1400 times.
    TParameters q = Load(many);
    EXPECT_EQ(q.ParameterCount(), 1000);
    EXPECT_EQ(q.FindParameter("Big", "k999"), 999);
    EXPECT_EQ(q.FindParameter("Big", "k1000"), -1);
    ASSERT_EQ(q.FindSection("After"), 1) << "a section after the 1000th key is present";
    EXPECT_EQ(q.FindParameter("After", "x"), -1) << "but holds no keys";
}

TEST_F(ParametersTest, SectionContentBeyondItsBufferIsNotSeen) {
    std::string ini = "[A]\n";
    std::string longValue(900, 'v');
    for (int k = 0; k < 20; ++k) ini += "k" + std::to_string(k) + "=" + longValue + "\n";
    TParameters p = Load(ini);
    // Each entry takes 904 or 905 bytes with its NUL: 11 fit into 10000.
    EXPECT_EQ(p.ParameterCount(), 11);
    std::string tooLong = "[A]\nk=" + std::string(1500, 'x') + "\n";
    TParameters q = Load(tooLong);
    EXPECT_EQ(q.GetText("A", "k", "").size(), 997u) << "an entry keeps 999 characters, key and = included";
}

// A value edited by hand to great length fills the section's buffer: the keys after it
// are named, so the program can say so instead of reading their defaults in silence.
TEST_F(ParametersTest, KeysBeyondTheSectionBufferAreNamed) {
    // "SkalaHPGL=1" and "Multiwire=…" take 12 + 9981 bytes with their NULs, plus the final
    // NUL: 9994 of 10000; "mmPerStep=0.01" does not fit any more.
    const std::string ploter = "[Ploter]\nSkalaHPGL=1\nMultiwire=" + std::string(9970, 'w') +
                               "\nmmPerStep=0.01\n#Off=1\nCone=1\n[RSparam]\nVID=1027\n";
    TParameters p = Load(ploter);
    EXPECT_EQ(p.ParameterCount(), 3);
    EXPECT_EQ(p.GetText("Ploter", "mmPerStep", "dflt"), "dflt");
    ASSERT_EQ(p.HiddenSettings().size(), 2u);
    EXPECT_EQ(p.HiddenSettings()[0].section, "Ploter");
    EXPECT_EQ(p.HiddenSettings()[0].key, "mmPerStep");
    EXPECT_EQ(p.HiddenSettings()[0].value, "0.01");
    EXPECT_EQ(p.HiddenSettings()[1].key, "Cone");

    TParameters fitting = Load("[Ploter]\nSkalaHPGL=1\nMultiwire=" + std::string(9900, 'w') + "\nmmPerStep=0.01\n");
    EXPECT_TRUE(fitting.HiddenSettings().empty());
    EXPECT_EQ(fitting.GetText("Ploter", "mmPerStep", "dflt"), "0.01");
}

TEST_F(ParametersTest, DisplayNamesAndHintsComeFromTheNamesFile) {
    TParameters p = Load("[Ploter]\nSkalaHPGL=1\nCone=0\n[RSparam]\nVID=1027\n",
                         "[SectionsNames]\nPloter=Plotter\n"
                         "[ParametersNames]\nSkalaHPGL=HP-GL scale\nCone=Two figures\nVID=Two figures\n"
                         "[ParametersHints]\nSkalaHPGL=line1\\nline2\n");
    EXPECT_EQ(p.HintOf("Ploter", "SkalaHPGL"), "line1 \nline2");
    EXPECT_EQ(p.HintOf("Ploter", "Cone"), "");
    EXPECT_EQ(p.DisplayNameOf("Ploter", "SkalaHPGL"), "HP-GL scale");
    EXPECT_EQ(p.DisplayNameOf("Nope", "SkalaHPGL"), "-1");
    EXPECT_EQ(p.DisplayNameOf("Ploter", "Nope"), "");
    EXPECT_EQ(p.KeyOfDisplayName("Ploter", "Two figures"), "Cone");
    EXPECT_EQ(p.KeyOfDisplayName("RSparam", "Two figures"), "VID") << "keys are looked up within their section";
    EXPECT_EQ(p.KeyOfDisplayName("Nope", "x"), "-1");
    EXPECT_EQ(p.KeyOfDisplayName("Ploter", "x"), "");
    EXPECT_EQ(p.SectionDisplayName("Ploter"), "Plotter");
    EXPECT_EQ(p.SectionDisplayName("RSparam"), "");
    EXPECT_EQ(p.SectionOfDisplayName("Plotter"), "Ploter");
    EXPECT_EQ(p.SectionOfDisplayName("x"), "");
}

TEST_F(ParametersTest, TheSameKeyInTwoSectionsIsTwoParameters) {
    TParameters p = Load("[Ploter]\nSkalaHPGL=0.025\n[Drawings]\nSkalaHPGL=1\n");
    EXPECT_EQ(p.GetNumber("Drawings", "SkalaHPGL", 0), 1);
    EXPECT_EQ(p.SetText("Drawings", "SkalaHPGL", "2"), 0);
    EXPECT_EQ(p.GetText("Ploter", "SkalaHPGL", ""), "0.025");
}

TEST_F(ParametersTest, HugeValueReadAsANumberIsCutAt299Characters) {
    TParameters p = Load("[A]\nv=" + std::string(299, '1') + "5\n");
    EXPECT_DOUBLE_EQ(p.GetNumber("A", "v", 0), std::stod(std::string(299, '1')));
}

// Two writers each change their own key: neither undoes the other's, whichever saves
// last, and a store that changed nothing leaves another writer's change alone.
TEST_F(ParametersTest, SaveAllKeepsWhatAnotherWriterSavedMeanwhile) {
    TParameters gui = Load("[Ploter]\nCone=0\nHold=0\nCzasDrutu=5\n");
    TParameters cli;
    cli.Load(dir.Path(), "wirvela.ini", "local.txt");
    cli.SetText("Ploter", "Cone", "1");
    ASSERT_TRUE(cli.SaveAll());
    gui.SetText("Ploter", "CzasDrutu", "6");
    ASSERT_TRUE(gui.SaveAll());
    EXPECT_EQ(dir.Read("wirvela.ini"), "[Ploter]\nCone=1\nHold=0\nCzasDrutu=6\n");

    std::filesystem::remove(dir.Path() / "wirvela.ini");
    ASSERT_TRUE(gui.SaveAll());
    EXPECT_EQ(dir.Read("wirvela.ini"), "[Ploter]\nCone=0\nHold=0\nCzasDrutu=6\n")
        << "a file that lost its keys gets every one back";
}

TEST_F(ParametersTest, ConcurrentWritersLoseNoUpdate) {
    Load("[Ploter]\nk0=0\nk1=0\nk2=0\nk3=0\n");
    constexpr int kWriters = 4;
    constexpr int kRounds = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([this, w] {
            for (int round = 1; round <= kRounds; ++round) {
                TParameters p;
                p.Load(dir.Path(), "wirvela.ini", "local.txt");
                p.SetText("Ploter", "k" + std::to_string(w), std::to_string(round));
                EXPECT_TRUE(p.SaveAll());
            }
        });
    }
    for (std::thread& t : writers) t.join();
    TParameters p;
    p.Load(dir.Path(), "wirvela.ini", "local.txt");
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(p.GetText("Ploter", "k" + std::to_string(w), ""), std::to_string(kRounds));
}

}  // namespace
}  // namespace wirvela
