#include "test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velt::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "velt-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

CommandResult runCommand(const std::string& commandLine) {
    CommandResult result;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, got);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<unsigned char> readBytes(const fs::path& file) {
    std::string content = readFile(file);
    return {content.begin(), content.end()};
}

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::string> filesOf(const fs::path& folder, const std::string& stem) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

static fs::path folderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        throw std::runtime_error(std::string(name) +
                                 " is not set; run the tests through ctest, or source "
                                 "build/tests/environment.sh first");
    return value;
}

fs::path binDir() {
    return folderFromEnvironment("VELTRANE_BIN_DIR");
}
fs::path libDir() {
    return folderFromEnvironment("VELTRANE_LIB_DIR");
}
fs::path sourceDir() {
    return folderFromEnvironment("VELTRANE_SOURCE_DIR");
}
fs::path testdataDir() {
    return folderFromEnvironment("VELTRANE_TESTDATA_DIR");
}

std::string makePrivateFolder(const fs::path& folder) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    return folder.string();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace velt::test
