// The domain check of setting values: what `param set`, the parameter editor and a run
// refuse, and that every value the program ships passes it.
#include "config/SettingCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Parameters.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

struct ValueCase {
    const char* section;
    const char* key;
    std::string value;
    const char* refusal;  // empty: accepted
};

class SettingValue : public testing::TestWithParam<ValueCase> {};

TEST_P(SettingValue, IsAcceptedOrRefusedWithItsReason) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(settings::Refusal(c.section, c.key, c.value), c.refusal) << c.key << '=' << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Domains, SettingValue,
    testing::Values(ValueCase{"Ploter", "mmPerStep", "0.0125", ""}, ValueCase{"Ploter", "mmPerStep", "0,025", ""},
                    ValueCase{"Ploter", "mmPerStep", " 0.01 ", ""},
                    ValueCase{"Ploter", "mmPerStep", "0", "must be above 0"},
                    ValueCase{"Ploter", "mmPerStep", "", "must be above 0"},
                    ValueCase{"Ploter", "mmPerStep", "-1", "must be above 0"},
                    ValueCase{"Ploter", "mmPerStep", "abc", "is not a number"},
                    ValueCase{"Ploter", "mmPerStep", "nan", "is not a number"},
                    ValueCase{"Ploter", "mmPerStep", "inf", "is not a number"},
                    ValueCase{"Ploter", "mmPerStep", "12abc", "is not a number"},
                    ValueCase{"Ploter", "mmPerStep", "1e999", "is not a finite number"},
                    ValueCase{"Ploter", "SkalaHPGL", "-0.025", "must be above 0"},
                    ValueCase{"Ploter", "DefRotVelocity", "1.5", "is not a whole number"},
                    ValueCase{"Ploter", "DefRotVelocity", "70000", "must be between 0 and 65535"},
                    ValueCase{"Ploter", "Cone", "2", "must be 0 or 1"}, ValueCase{"Ploter", "Cone", "", ""},
                    ValueCase{"Ploter", "CzasDrutu", "-5", "must be at least 0"},
                    ValueCase{"Ploter", "Multiwire", "anything", ""},
                    ValueCase{"Material3", "V", "0", "must be above 0"}, ValueCase{"Material3", "V", "12", ""},
                    ValueCase{"Material10", "T", "101", "must be between 0 and 100"},
                    ValueCase{"Material11", "V", "0", ""},  // no such material: no domain
                    ValueCase{"Ploter", "NoSuchKey", "abc", ""},
                    ValueCase{"Ploter", "mmPerStep", "0." + std::string(300, '1'), "is longer than 299 characters"},
                    ValueCase{"Ploter", "Multiwire", std::string(990, 'N'), "is longer than 989 characters"},
                    ValueCase{"Ploter", "Multiwire", std::string(989, 'N'), ""}));

TEST(SettingCheck, FirstProblemNamesTheKeyAndValue) {
    test::TempDir dir;
    dir.Write("wirvela.ini", "[Ploter]\nSkalaHPGL=0.025\nmmPerStep=abc\nStepsPer360=-1\n[Material2]\nV=0\n");
    TParameters p;
    p.Load(dir.Path(), "wirvela.ini", "local.txt");
    const auto ploter = settings::FirstProblem(p, "Ploter");
    ASSERT_TRUE(ploter);
    EXPECT_EQ(ploter->Text(), "[Ploter] mmPerStep=abc: is not a number");
    const auto material = settings::FirstProblem(p, "Material2");
    ASSERT_TRUE(material);
    EXPECT_EQ(material->Text(), "[Material2] V=0: must be above 0");
    EXPECT_FALSE(settings::FirstProblem(p, "Material1"));
}

// A key the store could not hold would be read with its default: a run that reads it is
// refused, one whose hidden keys the program does not know is not.
TEST(SettingCheck, AKeyBeyondTheSectionBufferIsAProblemWhenTheProgramReadsIt) {
    test::TempDir dir;
    const std::string filler = "Multiwire=" + std::string(9980, 'w') + "\n";
    dir.Write("wirvela.ini", "[Ploter]\n" + filler + "mmPerStep=0.01\nCone=1\n[Material1]\n" + filler + "Unknown=1\n");
    TParameters p;
    p.Load(dir.Path(), "wirvela.ini", "local.txt");
    const auto ploter = settings::FirstProblem(p, "Ploter");
    ASSERT_TRUE(ploter);
    EXPECT_EQ(ploter->Text(),
              "[Ploter] mmPerStep=0.01: lies beyond the 10000 bytes the program reads of its section, so its "
              "default would be used");
    EXPECT_FALSE(settings::FirstProblem(p, "Material1"));
    EXPECT_EQ(settings::HiddenSettingWarnings(p),
              (std::vector<std::string>{
                  "[Ploter]: the keys mmPerStep, Cone are not read: the entries before them fill the 10000 bytes the "
                  "program reads of a section (a value there is too long)",
                  "[Material1]: the key Unknown is not read: the entries before it fill the 10000 bytes the program "
                  "reads of a section (a value there is too long)"}));
}

TEST(SettingCheck, EveryShippedValueIsInItsDomain) {
    TParameters p;
    p.Load(test::ShippedDataDir(), "wirvela.ini", "local.txt");
    ASSERT_GT(p.SectionCount(), 0);
    for (int s = 0; s < p.SectionCount(); ++s) {
        const std::string& section = p.Sections[static_cast<std::size_t>(s)].Name;
        const auto problem = settings::FirstProblem(p, section);
        EXPECT_FALSE(problem) << problem->Text();
    }
}

}  // namespace
}  // namespace wirvela
