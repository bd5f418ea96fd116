// The wear counters count what the cutting window shows: the used time in whole minutes,
// the used length as "%5.2f" rounds it, against the time limit in whole seconds.
#include "cutting/WireWear.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cutting/CutSetup.h"

namespace wirvela {
namespace {

struct WearCase {
    double minutes;  // CzasDrutu as stored
    double metres;   // DlugDrutu as stored
    double usedSeconds;
    double usedMetres;
    WearVerdict verdict;  // limits 10 min and 1 m; a cut of 59 s and no length
};

class WearCounting : public ::testing::TestWithParam<WearCase> {};

TEST_P(WearCounting, CountsWholeMinutesAndCentimetresAsShown) {
    const WearCase& c = GetParam();
    const WireWear wear{c.minutes, c.metres, 10, 1};
    EXPECT_EQ(wear.UsedSeconds(), c.usedSeconds);
    EXPECT_EQ(wear.UsedMetres(), c.usedMetres);
    EXPECT_EQ(wear.Check(CutEstimate{59, 0, 0}), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(Stored, WearCounting,
                         ::testing::Values(WearCase{2.9, 1.004, 120, 1.00, WearVerdict::Fine},
                                           // 1.005 is stored as 1.00499…: shown and counted as 1.00, within the limit
                                           WearCase{2.9, 1.005, 120, 1.00, WearVerdict::Fine},
                                           WearCase{0, 1.006, 0, 1.01, WearVerdict::WornOut},
                                           // 12.345 is stored as 12.34500…06, an exact 0.125 rounds to even
                                           WearCase{0, 12.345, 0, 12.35, WearVerdict::WornOut},
                                           WearCase{0, 0.125, 0, 0.12, WearVerdict::Fine},
                                           // 9.99 minutes count as 540 s: 540 + 59 stays within 600
                                           WearCase{9.99, 0, 540, 0, WearVerdict::Fine},
                                           WearCase{10, 0, 600, 0, WearVerdict::WouldExceed},
                                           WearCase{11, 0, 660, 0, WearVerdict::WornOut},
                                           // a length printf shows as "inf" reads back as no length at all
                                           WearCase{0, HUGE_VAL, 0, 0, WearVerdict::Fine}));

TEST(WireWear, TheTimeLimitIsTruncatedToWholeSeconds) {
    const WireWear wear{0, 0, 0.99, 600};  // 59.4 s
    EXPECT_EQ(wear.LimitSeconds(), 59);
    EXPECT_EQ(wear.Check(CutEstimate{59, 0, 0}), WearVerdict::Fine);
    EXPECT_EQ(wear.Check(CutEstimate{60, 0, 0}), WearVerdict::WouldExceed);
}

TEST(WireWear, ChargingAddsTheEstimateToTheCountedValues) {
    const WireWear charged = WireWear{2.9, 1.005, 600, 600}.Charged(CutEstimate{91, 91000, 0.6});
    EXPECT_EQ(charged.minutes, (120.0 + 91) / 60);
    EXPECT_EQ(charged.metres, 1.00 + 0.6);
    EXPECT_EQ(charged.WholeMinutes(), 3);
    EXPECT_EQ(MetresText(charged.metres), " 1.60");
}

}  // namespace
}  // namespace wirvela
