// The code table and the texts of codes.
#include <gtest/gtest.h>

#include <set>

#include "LinkRig.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"

namespace wirvela {
namespace {

class CodesTest : public ::testing::Test {
protected:
    test::LinkRig rig;
    const TMessages& messages = rig.messages;
};

TEST_F(CodesTest, TableKeepsItsOrderAndUniqueCodes) {
    const auto table = ControllerCodes::Table();
    ASSERT_EQ(table.size(), 48u);
    EXPECT_EQ(table.front().code, RS_OK);
    EXPECT_EQ(table[12].name, "STAT_OK");
    EXPECT_EQ(table.back().code, ERR_COUNTER_OVERFLOW_EXT);
    EXPECT_EQ(table.back().messageKey, 75);
    std::set<int> codes;
    for (const ControllerCode& c : table) EXPECT_TRUE(codes.insert(c.code).second) << c.code;
}

TEST_F(CodesTest, FormatCodeShowsTextCodeAndName) {
    EXPECT_EQ(ControllerCodes::FormatCode(messages, STAT_END),
              " " + messages.MessageText(51) + ". \n [ 48 = 30hex ]: STAT_END");
    EXPECT_EQ(ControllerCodes::FormatCode(messages, RS_DMA_CRC_ERROR),
              " " + messages.MessageText(74) + ". \n [ 302 = 12Ehex ]: RS_DMA_CRC_ERROR");
    EXPECT_EQ(ControllerCodes::FormatCode(messages, RS_OK),
              " " + messages.MessageText(30) + ". \n [ 0 = 00hex ]: RS_OK");
}

TEST_F(CodesTest, UnnamedRowShowsAnEmptyName) {
    EXPECT_EQ(ControllerCodes::FormatCode(messages, 144), " " + messages.MessageText(53) + ". \n [ 144 = 90hex ]: ");
}

TEST_F(CodesTest, CodeOutsideTheTableShowsMessage74) {
    for (int code : {ERR_VERSION, ERR_STATE, ERR_SEGMENT_LONG, STATE_NORM, 9999}) {
        EXPECT_EQ(ControllerCodes::FormatCode(messages, code), messages.MessageText(74)) << code;
        EXPECT_EQ(ControllerCodes::CodeText(messages, code), messages.MessageText(74)) << code;
    }
    EXPECT_EQ(ControllerCodes::CodeText(messages, STAT_ERR_IPWM), messages.MessageText(50));
}

TEST_F(CodesTest, CodeBoxOnlyForFailures) {
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt([&](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    });
    EXPECT_EQ(ControllerCodes::ShowCodeBox(prompt, messages, "SENDFRAME błąd", 0), 0);
    EXPECT_EQ(ControllerCodes::ShowCodeBox(prompt, messages, "SENDFRAME błąd", STAT_OK), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ControllerCodes::ShowCodeBox(prompt, messages, "SENDFRAME błąd", RS_DMA_CRC_ERROR), RS_DMA_CRC_ERROR);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, messages.MessageText(74) + " [302=12Ehex]");
    EXPECT_EQ(boxes[0].caption, "SENDFRAME błąd");
    EXPECT_EQ(boxes[0].icon, PromptIcon::Warning);
}

}  // namespace
}  // namespace wirvela
