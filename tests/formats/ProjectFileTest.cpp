#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "config/Messages.h"
#include "formats/ProjectFile.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

namespace fs = std::filesystem;

// Fields unlike the dialog's defaults in every member, so a field the reader leaves
// alone or the writer drops shows.
MultiplicationTexts Held() {
    MultiplicationTexts t;
    t.byCount = false;
    t.columns = "7";
    t.rows = "8";
    t.width = "1200";
    t.height = "640.5";
    t.gapX = "2.5";
    t.gapY = "3";
    t.multiwire = true;
    t.lineOffset = "4";
    t.lineLength = "900";
    t.wireDistance = "150";
    t.spineOnTop = false;
    return t;
}

void ExpectSame(const MultiplicationTexts& a, const MultiplicationTexts& b) {
    EXPECT_EQ(a.byCount, b.byCount);
    EXPECT_EQ(a.columns, b.columns);
    EXPECT_EQ(a.rows, b.rows);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.gapX, b.gapX);
    EXPECT_EQ(a.gapY, b.gapY);
    EXPECT_EQ(a.multiwire, b.multiwire);
    EXPECT_EQ(a.lineOffset, b.lineOffset);
    EXPECT_EQ(a.lineLength, b.lineLength);
    EXPECT_EQ(a.wireDistance, b.wireDistance);
    EXPECT_EQ(a.spineOnTop, b.spineOnTop);
}

class ProjectFileTest : public testing::Test {
protected:
    void SetUp() override { dir.Write("part.plt", "IN;PU0,0;PD100,0,100,100;"); }

    ProjectRead Read(const std::string& text, const MultiplicationTexts& current = {}) {
        return ReadProject(dir.Write("job.con", text), current);
    }

    test::TempDir dir;
};

TEST_F(ProjectFileTest, WrittenProjectReadsBackEveryField) {
    MultiplicationTexts bySize = Held();
    MultiplicationTexts byCount = Held();
    byCount.byCount = true;
    byCount.multiwire = false;
    // Values the reader would trim or unquote come back as typed.
    MultiplicationTexts odd = byCount;
    odd.columns = "'3'";
    odd.gapX = " 2 ";
    odd.gapY = "\"\"";
    for (const MultiplicationTexts& written : {bySize, byCount, odd}) {
        std::string error;
        ASSERT_TRUE(WriteProject(dir.Path() / "job.con", "part.plt", written, &error)) << error;
        // Read into the defaults: what the project does not hold stays as the dialog had it.
        MultiplicationTexts expected = written;
        const MultiplicationTexts defaults;
        if (written.byCount) {
            expected.width = defaults.width;
            expected.height = defaults.height;
        } else {
            expected.columns = defaults.columns;
            expected.rows = defaults.rows;
        }
        if (!written.multiwire) {
            expected.lineOffset = defaults.lineOffset;
            expected.lineLength = defaults.lineLength;
            expected.wireDistance = defaults.wireDistance;
            expected.spineOnTop = defaults.spineOnTop;
        }
        const ProjectRead read = ReadProject(dir.Path() / "job.con", defaults);
        ASSERT_TRUE(read.Ok()) << read.value;
        EXPECT_TRUE(read.multiply);
        EXPECT_EQ(read.drawing, dir.Path() / "part.plt");
        ExpectSame(read.fields, expected);
    }
}

TEST_F(ProjectFileTest, KeysAreWrittenInTheirFixedOrder) {
    ASSERT_TRUE(WriteProject(dir.Path() / "a.con", "part.plt", Held()));
    EXPECT_EQ(dir.Read("a.con"),
              "[CON_design]\nFile1=part.plt\n\n[Duplicate]\nDuplicate=1\nObj=0\nWidth=1200\nHeight=640.5\n"
              "SpaceV=2.5\nSpaceH=3\nMultiwire=1\nLineOffset=4\nLineLength=900\nDistWires=150\n"
              "TopLeftEntryLine=0\n");
    ASSERT_TRUE(WriteProject(dir.Path() / "b.con", "part.plt", std::nullopt));
    EXPECT_EQ(dir.Read("b.con"), "[CON_design]\nFile1=part.plt\n");
}

TEST_F(ProjectFileTest, ActiveSectionAsksForTheMultiplicationItHolds) {
    const ProjectRead read =
        Read("[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=2\nObjH=3\n", Held());
    ASSERT_TRUE(read.Ok());
    EXPECT_TRUE(read.multiply);
    EXPECT_TRUE(read.fields.byCount);
    EXPECT_EQ(read.fields.columns, "2");
    EXPECT_EQ(read.fields.rows, "3");
    // Keys the section leaves out read as "0"; the size fields stay as they were.
    EXPECT_EQ(read.fields.gapX, "0");
    EXPECT_EQ(read.fields.gapY, "0");
    EXPECT_EQ(read.fields.width, "1200");
    EXPECT_FALSE(read.fields.multiwire);
}

TEST_F(ProjectFileTest, MultiwireZeroUnchecksMultiWireAndKeepsItsFields) {
    const ProjectRead read =
        Read("[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\nObj=1\nMultiwire=0\nLineOffset=9\n", Held());
    ASSERT_TRUE(read.Ok());
    EXPECT_FALSE(read.fields.multiwire);
    EXPECT_EQ(read.fields.lineOffset, "4");
    EXPECT_EQ(read.fields.wireDistance, "150");
    EXPECT_FALSE(read.fields.spineOnTop);
}

TEST_F(ProjectFileTest, DuplicateIsActiveExactlyForANonZeroIntegerPrefix) {
    const struct {
        const char* section;
        bool multiply;
    } cases[] = {
        {"", false}, {"[Duplicate]\nObj=1\n", false}, {"[Duplicate]\nDuplicate=0\n", false},
        {"[Duplicate]\nDuplicate=yes\n", false}, {"[Duplicate]\nDuplicate=-1\n", true},
        {"[Duplicate]\nDuplicate=2x\n", true},   {"[duplicate]\nDUPLICATE= 1\n", true},
    };
    for (const auto& c : cases) {
        const ProjectRead read = Read(std::string("[CON_design]\nFile1=part.plt\n") + c.section, Held());
        ASSERT_TRUE(read.Ok()) << c.section;
        EXPECT_EQ(read.multiply, c.multiply) << c.section;
        if (!c.multiply) ExpectSame(read.fields, Held());
    }
}

TEST_F(ProjectFileTest, ValuesAreCutToTheReadBuffer) {
    const ProjectRead read =
        Read("[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=" + std::string(400, '5') + "\n");
    EXPECT_EQ(read.fields.columns, std::string(289, '5'));
}

TEST_F(ProjectFileTest, DrawingOutsideTheProjectsFolderOrMissingIsRefusedByName) {
    fs::create_directory(dir.Path() / "sub");
    dir.Write("sub/inner.plt", "IN;PU0,0;PD1,1;");
    TMessages messages;
    dir.Write("local.txt",
                                     "[Present]\nPresent=1\n[Strings]\n00620=Project %s unreadable: %s\n"
                                     "00621=Project %s has no drawing\n00622=Project %s: \"%s\" not beside\n"
                                     "00623=Drawing %s of %s: %s\n");
    messages.CheckLocalFile(dir.Path());
    messages.LoadMessages();
    const std::string project = (dir.Path() / "job.con").string();
    const struct {
        const char* text;
        ProjectError error;
        std::string message;
    } cases[] = {
        {"[CON_design]\n", ProjectError::NoDrawing, "Project " + project + " has no drawing"},
        {"[CON_design]\nFile1=\n", ProjectError::NoDrawing, "Project " + project + " has no drawing"},
        {"[Other]\nFile1=part.plt\n", ProjectError::NoDrawing, "Project " + project + " has no drawing"},
        {"[CON_design]\nFile1=/etc/passwd\n", ProjectError::DrawingNotBeside,
         "Project " + project + ": \"/etc/passwd\" not beside"},
        {"[CON_design]\nFile1=../part.plt\n", ProjectError::DrawingNotBeside,
         "Project " + project + ": \"../part.plt\" not beside"},
        {"[CON_design]\nFile1=..\n", ProjectError::DrawingNotBeside, "Project " + project + ": \"..\" not beside"},
        {"[CON_design]\nFile1=sub/inner.plt\n", ProjectError::DrawingNotBeside,
         "Project " + project + ": \"sub/inner.plt\" not beside"},
        {"[CON_design]\nFile1=C:\\cut\\part.plt\n", ProjectError::DrawingNotBeside,
         "Project " + project + ": \"C:\\cut\\part.plt\" not beside"},
        {"[CON_design]\nFile1=sub\n", ProjectError::DrawingMissing,
         "Drawing sub of " + project + ": a folder, not a file"},
        {"[CON_design]\nFile1=gone.plt\n", ProjectError::DrawingMissing,
         "Drawing gone.plt of " + project + ": not found"},
    };
    for (const auto& c : cases) {
        const ProjectRead read = Read(std::string(c.text) + "[Duplicate]\nDuplicate=1\nObj=1\nObjV=9\n", Held());
        EXPECT_EQ(read.error, c.error) << c.text;
        EXPECT_FALSE(read.multiply) << c.text;
        EXPECT_EQ(read.fields.columns, "7") << c.text;
        EXPECT_EQ(ProjectErrorText(messages, dir.Path() / "job.con", read), c.message);
    }
    EXPECT_EQ(ProjectErrorText(messages, dir.Path() / "none.con", ReadProject(dir.Path() / "none.con", {})),
              "Project " + (dir.Path() / "none.con").string() + " unreadable: not found");
    ASSERT_EQ(mkfifo((dir.Path() / "pipe.con").c_str(), 0600), 0);
    EXPECT_EQ(ReadProject(dir.Path() / "pipe.con", {}).value, "not a regular file") << "read without blocking";
}

TEST_F(ProjectFileTest, LinkLeadingOutOfTheFolderIsRefused) {
    test::TempDir elsewhere;
    const fs::path secret = elsewhere.Write("secret.plt", "IN;PU0,0;PD1,1;");
    fs::create_symlink(secret, dir.Path() / "link.plt");
    EXPECT_EQ(Read("[CON_design]\nFile1=link.plt\n").error, ProjectError::DrawingNotBeside);
    fs::create_symlink(dir.Path() / "part.plt", dir.Path() / "near.plt");
    EXPECT_TRUE(Read("[CON_design]\nFile1=near.plt\n").Ok());
}

TEST_F(ProjectFileTest, HostileProjectsAreReadWithoutHarm) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    std::string repeated;
    for (int i = 0; i < 2000; ++i) repeated += "[CON_design]\nFile1=part" + std::to_string(i) + ".plt\n[Duplicate]\n";
    std::string huge(IniFile::kMaxFileBytes + 1, '[');
    EXPECT_FALSE(Read(binary).Ok());
    EXPECT_EQ(Read(huge).error, ProjectError::CannotRead);
    // The first of repeated sections counts, as everywhere in the program's INI files.
    EXPECT_EQ(Read(repeated).value, "part0.plt");
}

TEST_F(ProjectFileTest, ReplacingAProjectFailsWholeOrNotAtAll) {
    ASSERT_TRUE(WriteProject(dir.Path() / "job.con", "part.plt", Held()));
    const std::string before = dir.Read("job.con");
    std::string error;
    EXPECT_FALSE(WriteProject(dir.Path() / "job.con", "../part.plt", std::nullopt, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteProject(dir.Path() / "no" / "job.con", "part.plt", std::nullopt, &error));
    EXPECT_EQ(dir.Read("job.con"), before);
    ASSERT_TRUE(WriteProject(dir.Path() / "job.con", "part.plt", std::nullopt));
    EXPECT_EQ(dir.Read("job.con"), "[CON_design]\nFile1=part.plt\n");
}

TEST_F(ProjectFileTest, SaveDialogNamesGetTheProjectExtensionOnce) {
    const struct {
        const char* chosen;
        const char* project;
    } cases[] = {{"job", "job.con"}, {"job.CON", "job.CON"}, {"falcon", "falcon.con"}, {"job.plt", "job.plt.con"}};
    for (const auto& c : cases) EXPECT_EQ(ProjectPathFor(c.chosen), fs::path(c.project)) << c.chosen;
    EXPECT_EQ(DrawingCopyFor("/w/job.con", "/d/part.dxf"), fs::path("/w/job.dxf"));
}

TEST_F(ProjectFileTest, FailedCopyLeavesTheProjectAndTheFolderAsTheyWere) {
    ASSERT_TRUE(WriteProject(dir.Path() / "job.con", "part.plt", std::nullopt));
    const std::string before = dir.Read("job.con");
    for (const fs::path& drawing : {dir.Path() / "gone.plt", dir.Path() / "other.con"}) {
        const ProjectSave save = SaveProject(dir.Path() / "job.con", drawing, Held());
        EXPECT_EQ(save.outcome, ProjectSave::Outcome::CopyFailed) << drawing;
        EXPECT_FALSE(save.why.empty());
    }
    EXPECT_EQ(dir.Read("job.con"), before);
    EXPECT_FALSE(fs::exists(dir.Path() / "job.plt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2) << "no stray file";
}

}  // namespace
}  // namespace wirvela
