#include "requirements.h"

#include <cstdlib>
#include <cstring>

#include "test_support.h"

namespace velt::test {

namespace {

void addName(std::string& names, const std::string& name) {
    names += (names.empty() ? "" : ", ") + name;
}

}  // namespace

std::string missingTools(const std::vector<std::string>& tools) {
    std::string names;
    for (const std::string& tool : tools) {
        if (runCommand("command -v " + shellQuote(tool) + " >/dev/null 2>&1").exitCode != 0)
            addName(names, tool);
    }
    return names;
}

std::string missingFiles(const std::vector<std::filesystem::path>& files) {
    std::string names;
    for (const std::filesystem::path& file : files) {
        std::error_code ignored;
        if (!std::filesystem::exists(file, ignored)) addName(names, file.string());
    }
    return names;
}

bool requireAll() {
    const char* value = std::getenv("VELTRANE_REQUIRE_ALL");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace velt::test
