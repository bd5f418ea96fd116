#pragma once
// How many random cases the randomised tests run. WIRVELA_TEST_BUDGET scales every such
// count: 1 (the default) runs each test's own count, 0.25 a quarter of it (the
// sanitizer run of scripts/test.sh, whose code runs several times slower), 4 four times
// as many for a thorough run before a release. Unset, empty or not a positive number: 1.
namespace wirvela::test {

double TestBudget();

// `count` scaled by the budget, rounded, never below `minimum`.
int BudgetedCases(int count, int minimum = 1);

}  // namespace wirvela::test
