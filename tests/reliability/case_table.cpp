#include "case_table.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace orvanta::testing {
namespace {

// Failures reported so far in the running test; a row compares the count before and after it.
int failures_so_far()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return 0;
    const ::testing::TestResult* result = test->result();
    int failures = 0;
    for (int part = 0; part < result->total_part_count(); ++part)
        if (result->GetTestPartResult(part).failed()) ++failures;
    return failures;
}

} // namespace

void CaseTable::run(std::string fault, std::string tried, const std::function<std::string()>& check)
{
    const int before = failures_so_far();
    std::string held;
    {
        SCOPED_TRACE(fault);
        // An ASSERT inside `check` ends only the lambda: the row is marked and the next one runs.
        held = check();
    }
    const bool passed = failures_so_far() == before;
    rows_.push_back({std::move(fault), std::move(tried), passed ? held : "FAILED: " + held, passed});
    std::printf("[ case     ] %s: %s\n", rows_.back().fault.c_str(), passed ? "held" : "FAILED");
    std::fflush(stdout);
}

void CaseTable::print() const
{
    if (printed_) return;
    printed_ = true;
    std::printf("\n%s\n| case | what was tried | what held |\n|---|---|---|\n", title_.c_str());
    for (const Row& row : rows_)
        std::printf("| %s | %s | %s |\n", row.fault.c_str(), row.tried.c_str(), row.held.c_str());
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace orvanta::testing
