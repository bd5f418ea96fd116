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

// The commands that join a drawing repeat a project's multiplication after the joining,
// as the main window does; a multiplication the drawing cannot take is refused, never
// cut as a single part.
TEST_F(ProjectCli, TheProjectsMultiplicationIsRepeatedAfterTheJoining) {
    const fs::path grid = dir.Write("jobs/grid.con", "[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\nObj=1\n"
                                                     "ObjV=2\nObjH=3\nSpaceV=5\nSpaceH=5\n");
    fs::copy_file(drawing, dir.Path() / "jobs" / "part.plt");
    const CliRun single = Run({"plan", drawing.string(), "--json"});
    const CliRun plan = Run({"plan", grid.string(), "--json", "--geometry"});
    ASSERT_EQ(plan.code, 0) << plan.err;
    const nlohmann::json planned = plan.json();
    const nlohmann::json& figure = planned["figures"][0];
    EXPECT_EQ(figure["objects"], 6);
    EXPECT_EQ(figure["lines"].get<int>() - 1 - 5, 6 * (single.json()["figures"][0]["lines"].get<int>() - 1))
        << "six blocks (the source's connecting line among them) joined by five new connecting lines";
    ExpectClosedTour(figure);

    // Several wires, in the layout the machine's setting names: a path that is built,
    // not searched.
    dir.Write("wirvela.ini", "[Ploter]\nMultiwire=H\n");
    const fs::path wires = dir.Write("jobs/wires.con", "[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\nObj=1\n"
                                                      "ObjV=1\nObjH=3\nSpaceH=5\nMultiwire=1\nLineOffset=2\n"
                                                      "DistWires=100\n");
    const CliRun multiwire = Run({"plan", wires.string(), "--json", "--geometry"});
    ASSERT_EQ(multiwire.code, 0) << multiwire.err;
    const nlohmann::json built = multiwire.json();
    EXPECT_TRUE(built["figures"][0]["integrity"].is_null());
    ExpectContinuous(built["figures"][0]);

    const fs::path refused = dir.Write("jobs/refused.con", "[CON_design]\nFile1=part.plt\n[Duplicate]\nDuplicate=1\n"
                                                          "Obj=1\nObjV=0\nObjH=3\n");
    for (const char* command : {"plan", "estimate", "cut"}) {
        const CliRun r = Run({command, refused.string()});
        EXPECT_EQ(r.code, 2) << command << r.out;
        EXPECT_NE(r.err.find("message 611"), std::string::npos) << r.err;
    }
}

// multiply --save keeps the drawing and the multiplication as a project that reopens to
// the same cut; --out writes the copies as a drawing.
TEST_F(ProjectCli, MultiplySavesAProjectThatReopensToTheSameCut) {
    const std::string job = (dir.Path() / "jobs" / "job").string();
    const std::string out = (dir.Path() / "jobs" / "copies.plt").string();
    const CliRun multiplied = Run({"multiply", drawing.string(), "--count", "3", "2", "--gap", "5", "5", "--json",
                                   "--save", job, "--out", out});
    ASSERT_EQ(multiplied.code, 0) << multiplied.err;
    EXPECT_EQ(ReadFile(dir.Path() / "jobs" / "job.con"),
              "[CON_design]\nFile1=job.plt\n\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=3\nObjH=2\nSpaceV=5\nSpaceH=5\n");
    const CliRun reopened = Run({"plan", job + ".con", "--json"});
    ASSERT_EQ(reopened.code, 0) << reopened.err;
    EXPECT_EQ(reopened.json()["figures"][0]["path"], multiplied.json()["figures"][0]["path"]);

    const CliRun copies = Run({"info", out, "--json"});
    ASSERT_EQ(copies.code, 0) << copies.err;
    EXPECT_EQ(copies.json()["figures"][0]["lines"].get<int>(),
              multiplied.json()["figures"][0]["lines"].get<int>() - 1 - 5)
        << "the copies without the joining's connecting lines";

    // A project that was multiplied on opening cannot be saved with a second one.
    const CliRun twice = Run({"multiply", job + ".con", "--count", "2", "1", "--save", job + "2"});
    EXPECT_EQ(twice.code, 2);
    EXPECT_NE(twice.err.find("multiplied 2 times"), std::string::npos) << twice.err;
    EXPECT_FALSE(fs::exists(job + "2.con"));
}

}  // namespace
}  // namespace wirvela::test
