// The one way a test skips. A test that needs something from outside the repository (a program,
// a font, a sound font, a data file) names it with VELT_REQUIRE: when it is missing the test is
// skipped with its name, or, under VELTRANE_REQUIRE_ALL=1 (scripts/test.sh sets it), fails with
// its name, since scripts/setup.sh installs all of them. VELT_SKIP_BECAUSE is kept for the few
// reasons setup cannot fix (running as root for a permission test); it skips in every mode.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace velt::test {

// The programs not on the PATH, separated by ", "; empty when all are there.
std::string missingTools(const std::vector<std::string>& tools);
// The files or folders (fonts, sound fonts, data) that do not exist, separated by ", "; empty when
// all are there.
std::string missingFiles(const std::vector<std::filesystem::path>& files);

// True when VELTRANE_REQUIRE_ALL=1: a missing requirement fails the test.
bool requireAll();

}  // namespace velt::test

// `whatIsMissing` (a text; empty: nothing) skips the running test, or fails it under
// VELTRANE_REQUIRE_ALL=1. Use it in a test body or SetUp, as GTEST_SKIP.
#define VELT_REQUIRE(whatIsMissing)                                                        \
    do {                                                                                   \
        const std::string veltMissing_ = (whatIsMissing);                                  \
        if (!veltMissing_.empty()) {                                                       \
            if (::velt::test::requireAll())                                                \
                GTEST_FAIL() << "missing: " << veltMissing_                                \
                             << " (VELTRANE_REQUIRE_ALL=1; scripts/setup.sh installs it)"; \
            else                                                                           \
                GTEST_SKIP() << "missing: " << veltMissing_;                               \
        }                                                                                  \
    } while (false)

// Skips the running test for a reason the setup cannot fix, in every mode.
#define VELT_SKIP_BECAUSE(reason) GTEST_SKIP() << (reason)
