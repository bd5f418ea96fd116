// The choice of the start-up directory and the seeding of the per-user directory.
#include "app/StartupDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TempDir.h"

namespace wirvela::test {
namespace {

namespace fs = std::filesystem;

class StartupDirectoryTest : public ::testing::Test {
protected:
    StartupDirectoryTest() {
        fs::create_directories(root.Path() / "cwd");
        fs::create_directories(root.Path() / "share");
        fs::create_directories(root.Path() / "home");
        root.Write("share/wirvela.ini", "[Ploter]\nCone=0\n");
        root.Write("share/local.txt", "[Present]\nPresent=1\n");
        request.currentDirectory = root.Path() / "cwd";
        request.home = (root.Path() / "home").string();
        request.shippedDataDirectories = {root.Path() / "nowhere", root.Path() / "share"};
    }

    fs::path UserDir() const { return root.Path() / "home" / ".config" / "wirvela"; }

    TempDir root;
    StartupDirectoryRequest request;
};

TEST_F(StartupDirectoryTest, TheCurrentDirectoryWinsWhenItHoldsTheSettings) {
    root.Write("cwd/wirvela.ini", "[Ploter]\n");
    const StartupDirectory r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(r.directory, request.currentDirectory);
    EXPECT_TRUE(r.seeded.empty());
    EXPECT_FALSE(fs::exists(UserDir()));
}

TEST_F(StartupDirectoryTest, TheFirstStartSeedsThePerUserDirectoryOnce) {
    StartupDirectory r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(r.directory, UserDir());
    EXPECT_EQ(r.seeded.size(), 2u);
    EXPECT_EQ(root.Read("home/.config/wirvela/wirvela.ini"), "[Ploter]\nCone=0\n");
    EXPECT_TRUE(fs::exists(UserDir() / "local.txt"));
    EXPECT_NE(r.message.find("share"), std::string::npos);

    // The operator's own settings are never replaced.
    root.Write("home/.config/wirvela/wirvela.ini", "[Ploter]\nCone=1\n");
    r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok());
    EXPECT_TRUE(r.seeded.empty());
    EXPECT_EQ(root.Read("home/.config/wirvela/wirvela.ini"), "[Ploter]\nCone=1\n");

    // A lost local.txt comes back; the settings stay.
    fs::remove(UserDir() / "local.txt");
    r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok());
    ASSERT_EQ(r.seeded.size(), 1u);
    EXPECT_EQ(r.seeded[0], UserDir() / "local.txt");
    EXPECT_EQ(root.Read("home/.config/wirvela/wirvela.ini"), "[Ploter]\nCone=1\n");
}

TEST_F(StartupDirectoryTest, XdgConfigHomeIsUsedWhenAbsolute) {
    request.xdgConfigHome = (root.Path() / "xdg").string();
    StartupDirectory r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(r.directory, root.Path() / "xdg" / "wirvela");

    request.xdgConfigHome = "relative/xdg";
    r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.directory, UserDir());
    request.xdgConfigHome = "";
    EXPECT_EQ(StartupDirectory::Resolve(request).directory, UserDir());
}

TEST_F(StartupDirectoryTest, AnExplicitDirectoryIsTakenAsItIs) {
    fs::create_directories(root.Path() / "mine");
    root.Write("mine/wirvela.ini", "[Ploter]\n");
    request.explicitDirectory = root.Path() / "mine";
    StartupDirectory r = StartupDirectory::Resolve(request);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.directory, root.Path() / "mine");
    EXPECT_FALSE(fs::exists(root.Path() / "mine" / "local.txt"));  // nothing written into it
}

struct FailureCase {
    const char* name;
    StartupDirectoryStatus status;
};

class StartupDirectoryFailureTest : public StartupDirectoryTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StartupDirectoryFailureTest, NothingUsableGivesAClearError) {
    const StartupDirectoryStatus status = GetParam().status;
    switch (status) {
        case StartupDirectoryStatus::ExplicitNotDirectory:
            request.explicitDirectory = root.Path() / "missing";
            break;
        case StartupDirectoryStatus::ExplicitNoSettings:
            request.explicitDirectory = root.Path() / "cwd";
            break;
        case StartupDirectoryStatus::NoUserDirectory:
            request.home.reset();
            request.xdgConfigHome = "relative";
            break;
        case StartupDirectoryStatus::NoShippedData:
            request.shippedDataDirectories = {root.Path() / "nowhere"};
            break;
        case StartupDirectoryStatus::CannotCreate:
            // ~/.config is a file: the directory below it cannot be made.
            root.Write("home/.config", "not a directory");
            break;
        default:
            break;
    }
    const StartupDirectory r = StartupDirectory::Resolve(request);
    EXPECT_EQ(r.status, status);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.ExitCode(), static_cast<int>(status));
    EXPECT_NE(r.ExitCode(), 0);
    EXPECT_FALSE(r.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupDirectoryFailureTest,
    ::testing::Values(FailureCase{"ExplicitNotDirectory", StartupDirectoryStatus::ExplicitNotDirectory},
                      FailureCase{"ExplicitNoSettings", StartupDirectoryStatus::ExplicitNoSettings},
                      FailureCase{"NoUserDirectory", StartupDirectoryStatus::NoUserDirectory},
                      FailureCase{"NoShippedData", StartupDirectoryStatus::NoShippedData},
                      FailureCase{"CannotCreate", StartupDirectoryStatus::CannotCreate}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wirvela::test
