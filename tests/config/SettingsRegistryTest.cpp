// The settings registry: every descriptor is complete and consistent, no key is there
// twice, it matches the shipped wirvela.ini key for key, and reads through it get the
// key's own default or the named second one.
#include "config/Settings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/Parameters.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

std::string Name(const SettingKey& key) {
    return "[" + std::string(key.section) + "] " + std::string(key.key);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsWhole(double v) {
    return std::trunc(v) == v;
}

void ExpectValueOfKey(const SettingKey& key, double v, const char* what) {
    EXPECT_TRUE(key.limits.Contains(v)) << what << " " << v << " outside the key's limits";
    if (key.type == SettingType::Integer || key.type == SettingType::Flag) {
        EXPECT_TRUE(IsWhole(v)) << what << " " << v << " of an integer key";
    }
}

TEST(SettingsRegistry, EveryDescriptorIsCompleteWithDefaultsWithinItsLimits) {
    ASSERT_FALSE(settings::All().empty());
    for (const SettingKey* key : settings::All()) {
        SCOPED_TRACE(Name(*key));
        EXPECT_FALSE(key->section.empty());
        EXPECT_FALSE(key->key.empty());
        // The store cuts an entry at its first '='; a '#' in front switches a line off.
        EXPECT_EQ(key->key.find('='), std::string_view::npos);
        EXPECT_NE(key->key.front(), '#');
        EXPECT_LE(key->limits.lower, key->limits.upper);
        if (key->type == SettingType::Text) {
            EXPECT_EQ(key->def.number, 0.0) << "a text key's default is its text";
        } else {
            EXPECT_TRUE(key->def.text.empty()) << "a number key's default is its number";
            ExpectValueOfKey(*key, key->def.number, "default");
        }
        if (key->HasSecondDefault()) {
            EXPECT_FALSE(key->def.where.empty()) << "both defaults say where they apply";
            EXPECT_NE(key->def.where, key->second.where);
            if (key->type != SettingType::Text) ExpectValueOfKey(*key, key->second.number, "second default");
        } else {
            EXPECT_TRUE(key->def.where.empty()) << "a key's only default applies everywhere";
        }
    }
}

// The platform's INI reader compares names without regard to case, so two keys that
// differ only in case would be one key of the file.
TEST(SettingsRegistry, NoKeyIsRegisteredTwice) {
    std::set<std::pair<std::string, std::string>> seen;
    for (const SettingKey* key : settings::All()) {
        for (const std::string& section : settings::SectionsOf(*key)) {
            EXPECT_TRUE(seen.insert({Lower(section), Lower(key->key)}).second)
                << "[" << section << "] " << key->key << " registered twice";
        }
    }
}

TEST(SettingsRegistry, MatchesTheShippedSettingsFileKeyForKey) {
    TParameters shipped;
    shipped.Load(test::ShippedDataDir(), "wirvela.ini", "local.txt");

    std::set<std::pair<std::string, std::string>> registered;
    for (const SettingKey* key : settings::All()) {
        for (const std::string& section : settings::SectionsOf(*key)) {
            SCOPED_TRACE("[" + section + "] " + std::string(key->key));
            registered.insert({section, std::string(key->key)});
            ASSERT_GE(shipped.FindParameter(section, key->key), 0) << "missing from the shipped wirvela.ini";
            if (key->type != SettingType::Text) ExpectValueOfKey(*key, shipped.GetNumber(section, *key), "shipped");
        }
    }

    for (int s = 0; s < shipped.SectionCount(); ++s) {
        const std::string& section = shipped.Sections[static_cast<std::size_t>(s)].Name;
        for (int i = shipped.Sections[static_cast<std::size_t>(s)].First; i < shipped.SectionEnd(s); ++i) {
            EXPECT_TRUE(registered.count({section, shipped.Params(i).Key}))
                << "[" << section << "] " << shipped.Params(i).Key << " is in the shipped file but not registered";
        }
    }
}

class SettingsReadTest : public testing::Test {
protected:
    TParameters Load(const std::string& ini) {
        dir.Write("wirvela.ini", ini);
        TParameters p;
        p.Load(dir.Path(), "wirvela.ini", "local.txt");
        return p;
    }
    test::TempDir dir;
};

TEST_F(SettingsReadTest, AMissingKeyReadsTheDefaultOfItsPlace) {
    const TParameters p = Load("[Ploter]\nmmPerStep=0,0125\n");
    EXPECT_DOUBLE_EQ(p.GetNumber(settings::kMmPerStep), 0.0125) << "a key the file holds reads as it stands";

    struct Case {
        const SettingKey& key;
        const SettingDefault& site;
        double expected;
    };
    const Case cases[] = {
        {settings::kMaxDlugDrutu, settings::kMaxDlugDrutuForWearCheck, 600},
        {settings::kMaxDlugDrutu, settings::kMaxDlugDrutuShown, 100},
        {settings::kStepsPer360, settings::kStepsPer360ForMachine, 100},
        {settings::kStepsPer360, settings::kStepsPer360ForTurn, 1000},
        {settings::kSkalaHPGL, settings::kSkalaHPGLForDrawings, 0.025},
        {settings::kSkalaHPGL, settings::kSkalaHPGLForMotion, 1.0},
        {settings::kDrawingsSkalaHPGL, settings::kDrawingsSkalaHPGLForReadout, 0.025},
        {settings::kDrawingsSkalaHPGL, settings::kDrawingsSkalaHPGLForPainter, 1.0},
        {settings::kVxyManMax, settings::kVxyManMaxForManualBar, 4000},
        {settings::kObiekty, settings::kColourForPainters, 0},
        {settings::kObiekty, settings::kColoursDialogBlue, 16711680},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.key) + " for " + std::string(c.site.where));
        EXPECT_DOUBLE_EQ(p.GetNumber(c.key, c.site), c.expected);
    }
    EXPECT_DOUBLE_EQ(p.GetNumber(settings::kMaxDlugDrutu), 600) << "without a place: the key's own default";
    EXPECT_EQ(p.GetText(settings::kCOM), "COM1");
    EXPECT_EQ(p.GetText(settings::kCOM, settings::kCOMForLinkFailure), "?");
    EXPECT_FALSE(p.GetFlag(settings::kCone));
    EXPECT_TRUE(p.GetFlag(settings::kSnapToLine2nd));
}

TEST_F(SettingsReadTest, MaterialKeysAreReadAndWrittenInTheirOwnSection) {
    TParameters p = Load("[Material]\nOstatni=2\n[Material3]\nNazwa=XPS\nV=22\n[Material4]\nNazwa=EPS\n");
    EXPECT_EQ(settings::MaterialSection(3), "Material3");
    EXPECT_EQ(p.GetText(settings::MaterialSection(3), settings::kMaterialNazwa), "XPS");
    EXPECT_EQ(p.GetNumber(settings::MaterialSection(3), settings::kMaterialV), 22);
    EXPECT_EQ(p.GetNumber(settings::MaterialSection(4), settings::kMaterialV), 50) << "the material default";
    EXPECT_EQ(p.GetNumber(settings::kOstatni), 2);

    EXPECT_EQ(p.SetText(settings::MaterialSection(4), settings::kMaterialNazwa, "EPP"), 0);
    EXPECT_EQ(p.SetText(settings::MaterialSection(4), settings::kMaterialV, "14"), -1) << "the store adds no key";
    EXPECT_EQ(p.GetText("Material4", "Nazwa", ""), "EPP");
    EXPECT_EQ(p.GetText("Material3", "Nazwa", ""), "XPS");
}

}  // namespace
}  // namespace wirvela
