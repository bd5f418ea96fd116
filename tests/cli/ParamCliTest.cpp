#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "config/UsedMessages.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// A text for every message the program shows but 0 and 7, which the tests set: a file
// that lacks any of them is reported on standard error.
std::string OtherMessages() {
    std::string text;
    for (const UsedMessage& m : UsedMessages()) {
        if (m.key == 0 || m.key == 7) continue;
        char line[32];
        std::snprintf(line, sizeof line, "%05d=message %d\n", m.key, m.key);
        text += line;
    }
    return text;
}

using test::CliRun;

class ParamCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", "; machine\n[Ploter]\nSkalaHPGL=0,025\nCone=0\n[RSparam]\nSerialNo=SIM00001\n");
        dir.Write("local.txt",
                  "[Present]\nPresent=1\n[Strings]\n00000=wirvela\n00007=Line one\\nline two\n" + OtherMessages() +
                  "[SectionsNames]\nPloter=Plotter\n[ParametersNames]\nSkalaHPGL=HP-GL scale\n");
    }
};

TEST_F(ParamCli, GetAndNumber) {
    EXPECT_EQ(Run({"param", "get", "Ploter", "SkalaHPGL"}).out, "0,025\n");
    EXPECT_EQ(Run({"param", "get", "ploter", "SkalaHPGL", "dflt"}).out, "dflt\n");
    EXPECT_EQ(Run({"param", "get", "Ploter", "Missing"}).out, "\n");
    EXPECT_EQ(Run({"param", "number", "Ploter", "SkalaHPGL", "1"}).out, "0.025\n");
    EXPECT_EQ(Run({"param", "number", "Ploter", "Missing", "-2.5"}).out, "-2.5\n");
    EXPECT_EQ(Run({"param", "number", "RSparam", "SerialNo", "7"}).out, "0\n");
}

TEST_F(ParamCli, SetSavesKnownKeysOnly) {
    CliRun ok = Run({"param", "set", "Ploter", "Cone", "1"});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(dir.Read("wirvela.ini"), "; machine\n[Ploter]\nSkalaHPGL=0,025\nCone=1\n[RSparam]\nSerialNo=SIM00001\n");

    CliRun unknown = Run({"param", "set", "Ploter", "cone", "2"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("cone"), std::string::npos);
    EXPECT_NE(dir.Read("wirvela.ini").find("Cone=1"), std::string::npos);

    ::chmod((dir.Path() / "wirvela.ini").c_str(), 0444);
    CliRun readOnly = Run({"param", "set", "Ploter", "Cone", "0"});
    EXPECT_EQ(readOnly.code, 1) << "a read-only settings file is a failure, not a silent success";
    EXPECT_NE(readOnly.err.find("read-only"), std::string::npos);
}

TEST_F(ParamCli, SetRefusesAValueOutsideTheSettingsDomain) {
    const std::string before = dir.Read("wirvela.ini");
    for (const char* value : {"0", "-1", "abc", "nan", "1e999"}) {
        CliRun r = Run({"param", "set", "Ploter", "SkalaHPGL", value});
        EXPECT_EQ(r.code, 2) << value;
        EXPECT_NE(r.err.find(std::string("SkalaHPGL=") + value), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Run({"param", "set", "Ploter", "Cone", "2"}).code, 2);
    EXPECT_EQ(Run({"param", "set", "Ploter", "SkalaHPGL", std::string(2000, '1')}).code, 2);
    EXPECT_EQ(dir.Read("wirvela.ini"), before);
}

TEST_F(ParamCli, ListShowsDisplayNames) {
    CliRun r = Run({"param", "list"});
    EXPECT_EQ(r.out, "[Ploter]  Plotter\n  SkalaHPGL=0,025    (HP-GL scale)\n  Cone=0\n[RSparam]\n  SerialNo=SIM00001\n");
    CliRun j = Run({"param", "list", "--json"});
    EXPECT_NE(j.out.find("\"displayName\": \"HP-GL scale\""), std::string::npos) << j.out;
}

TEST_F(ParamCli, MessagesAreShownExactly) {
    EXPECT_EQ(Run({"msg", "7"}).out, "Line one\nline two\n");
    EXPECT_EQ(Run({"msg", "14"}).out, "!!! Unknown string !!!\n");  // a number no part shows
    EXPECT_EQ(Run({"msg", "0"}).err, "");
}

TEST_F(ParamCli, MissingLocalFileWarnsAndGoesOn) {
    std::filesystem::remove(dir.Path() / "local.txt");
    CliRun r = Run({"msg", "7"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "!!! Unknown string !!!\n");
    EXPECT_NE(r.err.find("LOCAL.TXT file not found."), std::string::npos);
}

// A damaged local.txt is named with its first bad line, and what could be read is used.
TEST_F(ParamCli, DamagedLocalFileWarnsWithTheLineAndGoesOn) {
    dir.Write("local.txt", "[Present]\nPresent=1\n[Strings]\n00007=seven\n00008 eight\n");
    CliRun r = Run({"msg", "7"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "seven\n");
    EXPECT_EQ(r.err, "wirvela-cli: warning: " + (dir.Path() / "local.txt").string() +
                         ": line 5 is no key=value line; the texts that could be read are used\n");
}

TEST_F(ParamCli, BadCommandLinesExitNonZero) {
    EXPECT_NE(Run({"param", "number", "Ploter"}).code, 0);
    EXPECT_NE(Run({"param", "number", "Ploter", "X", "abc"}).code, 0);
    EXPECT_NE(Run({"nonsense"}).code, 0);
    EXPECT_EQ(Run({"--version"}).out.rfind("wirvela-cli ", 0), 0u);
}

}  // namespace
}  // namespace wirvela
