// The device list window over DeviceList on the simulated controller's bridge.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "ViewTestSupport.h"
#include "controller/DeviceList.h"
#include "controller/SimulatedController.h"
#include "controller/SimulatedFtdi.h"
#include "ui/TForm7.h"

namespace wirvela {
namespace {

class DeviceListViewTest : public ::testing::Test {
protected:
    DeviceListViewTest()
        : ftdi(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast())),
          model(ftdi, data.messages),
          view(model, data.parameters, prompt, data.messages) {}

    test::ShippedData data;
    test::RecordingPrompt prompt;
    SimulatedFtdi ftdi;
    DeviceList model;
    TForm7 view;
};

TEST_F(DeviceListViewTest, ListsTheDevicesAndChoosingStoresTheSelectedOne) {
    data.parameters.SetText("RSparam", "SerialNo", "OTHER");
    view.show();
    auto* list = test::Control<QListWidget>(view, "ListBox1");
    auto* choose = test::Control<QPushButton>(view, "Button1");
    ASSERT_TRUE(list && choose);
    test::Control<QPushButton>(view, "Button2");
    EXPECT_EQ(view.windowTitle(), "Connected devices");
    EXPECT_TRUE(test::MissingTexts(view).empty());

    ASSERT_EQ(list->count(), static_cast<int>(model.Lines().size()));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(FromQt(list->item(0)->text()), model.Lines()[0]);
    EXPECT_FALSE(choose->isEnabled());

    list->setCurrentRow(0);
    EXPECT_EQ(model.Selected(), 0);
    EXPECT_TRUE(choose->isEnabled());
    choose->click();
    EXPECT_EQ(model.GetResult(), DeviceList::Result::Ok);
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(data.parameters.GetText("RSparam", "SerialNo", ""), SimulatedFtdi::kSerialNumber);
}

TEST_F(DeviceListViewTest, CancelStoresNothing) {
    data.parameters.SetText("RSparam", "SerialNo", "OTHER");
    view.show();
    test::Control<QListWidget>(view, "ListBox1")->setCurrentRow(0);
    test::Control<QPushButton>(view, "Button2")->click();
    EXPECT_EQ(model.GetResult(), DeviceList::Result::Cancel);
    EXPECT_EQ(view.result(), QDialog::Rejected);
    EXPECT_EQ(data.parameters.GetText("RSparam", "SerialNo", ""), "OTHER");
}

}  // namespace
}  // namespace wirvela
