// Helpers shared by the tests: temporary folders, running programs, reading files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velt::test {

// A fresh folder that is removed with everything in it when this object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

struct CommandResult {
    int exitCode = -1;   // the command's exit status, or -1 when it did not exit normally
    std::string output;  // what it wrote to standard output
};

// Runs a shell command line and collects its standard output.
CommandResult runCommand(const std::string& commandLine);

// Quotes a text for a POSIX shell command line.
std::string shellQuote(const std::string& text);

std::string readFile(const std::filesystem::path& file);
std::vector<unsigned char> readBytes(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& content);
// The names of the files in `folder` that start with `stem` (all of them for an empty one), in
// order: an output file and the working files written beside it.
std::vector<std::string> filesOf(const std::filesystem::path& folder, const std::string& stem = "");

// Folders the build hands to every test through the environment.
std::filesystem::path binDir();       // the built programs and the data files
std::filesystem::path libDir();       // the built shared libraries
std::filesystem::path sourceDir();    // the repository
std::filesystem::path testdataDir();  // the test data in the repository (mp3tool/tests/data)

// Makes `folder` (and its parents) open to its owner only, as a runtime folder must be; gives its
// path as text.
std::string makePrivateFolder(const std::filesystem::path& folder);

// Splits text into lines (a trailing line end gives no empty last line).
std::vector<std::string> splitLines(const std::string& text);

}  // namespace velt::test
