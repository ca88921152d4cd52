// The engine's layering: only the driver (engine/src/driver/) holds the run state. Stages take
// their inputs and return their outputs, and report a failure by throwing StageFailure; none of
// them includes a driver header, reads run() or ends the run itself. The filter builder uses the
// stages the same way.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

namespace velt::engine {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> sourcesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h"))
            files.push_back(entry.path());
    }
    return files;
}

TEST(StageBoundaries, OnlyTheDriverHoldsTheRunState) {
    const fs::path root = velt::test::sourceDir();
    const fs::path driver = root / "engine/src/driver";
    const std::regex reachesUp(R"(#include "driver/|\brun\(\)|\bresetRun\(|\bFinishRun\()");
    std::vector<fs::path> checked = sourcesUnder(root / "engine/src");
    for (const fs::path& file : sourcesUnder(root / "tools/filter_builder"))
        checked.push_back(file);

    int stageFiles = 0;
    for (const fs::path& file : checked) {
        if (file.parent_path() == driver) continue;
        ++stageFiles;
        int lineNumber = 0;
        for (const std::string& line : velt::test::splitLines(velt::test::readFile(file))) {
            ++lineNumber;
            EXPECT_FALSE(std::regex_search(line, reachesUp))
                << fs::relative(file, root).string() << ":" << lineNumber << ": " << line;
        }
    }
    EXPECT_GT(stageFiles, 40) << "the walk found the stage folders";
}

// The settings and geometry change only while the run is set up: their one writer, a RunSetUp, is
// made by the set-up's two steps (ReadProject, SetUpAnalysis) and nowhere else, so no loop,
// command or finish can change what the stages' parameters were built from.
TEST(StageBoundaries, OnlyTheSetUpChangesTheSettings) {
    const fs::path root = velt::test::sourceDir();
    const std::regex makesOne(R"(\bRunSetUp\s*(\w+\s*)?[({])");
    std::map<std::string, int> made;
    for (const fs::path& file : sourcesUnder(root / "engine/src")) {
        if (file.filename() == "run_state.h") continue;  // where the class is defined
        for (const std::string& line : velt::test::splitLines(velt::test::readFile(file)))
            if (std::regex_search(line, makesOne)) ++made[fs::relative(file, root).string()];
    }
    EXPECT_EQ(made, (std::map<std::string, int>{{"engine/src/driver/run_conversion.cpp", 1},
                                                {"engine/src/driver/run_setup.cpp", 1}}));
}

}  // namespace
}  // namespace velt::engine
