// Filling messages of local.txt that act as printf formats, whatever the file holds.
#include <gtest/gtest.h>

#include "config/MessageFormat.h"

namespace wirvela {
namespace {

struct FormatCase {
    const char* format;
    std::string expected;
};

class FillsMessage : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FillsMessage, AsPrintfWouldWithTheRightArguments) {
    EXPECT_EQ(FormatMessage(GetParam().format, {0x2022u, 0x403, -5, 12.5, "SIM"}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, FillsMessage,
                         ::testing::Values(FormatCase{"Loc %X: %04X %d %.0f%% %s", "Loc 2022: 0403 -5 12% SIM"},
                                           FormatCase{"%-6d|%5s", "8226  | 1027"},
                                           FormatCase{"%lu %hd %lld", "8226 1027 -5"},
                                           FormatCase{"%x %x %x", "2022 403 fffffffb"},
                                           FormatCase{"%s %s %s %s %s %s %s", "8226 1027 -5 12.5 SIM %s %s"},
                                           FormatCase{"%n and %p and %*d", "%n and %p and %*d"},
                                           FormatCase{"%.2s %c", "82 \x03"}, FormatCase{"100%", "100%"},
                                           FormatCase{"%5", "%5"}));

TEST(FillsMessageSafely, HugeWidthsAreCapped) {
    const std::string out = FormatMessage("%99999999d|%.99999999f", {1, 2.0});
    EXPECT_LT(out.size(), 1200u);
    EXPECT_EQ(out.substr(out.find('|') - 1, 2), "1|");
}

TEST(FillsMessageSafely, MismatchedKindsAreConverted) {
    EXPECT_EQ(FormatMessage("%d %f %d", {"text", 3, 2.9}), "text 3.000000 2");
}

}  // namespace
}  // namespace wirvela
