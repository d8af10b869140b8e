// A table of fault cases for a test: each row says what was tried and what held, and the table is
// printed when the test ends, so a run's log shows every case, not only the ones that failed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvanta::testing {

class CaseTable {
public:
    explicit CaseTable(std::string title) : title_(std::move(title)) {}
    CaseTable(const CaseTable&) = delete;
    CaseTable& operator=(const CaseTable&) = delete;
    ~CaseTable() { print(); }

    // Runs one case. `check` makes its own EXPECT/ASSERT checks and returns what held; a row whose
    // checks failed is marked FAILED in the table, with whatever it returned.
    void run(std::string fault, std::string tried, const std::function<std::string()>& check);

    void print() const;

private:
    struct Row {
        std::string fault;
        std::string tried;
        std::string held;
        bool passed;
    };
    std::string title_;
    std::vector<Row> rows_;
    mutable bool printed_ = false;
};

} // namespace orvanta::testing
