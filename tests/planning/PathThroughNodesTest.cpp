#include <gtest/gtest.h>

#include <vector>

#include "planning/PathThroughNodes.h"

namespace wirvela {
namespace {

PATH_THROUGH_NODES Sequence(int capacity, const std::vector<int>& items) {
    PATH_THROUGH_NODES s(capacity);
    for (int i : items) s.Add(i);
    return s;
}

std::vector<int> Items(const PATH_THROUGH_NODES& s) {
    std::vector<int> out;
    for (int i = 0; i < s.Count(); ++i) out.push_back(s.Get(i));
    return out;
}

TEST(PathThroughNodes, HoldsAtMostOneItemLessThanItsCapacity) {
    PATH_THROUGH_NODES s = Sequence(3, {7, 8, 9, 10});
    EXPECT_EQ(Items(s), (std::vector<int>{7, 8}));
    EXPECT_EQ(s.Get(2), -1);
    EXPECT_EQ(s.Get(-1), -1);
    PATH_THROUGH_NODES none(0);
    none.Add(1);
    EXPECT_EQ(none.Count(), 0);
}

struct ReplaceCase {
    const char* name;
    std::vector<int> path;
    int first;
    int last;
    std::vector<int> other;
    int result;
    std::vector<int> after;
};

class PathThroughNodesReplace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(PathThroughNodesReplace, SplicesOrRefuses) {
    const ReplaceCase& c = GetParam();
    PATH_THROUGH_NODES path = Sequence(12, c.path);
    const PATH_THROUGH_NODES other = Sequence(12, c.other);
    EXPECT_EQ(path.Replace(c.first, c.last, other), c.result);
    EXPECT_EQ(Items(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathThroughNodesReplace,
    testing::Values(ReplaceCase{"AsItStands", {1, 2, 3}, 1, 1, {2, 5, 6, 2}, 6, {1, 2, 5, 6, 2, 3}},
                    ReplaceCase{"Reversed", {1, 2, 3, 4}, 1, 2, {3, 9, 2}, 5, {1, 2, 9, 3, 4}},
                    ReplaceCase{"PositionsSwapped", {1, 2, 3, 4}, 2, 1, {2, 9, 3}, 5, {1, 2, 9, 3, 4}},
                    ReplaceCase{"Shrinking", {1, 2, 3, 4, 5}, 1, 3, {2, 4}, 4, {1, 2, 4, 5}},
                    ReplaceCase{"FirstOutside", {1, 2}, 2, 0, {1, 1}, -1, {1, 2}},
                    ReplaceCase{"LastOutside", {1, 2}, 0, 5, {1, 1}, -2, {1, 2}},
                    ReplaceCase{"TooLong", {1, 2, 3, 4, 5, 6}, 0, 0, {1, 2, 3, 4, 5, 6, 7}, -3, {1, 2, 3, 4, 5, 6}},
                    ReplaceCase{"EndsDoNotMatch", {1, 2, 3}, 0, 1, {1, 7, 3}, -4, {1, 2, 3}},
                    ReplaceCase{"EmptyOther", {1, 2, 3}, 1, 1, {}, -4, {1, 2, 3}}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return info.param.name; });

}  // namespace
}  // namespace wirvela
