// wirvela-cli project save, and the commands that open a drawing given a project.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

namespace wirvela::test {
namespace {

namespace fs = std::filesystem;

class ProjectCli : public CliTest {
protected:
    void SetUp() override {
        drawing = dir.Write("part.plt", "IN;SP1;PU0,0;PD400,0,400,400,0,400,0,0;PU1000,0;PD1400,0,1400,400,1000,0;");
        fs::create_directory(dir.Path() / "jobs");
    }
    fs::path drawing;
};

TEST_F(ProjectCli, SavedProjectOpensItsDrawingWithTheMultiplicationToRepeat) {
    const CliRun saved = Run({"project", "save", (dir.Path() / "jobs" / "job").string(), "--drawing",
                              drawing.string(), "--count", "2", "3", "--json"});
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_EQ(saved.json()["copied"], true);
    EXPECT_EQ(ReadFile(dir.Path() / "jobs" / "job.plt"), ReadFile(drawing));
    EXPECT_EQ(ReadFile(dir.Path() / "jobs" / "job.con"),
              "[CON_design]\nFile1=job.plt\n\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=2\nObjH=3\nSpaceV=1\nSpaceH=1\n");

    const CliRun info = Run({"info", (dir.Path() / "jobs" / "job.con").string(), "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.json()["project"]["drawing"], (dir.Path() / "jobs" / "job.plt").string());
    EXPECT_EQ(info.json()["project"]["multiplication"]["count"], nlohmann::json::array({"2", "3"}));
    EXPECT_EQ(info.json()["figures"][0]["lines"], Run({"info", drawing.string(), "--json"}).json()["figures"][0]["lines"]);

    const CliRun plan = Run({"plan", (dir.Path() / "jobs" / "job.con").string()});
    EXPECT_EQ(plan.code, 0) << plan.err;
}

TEST_F(ProjectCli, SavingBesideTheDrawingUnderItsOwnNameCopiesNothing) {
    const CliRun saved = Run({"project", "save", (dir.Path() / "part.CON").string(), "--drawing", drawing.string()});
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_NE(saved.out.find("Multiplication to repeat: none"), std::string::npos) << saved.out;
    EXPECT_EQ(saved.out.find("(copied)"), std::string::npos) << saved.out;
    EXPECT_EQ(ReadFile(dir.Path() / "part.CON"), "[CON_design]\nFile1=part.plt\n");
    const CliRun info = Run({"info", (dir.Path() / "part.CON").string()});
    EXPECT_NE(info.out.find("Multiplication to repeat: none"), std::string::npos) << info.out;
}

TEST_F(ProjectCli, RefusedInputWritesNothingAndSaysWhy) {
    dir.Write("other.con", "[CON_design]\nFile1=part.plt\n");
    const std::string job = (dir.Path() / "jobs" / "job").string();
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"project", "save", job, "--drawing", (dir.Path() / "gone.plt").string()}, 1, "gone.plt"},
        {{"project", "save", job, "--drawing", (dir.Path() / "other.con").string()}, 1, "is a project"},
        {{"project", "save", job, "--drawing", drawing.string(), "--count", "2", "3", "--size", "9", "9"}, 2,
         "either --count"},
        {{"project", "save", job, "--drawing", drawing.string(), "--count", "2", "3", "--offset", "2"}, 2,
         "belong to --multiwire"},
        {{"project", "save", (dir.Path() / "none" / "job").string(), "--drawing", drawing.string()}, 1, "none"},
    };
    for (const auto& c : cases) {
        const CliRun r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(dir.Path() / "jobs")) << r.err;
    }
}

TEST_F(ProjectCli, ProjectNamingADrawingOutsideItsFolderIsNotOpened) {
    const fs::path project = dir.Write("jobs/evil.con", "[CON_design]\nFile1=../part.plt\n");
    for (const char* command : {"info", "plan", "simulate", "estimate"}) {
        const CliRun r = Run({command, project.string()});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_NE(r.err.find(project.string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("../part.plt"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace wirvela::test
