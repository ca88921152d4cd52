// The programs that analyse audio beside the engine (the filter builder, the benchmarks) take a
// run's window, resolution, hop and sensitivity from the engine's FileRunGeometry: a copy of the
// derivation could round differently, and filter templates measured with another hop than a run
// uses would no longer match what the run measures.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> sourcesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h"))
            files.push_back(entry.path());
    }
    return files;
}

TEST(RunGeometryUse, ProgramsThatBuildAResonatorBankTakeTheEnginesGeometry) {
    const fs::path root = velt::test::sourceDir();
    // The arithmetic of the derivation: powers and logarithms of two (resolution, hop,
    // sensitivity), the window's seventeen periods, and the block length taken on its own.
    const std::regex derives(
        R"(\b(pow|log2|exp2|ldexp)\s*\(|\b17(\.0*)?\s*\*|\bBlockLengthSamples\s*\()");
    const std::regex buildsBank(R"(\bBankParams\b)");
    const std::regex takesGeometry(R"(\bFileRunGeometry\s*\()");

    std::vector<fs::path> files = sourcesIn(root / "tools/filter_builder");
    for (const fs::path& file : sourcesIn(root / "engine/bench")) files.push_back(file);
    int analysing = 0;
    for (const fs::path& file : files) {
        const std::string text = velt::test::readFile(file);
        if (!std::regex_search(text, buildsBank)) continue;
        ++analysing;
        const std::string name = fs::relative(file, root).string();
        EXPECT_TRUE(std::regex_search(text, takesGeometry))
            << name << " does not call FileRunGeometry";
        int lineNumber = 0;
        for (const std::string& line : velt::test::splitLines(text)) {
            ++lineNumber;
            EXPECT_FALSE(std::regex_search(line, derives))
                << name << ":" << lineNumber << ": " << line;
        }
    }
    EXPECT_GE(analysing, 2) << "the filter builder and the analysis benchmark were found";
}

}  // namespace
