// The about box: its texts with and without a controller, the versions it records, the
// splash timer, and the build date text.
#include "app/windows/AboutModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/Messages.h"
#include "config/Parameters.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

class AboutModelTest : public testing::Test {
protected:
    void SetUp() override {
        messages.CheckLocalFile(test::ShippedDataDir());
        messages.LoadMessages();
        Load("[Ploter]\nCzasWiniety=2500\n[Testing]\nSOFTWAREversion=\nFIRMWAREversion=\n");
    }
    void Load(const std::string& ini) {
        dir.Write("wirvela.ini", ini);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
    }
    AboutModel Make() { return AboutModel({&parameters, &messages, {"0.1.0", "14:05/2024-03-09"}}); }

    test::TempDir dir;
    TParameters parameters;
    TMessages messages;
};

TEST_F(AboutModelTest, WithoutAControllerShowsMessages467And468) {
    AboutModel m = Make();
    m.Create(ControllerIdentity::Of(nullptr));
    EXPECT_EQ(m.Label5(), messages.MessageText(467));
    EXPECT_EQ(m.Label3(), messages.MessageText(468));
    EXPECT_EQ(m.Label9(), "fclk= 0.0000MHz");
    EXPECT_EQ(m.Label6(), "0.1.0");
    EXPECT_EQ(m.Label4(), "14:05/2024-03-09");
    EXPECT_EQ(parameters.GetText("Testing", "SOFTWAREversion", ""), "v0.1.0   (14:05/2024-03-09)");
    EXPECT_EQ(parameters.GetText("Testing", "FIRMWAREversion", ""), "    (fclk= 0.0000MHz)");
}

TEST_F(AboutModelTest, ControllerFirmwareDeviceAndClock) {
    AboutModel m = Make();
    ControllerIdentity c;
    c.info = "PT-3 v2.07\t(c) someone";
    c.description = "FT245R USB FIFO";
    c.serialNo = "A7001";
    c.vid = 0x403;
    c.pid = 0x6001;
    c.clockHz = 7372800;
    m.Create(c);
    EXPECT_EQ(m.Firmware(), "PT-3 v2.07");
    EXPECT_EQ(m.Label5(), "Firmware: PT-3 v2.07");
    EXPECT_EQ(m.Label3(), "FT245R USB FIFO ( SerialNr=A7001 )   VID/PID=0403/6001");
    EXPECT_EQ(m.Label9(), "fclk= 7.3728MHz");
    EXPECT_EQ(parameters.GetText("Testing", "FIRMWAREversion", ""), " PT-3 v2.07   (fclk= 7.3728MHz)");
}

TEST_F(AboutModelTest, OneIdentifierIsEnoughForADeviceAndAnInfoStartingWithTabIsNoFirmware) {
    AboutModel m = Make();
    ControllerIdentity c;
    c.info = "\tmark only";
    c.pid = 1;
    m.Create(c);
    EXPECT_EQ(m.Label5(), messages.MessageText(467));
    EXPECT_EQ(m.Label3(), " ( SerialNr= )   VID/PID=0000/0001");
}

TEST_F(AboutModelTest, SplashClosesWhenTheTimerFires) {
    AboutModel m = Make();
    m.ShowSplash();
    EXPECT_TRUE(m.Visible());
    EXPECT_TRUE(m.Timer1Enabled());
    EXPECT_EQ(m.Timer1Interval(), 2500);
    m.Timer1Fired();
    EXPECT_FALSE(m.Visible());
    EXPECT_FALSE(m.Timer1Enabled());
}

TEST_F(AboutModelTest, SplashIntervalDefaultsToFourSeconds) {
    for (const char* ini : {"[Ploter]\n", "[Ploter]\nCzasWiniety=0\n", "[Ploter]\nCzasWiniety=-5\n"}) {
        Load(ini);
        AboutModel m = Make();
        m.ShowSplash();
        EXPECT_EQ(m.Timer1Interval(), 4000) << ini;
    }
}

TEST_F(AboutModelTest, InformationCommandShowsWithoutTimerAndClosesByButtonOrEscape) {
    AboutModel m = Make();
    m.ShowModal();
    EXPECT_FALSE(m.Timer1Enabled());
    m.Timer1Fired();
    EXPECT_TRUE(m.Visible());
    m.ButtonKeyDown(false);
    EXPECT_TRUE(m.Visible());
    m.ButtonKeyDown(true);
    EXPECT_FALSE(m.Visible());
    m.ShowModal();
    m.Button1Click();
    EXPECT_FALSE(m.Visible());
}

TEST(BuildDateTextTest, CompilerDateAndTime) {
    EXPECT_EQ(BuildDateText("Mar  9 2024", "14:05:59"), "14:05/2024-03-09");
    EXPECT_EQ(BuildDateText("Dec 31 1999", "00:00:00"), "00:00/1999-12-31");
    EXPECT_EQ(BuildDateText("Foo  9 2024", "14:05:59"), "");
    EXPECT_EQ(BuildDateText("Mar  9 2024", "14-05-59"), "");
    EXPECT_EQ(BuildDateText("", ""), "");
    EXPECT_FALSE(ProgramVersion::Compiled("1").buildDate.empty());
}

}  // namespace
}  // namespace wirvela
