#include "support/TestBudget.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wirvela::test {

double TestBudget() {
    const char* text = std::getenv("WIRVELA_TEST_BUDGET");
    if (text == nullptr || *text == '\0') return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return *end == '\0' && std::isfinite(value) && value > 0.0 ? value : 1.0;
}

int BudgetedCases(int count, int minimum) {
    const double scaled = std::round(count * TestBudget());
    // Large budgets stop at a count that still fits an int.
    return std::max(minimum, static_cast<int>(std::min(scaled, 1e9)));
}

}  // namespace wirvela::test
