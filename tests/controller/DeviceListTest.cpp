// The device list model: listing, choosing and cancelling.
#include <gtest/gtest.h>

#include "LinkRig.h"
#include "config/Prompt.h"
#include "controller/DeviceList.h"

namespace wirvela {
namespace {

const char* kIdentity = "[RSparam]\nVID=1\nPID=2\nSerialNo=X\n";

class DeviceListTest : public ::testing::Test {
protected:
    explicit DeviceListTest(std::vector<FtDeviceInfo> devices = {RecordingFtdi::Device(0x0403, 0x6001, "A1B2C3",
                                                                                       "USB Serial", 0x1011),
                                                                 RecordingFtdi::Device(0x0403, 0x6010, "SIM00001",
                                                                                       "Simulated controller", 0x2022)})
        : rig(kIdentity, std::make_unique<RecordingFtdi>(std::move(devices))), list(*rig.device, rig.messages) {}

    test::LinkRig rig;
    DeviceList list;
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    }};
};

TEST_F(DeviceListTest, ListsEachDeviceWithMessage465) {
    list.Show();
    EXPECT_EQ(list.Lines(),
              (std::vector<std::string>{"Loc 1011:  VID 0403  PID 6001  serial A1B2C3  USB Serial",
                                        "Loc 2022:  VID 0403  PID 6010  serial SIM00001  Simulated controller"}));
    EXPECT_FALSE(list.ChooseEnabled());
}

TEST_F(DeviceListTest, ChoosingStoresTheIdentity) {
    list.Show();
    list.Select(1);
    EXPECT_TRUE(list.ChooseEnabled());
    EXPECT_EQ(list.Choose(rig.parameters, prompt), DeviceList::Result::Ok);
    EXPECT_EQ(rig.parameters.GetText("RSparam", "VID", ""), "1027");
    EXPECT_EQ(rig.parameters.GetText("RSparam", "PID", ""), "24592");
    EXPECT_EQ(rig.parameters.GetText("RSparam", "SerialNo", ""), "SIM00001");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DeviceListTest, ChoosingWithoutASelectionAsksForOne) {
    list.Show();
    list.Select(1);
    list.Select(5);  // not a line: no selection
    EXPECT_FALSE(list.ChooseEnabled());
    EXPECT_EQ(list.Choose(rig.parameters, prompt), DeviceList::Result::None);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, rig.messages.MessageText(466));
    EXPECT_EQ(boxes[0].caption, rig.messages.MessageText(0));
    EXPECT_EQ(rig.parameters.GetText("RSparam", "VID", ""), "1");
}

TEST_F(DeviceListTest, CancelStoresNothing) {
    list.Show();
    list.Select(0);
    EXPECT_EQ(list.Cancel(), DeviceList::Result::Cancel);
    EXPECT_EQ(rig.parameters.GetText("RSparam", "SerialNo", ""), "X");
}

class EmptyDeviceList : public DeviceListTest {
protected:
    EmptyDeviceList() : DeviceListTest({}) {}
};

TEST_F(EmptyDeviceList, NoDeviceLeavesTheListEmpty) {
    list.Show();
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_FALSE(list.ChooseEnabled());
}

std::vector<FtDeviceInfo> Many(int n) {
    std::vector<FtDeviceInfo> devices;
    for (int i = 0; i < n; ++i) devices.push_back(RecordingFtdi::Device(0x0403, 0x6010, "S" + std::to_string(i)));
    devices.push_back(RecordingFtdi::Device(0x0403, 0x6015, "A-SERIAL-OF-15C"));
    return devices;
}

class LongDeviceList : public DeviceListTest {
protected:
    LongDeviceList() : DeviceListTest(Many(11)) {}
};

TEST_F(LongDeviceList, KeepsTenEntriesAndRefusesLinesBeyond) {
    list.Show();
    EXPECT_EQ(list.Lines().size(), 12u);
    EXPECT_EQ(list.Entries().size(), 10u);
    list.Select(11);
    EXPECT_TRUE(list.ChooseEnabled());
    EXPECT_EQ(list.Choose(rig.parameters, prompt), DeviceList::Result::None);
    EXPECT_EQ(boxes.size(), 1u);
    list.Select(9);
    EXPECT_EQ(list.Choose(rig.parameters, prompt), DeviceList::Result::Ok);
    EXPECT_EQ(rig.parameters.GetText("RSparam", "SerialNo", ""), "S9");
}

TEST(DeviceListLimits, LongSerialNumberIsKeptWhole) {
    test::LinkRig rig(kIdentity, std::make_unique<RecordingFtdi>(
                                     std::vector{RecordingFtdi::Device(0x0403, 0x6015, "A-SERIAL-OF-15C")}));
    DeviceList list(*rig.device, rig.messages);
    ScriptedPrompt prompt([](const PromptRequest&) { return PromptAnswer::Ok; });
    list.Show();
    list.Select(0);
    ASSERT_EQ(list.Choose(rig.parameters, prompt), DeviceList::Result::Ok);
    EXPECT_EQ(rig.parameters.GetText("RSparam", "SerialNo", ""), "A-SERIAL-OF-15C");
}

TEST(DeviceListLimits, FailedListCallLeavesTheListEmpty) {
    test::LinkRig rig(kIdentity);
    rig.recorder->Fail(RecordingFtdi::Call::List, kFtIoError);
    DeviceList list(*rig.device, rig.messages);
    list.Show();
    EXPECT_TRUE(list.Lines().empty());
}

}  // namespace
}  // namespace wirvela
