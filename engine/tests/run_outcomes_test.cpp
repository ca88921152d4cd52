// The outcome table: every code has a cause, none repeats, the README's table lists the same
// codes with the same causes, and the engine ends runs only with named codes.
#include "run_outcomes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "test_support.h"

namespace velt::engine {
namespace {

namespace fs = std::filesystem;
using Code = std::pair<int, int>;  // type, detail (kAnyDetail for a whole type)

std::map<Code, std::string> readmeOutcomes() {
    const std::string readme = velt::test::readFile(velt::test::sourceDir() / "README.md");
    const size_t start = readme.find("### Outcome codes");
    EXPECT_NE(start, std::string::npos);
    const size_t end = readme.find("\n## ", start);
    std::map<Code, std::string> codes;
    const std::regex row(R"(^\| (-[^|]+) \| (.+) \|$)");
    const std::regex fixed(R"(-(\d+)\.(\d{3}))");
    const std::regex family(R"(-(\d+)\.[a-z]+)");
    const std::regex item("-[^, ]+");
    for (const std::string& line : velt::test::splitLines(
             readme.substr(start, end == std::string::npos ? end : end - start))) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        const std::string cause = m[2];
        const std::string list = m[1];
        for (std::sregex_iterator it(list.begin(), list.end(), item), last; it != last; ++it) {
            const std::string code = it->str();
            std::smatch c;
            if (std::regex_match(code, c, fixed)) {
                codes[{std::stoi(c[1]), std::stoi(c[2])}] = cause;
            } else if (std::regex_match(code, c, family)) {
                codes[{std::stoi(c[1]), kAnyDetail}] = cause;
            } else {
                ADD_FAILURE() << "unreadable code " << code << " in: " << line;
            }
        }
    }
    return codes;
}

TEST(RunOutcomes, EveryCodeHasOneEntryWithACause) {
    std::set<Code> seen;
    for (const OutcomeEntry& e : OutcomeTable()) {
        SCOPED_TRACE(std::to_string(e.type) + "." + std::to_string(e.detail));
        EXPECT_GT(e.type, kRunSucceeded);
        ASSERT_NE(e.cause, nullptr);
        EXPECT_FALSE(std::string(e.cause).empty());
        EXPECT_TRUE(seen.insert({e.type, e.detail}).second) << "listed twice";
        EXPECT_EQ(OutcomeCause({e.type, e.detail == kAnyDetail ? 123 : e.detail}), e.cause);
    }
    EXPECT_EQ(OutcomeCause(outcome::kSucceeded), nullptr);
    EXPECT_EQ(OutcomeCause({kAudioFormatRefused, 999}), nullptr);
}

TEST(RunOutcomes, TheReadmeTableListsTheSameCodesAndCauses) {
    std::map<Code, std::string> table;
    for (const OutcomeEntry& e : OutcomeTable()) table[{e.type, e.detail}] = e.cause;
    std::map<Code, std::string> readme = readmeOutcomes();
    for (const auto& [code, cause] : table) {
        SCOPED_TRACE(std::to_string(code.first) + "." + std::to_string(code.second));
        ASSERT_TRUE(readme.count(code)) << "missing from the README";
        EXPECT_EQ(readme[code], cause);
    }
    for (const auto& [code, cause] : readme)
        EXPECT_TRUE(table.count(code))
            << code.first << "." << code.second << " is not in the table";
}

// A run ends only through the named codes: no FinishRun call with a bare number.
TEST(RunOutcomes, RunsEndOnlyWithNamedCodes) {
    const std::regex bare(R"(FinishRun\(\s*\{?\s*-?\d)");
    int files = 0;
    for (const auto& item :
         fs::recursive_directory_iterator(velt::test::sourceDir() / "engine" / "src")) {
        if (!item.is_regular_file()) continue;
        ++files;
        const std::string text = velt::test::readFile(item.path());
        EXPECT_FALSE(std::regex_search(text, bare)) << item.path();
    }
    EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace velt::engine
