#include "config/Messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "config/UsedMessages.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::TempDir;

// Records every call in order, one text per call.
class FakeWindow : public LocalisableWindow {
public:
    explicit FakeWindow(std::string name) : name_(std::move(name)) {}

    std::string_view FormName() const override { return name_; }
    void SetTitle(std::string_view text) override { Add("title", "", text); }
    void SetFontCharset(int charset) override { Add("charset", "", std::to_string(charset)); }
    void SetControlCaption(std::string_view control, std::string_view text) override {
        Add("caption", control, text);
    }
    void SetControlFontCharset(std::string_view control, int charset) override {
        Add("charset", control, std::to_string(charset));
    }
    void SetControlHint(std::string_view control, std::string_view text) override {
        Add("hint", control, text);
    }
    void SetControlFilter(std::string_view control, std::string_view filter) override {
        Add("filter", control, filter);
    }

    std::vector<std::string> calls;

private:
    void Add(std::string_view what, std::string_view control, std::string_view text) {
        calls.push_back(std::string(what) + " " + std::string(control) + "=" + std::string(text));
    }
    std::string name_;
};

class MessagesTest : public ::testing::Test {
protected:
    // Writes local.txt, checks it and loads the table.
    bool Load(const std::string& content) {
        dir.Write("local.txt", content);
        const bool present = messages.CheckLocalFile(dir.Path());
        messages.LoadMessages();
        return present;
    }

    TempDir dir;
    TMessages messages;
};

struct PresenceCase {
    const char* name;
    const char* content;  // nullptr: no file at all
    bool present;
};

class PresenceTest : public ::testing::TestWithParam<PresenceCase> {};

// A file that is not marked present must supply nothing: no title, no messages, no
// window texts.
TEST_P(PresenceTest, OnlyNonZeroPresentKeyMakesTheFileCount) {
    const PresenceCase& c = GetParam();
    TempDir dir;
    const std::string strings = "[Strings]\n00000=Title from file\n00007=seven\n[Form1]\nCaption=Main\n";
    if (c.content) dir.Write("local.txt", std::string(c.content) + strings);
    TMessages messages;
    EXPECT_EQ(messages.CheckLocalFile(dir.Path()), c.present);
    EXPECT_EQ(messages.Present(), c.present);
    EXPECT_EQ(messages.FilePath(), dir.Path() / "local.txt");
    messages.LoadMessages();
    FakeWindow window("Form1");
    messages.LocaliseForm(window, {});
    if (c.present) {
        EXPECT_EQ(messages.MessageText(7), "seven");
        EXPECT_EQ(messages.ApplicationTitle(), "Title from file");
        EXPECT_FALSE(window.calls.empty());
    } else {
        EXPECT_EQ(messages.MessageText(7), TMessages::kUnknownString);
        EXPECT_EQ(messages.ApplicationTitle(), "Ploter termiczny");
        EXPECT_TRUE(window.calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PresenceTest,
    ::testing::Values(PresenceCase{"One", "[Present]\nPresent=1\n", true},
                      PresenceCase{"Seven", "[present]\nPRESENT= 7 languages\n", true},
                      PresenceCase{"Zero", "[Present]\nPresent=0\n", false},
                      PresenceCase{"NotANumber", "[Present]\nPresent=yes\n", false},
                      PresenceCase{"KeyMissing", "[Present]\nOther=1\n", false},
                      PresenceCase{"SectionMissing", "", false},
                      PresenceCase{"NoFile", nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessagesTest, AbsentKeysGiveTheUnknownText) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Strings]\n00007=seven\n00012=???#\n00013=???#x\n5=five\n"));
    EXPECT_EQ(messages.MessageText(5), "!!! Unknown string !!!");  // key is "00005", not "5"
    EXPECT_EQ(messages.MessageText(7), "seven");
    EXPECT_EQ(messages.MessageText(12), "!!! Unknown string !!!");
    EXPECT_EQ(messages.MessageText(13), "???#x");
    EXPECT_EQ(messages.MessageText(-1), "!!! Unknown string !!!");
    EXPECT_EQ(messages.MessageText(2000), "!!! Unknown string !!!");
    EXPECT_EQ(messages.Count(), 2);
    // No key 0: the built-in title stays.
    EXPECT_EQ(messages.ApplicationTitle(), "Ploter termiczny");
}

TEST_F(MessagesTest, WholeKeyRangeIsReadAndKeyZeroIsTheTitle) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Strings]\n00000=Hot wire\\tcutter\n01999=last\n02000=beyond\n"));
    EXPECT_EQ(messages.ApplicationTitle(), "Hot wire\tcutter");
    EXPECT_EQ(messages.MessageText(0), "Hot wire\tcutter");
    EXPECT_EQ(messages.MessageText(1999), "last");
    EXPECT_EQ(messages.Count(), 2);
}

TEST_F(MessagesTest, LongMessageIsCutTo899Characters) {
    const std::string text(1200, 'x');
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Strings]\n00100=" + text + "\n"));
    EXPECT_EQ(messages.MessageText(100), std::string(899, 'x'));
}

TEST_F(MessagesTest, FreeMessagesForgetsEveryText) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Strings]\n00000=Title\n00001=one\n"));
    messages.FreeMessages();
    EXPECT_EQ(messages.MessageText(1), "!!! Unknown string !!!");
    EXPECT_EQ(messages.Count(), 0);
}

struct UnescapeCase {
    const char* file;      // as written in local.txt
    const char* expected;  // as shown
};

class UnescapeTest : public ::testing::TestWithParam<UnescapeCase> {};

TEST_P(UnescapeTest, BackslashLettersBecomeControlCharacters) {
    TempDir dir;
    dir.Write("local.txt", std::string("[Present]\nPresent=1\n[Strings]\n00003=") + GetParam().file + "\n");
    TMessages messages;
    ASSERT_TRUE(messages.CheckLocalFile(dir.Path()));
    messages.LoadMessages();
    EXPECT_EQ(messages.MessageText(3), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, UnescapeTest,
                         ::testing::Values(UnescapeCase{R"(a\nb\tc)", "a\nb\tc"},
                                           UnescapeCase{R"(\\n)", "\\\n"},  // backslash, then \n
                                           UnescapeCase{R"(\n\n)", "\n\n"},
                                           UnescapeCase{R"(\N\x\)", R"(\N\x\)"},
                                           UnescapeCase{R"(%d%% done\t)", "%d%% done\t"}));

class LocaliseTest : public MessagesTest {
protected:
    static constexpr LocalisedControl kControls[] = {
        {"Button1", LocalisedText::Caption},
        {"SpeedButton2", LocalisedText::Hint},
        {"OpenDialog1", LocalisedText::Filter},
        {"Label9", LocalisedText::Caption},
    };
};

TEST_F(LocaliseTest, AppliesCharsetTitleAndControlsInListOrder) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Main]\nCharsetCode=238 (central European)\n"
                     "[Form3]\nCaption=Cutting\nbutton1.C=Start\\n\nSpeedButton2.h=Stop now\n"
                     "OpenDialog1.f=Drawings|*.plt;*.dxf\nSpeedButton2.c=not listed\n"));
    FakeWindow window("Form3");
    messages.LocaliseForm(window, kControls);
    const std::vector<std::string> expected = {
        "charset =238",
        "title =Cutting",
        "caption Button1=Start\\n",  // window texts are used as they stand
        "charset Button1=238",
        "hint SpeedButton2=Stop now",
        "filter OpenDialog1=Drawings|*.plt;*.dxf",
        "caption Label9=Text ?!",
        "charset Label9=238",
    };
    EXPECT_EQ(window.calls, expected);
}

TEST_F(LocaliseTest, MissingCharsetAndCaptionGiveAnsiAndPlaceholder) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Form7]\nLabel9.c=Speed\n"));
    FakeWindow window("Form7");
    messages.LocaliseForm(window, std::span(kControls).last(1));
    const std::vector<std::string> expected = {
        "charset =0",
        "title =Text ?!",
        "caption Label9=Speed",
        "charset Label9=0",
    };
    EXPECT_EQ(window.calls, expected);
}

TEST_F(LocaliseTest, LongWindowTextIsCutTo989Characters) {
    ASSERT_TRUE(Load("[Present]\nPresent=1\n[Form2]\nCaption=" + std::string(1500, 'w') + "\n"));
    FakeWindow window("Form2");
    messages.LocaliseForm(window, {});
    ASSERT_EQ(window.calls.size(), 2u);
    EXPECT_EQ(window.calls[1], "title =" + std::string(989, 'w'));
}

// ---------------------------------------------------------------------------------------
// The start-up check of the file

// "[Strings]" and the first `count` messages the program shows (all when count is -1),
// each on its own line.
std::string Strings(int count = -1) {
    std::string text = "[Strings]\n";
    for (const UsedMessage& m : UsedMessages()) {
        if (count-- == 0) break;
        char line[32];
        std::snprintf(line, sizeof line, "%05d=text %d\n", m.key, m.key);
        text += line;
    }
    return text;
}

const std::string kHead = "[Present]\nPresent=1\n";

enum class Setting { File, NoFile, Folder };

struct FileCheckCase {
    const char* name;
    std::string content;
    LocalFileCheck::State state;
    std::size_t line;
    const char* what;  // the start of the check's text
    Setting setting = Setting::File;
};

class FileCheckTest : public ::testing::TestWithParam<FileCheckCase> {};

TEST_P(FileCheckTest, SaysWhatIsWrongAndWhere) {
    const FileCheckCase& c = GetParam();
    TempDir dir;
    if (c.setting == Setting::File) dir.Write("local.txt", c.content);
    if (c.setting == Setting::Folder) std::filesystem::create_directory(dir.Path() / "local.txt");
    TMessages messages;
    messages.CheckLocalFile(dir.Path());
    const LocalFileCheck& check = messages.FileCheck();
    EXPECT_EQ(check.state, c.state) << check.what;
    EXPECT_EQ(check.line, c.line) << check.what;
    EXPECT_EQ(check.what.rfind(c.what, 0), 0u) << check.what;

    const std::string warning = messages.LocalFileWarning();
    const bool warned = c.state != LocalFileCheck::State::Sound && c.state != LocalFileCheck::State::Missing;
    EXPECT_EQ(warning.empty(), !warned) << warning;
    if (warned) {
        EXPECT_EQ(warning.rfind((dir.Path() / "local.txt").string(), 0), 0u) << warning;
        EXPECT_NE(warning.find(check.what), std::string::npos) << warning;
        if (c.line > 0) {
            EXPECT_NE(warning.find("line " + std::to_string(c.line) + " "), std::string::npos) << warning;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileCheckTest,
    ::testing::Values(
        FileCheckCase{"EveryMessage", kHead + Strings(), LocalFileCheck::State::Sound, 0, ""},
        FileCheckCase{"MarkedAbsent", "[Present]\nPresent=0\n", LocalFileCheck::State::Sound, 0, ""},
        FileCheckCase{"NoFile", "", LocalFileCheck::State::Missing, 0, "is missing", Setting::NoFile},
        FileCheckCase{"Folder", "", LocalFileCheck::State::Unreadable, 0, "is a folder", Setting::Folder},
        FileCheckCase{"NulBytes", kHead + std::string("[Main]\nCharsetCode=0\0\0\0\n", 24) + Strings(),
                      LocalFileCheck::State::Garbled, 4, "holds a NUL byte"},
        FileCheckCase{"Binary", "\x7f" "ELF\x02\x01\x01\n[Present]\nPresent=1\n", LocalFileCheck::State::Garbled, 1,
                      "holds the control byte 127"},
        FileCheckCase{"NumberWithoutText", kHead + "[Strings]\n00000 Title\n", LocalFileCheck::State::Garbled, 4,
                      "is no key=value line"},
        // Cut short inside a key, and inside a text.
        FileCheckCase{"CutInAKey", kHead + Strings(10) + "0012", LocalFileCheck::State::Garbled, 14,
                      "is no key=value line"},
        FileCheckCase{"CutInAText", kHead + Strings(10) + "00120=The dr", LocalFileCheck::State::Incomplete, 0,
                      "lacks "},
        FileCheckCase{"NoneOfTheMessages", kHead + "[Form1]\nCaption=Main\n", LocalFileCheck::State::Garbled, 0,
                      "holds none of the messages"},
        FileCheckCase{"Empty", "", LocalFileCheck::State::Garbled, 0, "holds no section"}),
    [](const auto& info) { return std::string(info.param.name); });

// What could be read of a damaged file marked present is still better than no texts.
TEST_F(MessagesTest, ADamagedFileMarkedPresentGivesWhatCouldBeRead) {
    ASSERT_TRUE(Load(kHead + "[Strings]\n00007=seven\n00008 eight\n"));
    EXPECT_EQ(messages.FileCheck().state, LocalFileCheck::State::Garbled);
    EXPECT_EQ(messages.FileCheck().line, 5u);
    EXPECT_EQ(messages.MessageText(7), "seven");
    EXPECT_NE(messages.LocalFileWarning().find("the texts that could be read are used"), std::string::npos);
}

}  // namespace
}  // namespace wirvela
