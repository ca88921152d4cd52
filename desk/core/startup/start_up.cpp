#include "desk/core/startup/start_up.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/recognize.h"
#include "desk/core/run/batch_project_check.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/startup/end_signals.h"
#include "desk/ui/ui.h"
#include "platform/folders/folders.h"
#include "platform/folders/instance_lock.h"
#include "platform/folders/user_folders.h"
#include "platform/help/help.h"

namespace velt::desk {

namespace {

namespace fs = std::filesystem;

// Lower case for ASCII letters only, so every byte keeps its position in the text.
std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isSwitch(const std::string& arg) {
    if (arg.size() < 3 || arg[0] != '/') return false;
    size_t i = 1;
    while (i < arg.size() && ((arg[i] >= 'a' && arg[i] <= 'z') || (arg[i] >= 'A' && arg[i] <= 'Z')))
        ++i;
    return i > 1 && i < arg.size() && arg[i] == '=';
}

// Where a switch and its value stand in `lower` (the lower-cased text): [begin, end).
struct Span {
    size_t begin = std::string::npos, end = std::string::npos;
    bool found() const { return begin != std::string::npos; }
};

Span switchSpan(const std::string& lower, const std::string& name) {
    Span span;
    size_t pos = lower.find(name);
    if (pos == std::string::npos) return span;
    span.begin = pos;
    size_t value = pos + name.size();
    if (value < lower.size() && lower[value] == '"') {
        size_t close = lower.find('"', value + 1);
        span.end = close == std::string::npos ? lower.size() : close + 1;
    } else {
        size_t blank = lower.find(' ', value);
        span.end = blank == std::string::npos ? lower.size() : blank;
    }
    return span;
}

// The switch's value, found in the lower-cased copy and read from the original text.
std::optional<std::string> switchValue(const std::string& original, const std::string& lower,
                                       const std::string& name) {
    size_t pos = lower.find(name);
    if (pos == std::string::npos) return std::nullopt;
    std::string value;
    GetSwitch(name + original.substr(pos + name.size()), name, value);
    return value;
}

std::string trimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool displayAvailable() {
    QString name = QGuiApplication::platformName();
    return QGuiApplication::instance() != nullptr && name != "offscreen" && name != "minimal";
}

// The help of the program: its pages in the install folder, shown in its own help window.
std::unique_ptr<platform::Help>& programHelp() {
    static std::unique_ptr<platform::Help> help;
    return help;
}

// Reports a start that can't go on: always on standard error, in a box when someone can see it.
void refuseStart(const std::string& text) {
    Global& g = G();
    if (g.BatchMode) {
        ShowMessage(text, ui::Critical, g.AppTitle);  // batch boxes go to standard error
        return;
    }
    std::fprintf(stderr, "%s: %s\n", g.AppTitle.c_str(), ui::oneLine(text).c_str());
    if (displayAvailable()) ShowMessage(text, ui::Critical, g.AppTitle);
}

// Copies the named project over the working project, byte for byte. False when it can't be
// read or written; no working project is left behind then, so nothing stale is converted.
bool copyWorkingProject(std::string& problem) {
    const Global& g = G();
    std::error_code ec;
    fs::remove(g.TempProject, ec);
    std::ifstream in(g.CmdLineProject, std::ios::binary);
    if (!fs::is_regular_file(g.CmdLineProject, ec) || !in) {
        problem = "Specified Project does not exist.  -3.008";
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();  // an empty project copies as an empty file
    std::ofstream out(g.TempProject, std::ios::binary | std::ios::trunc);
    out << bytes.str();
    out.close();
    if (!out) {
        fs::remove(g.TempProject, ec);
        problem = "Unable to write the working project " + g.TempProject + ".";
        return false;
    }
    return true;
}

// The log of command-line conversions when "/log=" names none: log.txt in the program's folder
// of the user's data folder (made when missing), else in the private temp folder. Never beside
// the program, where an installed program can't write.
std::string defaultLogFile() {
    const Global& g = G();
    const std::string data = platform::dataFolder();
    if (data.empty()) return g.TempFolder + "/log.txt";
    const fs::path folder = fs::path(data) / g.AppTitle;
    std::error_code ec;
    fs::create_directories(folder, ec);  // a folder that can't be made fails the log's write
    return (folder / "log.txt").string();
}

}  // namespace

std::string BuildCommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        if (arg.find(' ') == std::string::npos) {
            line += arg;
        } else if (isSwitch(arg)) {
            size_t eq = arg.find('=');
            line += arg.substr(0, eq + 1) + '"' + arg.substr(eq + 1) + '"';
        } else {
            line += '"' + arg + '"';
        }
    }
    return line;
}

CommandLineRequest ReadCommandLine(const std::string& commandLine) {
    CommandLineRequest request;
    if (commandLine.empty()) return request;
    const std::string original = commandLine + " \"";
    const std::string lower = asciiLower(original);

    if (auto project = switchValue(original, lower, "/prf=")) {
        request.project = *project;
        request.batchMode = true;
    } else {
        // The project to open is what remains besides the folder and log switches.
        std::string rest = commandLine;
        for (const char* name : {"/dir=", "/log="}) {
            Span span = switchSpan(asciiLower(rest), name);
            if (span.found()) rest.erase(span.begin, span.end - span.begin);
        }
        rest = trimBlanks(rest);
        if (!rest.empty() && rest[0] == '"') {
            size_t close = rest.find('"', 1);
            request.project =
                rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else {
            request.project = rest;
        }
    }
    if (auto folder = switchValue(original, lower, "/dir=")) {
        request.installFolder = *folder;
        if (request.installFolder->empty() || request.installFolder->back() != '/')
            *request.installFolder += '/';
    }
    if (auto log = switchValue(original, lower, "/log=")) request.logFile = *log;
    return request;
}

int StartProgram(const std::string& commandLine, std::unique_ptr<platform::InstanceLock>& lock,
                 bool noDisplay) {
    Global& g = G();
    g.Quote.assign(1, '"');
    g.AppTitle = std::string("Veltrane") + " Rizaduzede";
    ui::runtime().appTitle = g.AppTitle;
    std::string system = platform::systemFolder().string();
    while (system.size() > 1 && system.back() == '/') system.pop_back();
    g.SystemFolder = system;

    // Known before the refusal so that a command-line conversion never waits for a user.
    const CommandLineRequest request = ReadCommandLine(commandLine);
    g.BatchMode = request.batchMode;
    ui::runtime().batchMode = g.BatchMode;

    std::string problem;
    auto temp = platform::privateTempFolder(&problem);
    if (!temp) {
        refuseStart(g.AppTitle + " cannot use its temporary folder: " + problem);
        return 1;
    }
    lock = platform::InstanceLock::acquire(kInstanceLockName, &problem);
    if (!lock) {
        refuseStart(g.AppTitle + " is already running.  You can only run one instance of " +
                    g.AppTitle + " at a time.");
        return 1;
    }

    g.InstallFolder = platform::installFolder();
    g.VistaOrLater = true;
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        g.MusicFolder = platform::musicFolder();
        g.UserFolder = platform::documentsFolder() + "Veltrane";
        std::error_code ec;
        fs::create_directories(g.UserFolder, ec);  // usually there already
        g.UserFolder += "/";
    } else {
        g.MusicFolder = g.InstallFolder;
        g.UserFolder = g.InstallFolder;
    }
    auto candidates = platform::programFilesCandidates();
    g.ProgramFilesFolder = candidates.empty() ? "/usr/bin/" : candidates.front();
    g.TempFolder = temp->string();
    while (g.TempFolder.size() > 1 && g.TempFolder.back() == '/') g.TempFolder.pop_back();
    g.TempProject = g.TempFolder + "/~temp.vpr";
    g.TempTapFile = g.TempFolder + "/~temp.tt";
    RemoveLeftoverWorkingFiles();  // the lock is ours: no other run uses them

    // The help lies beside the program, whatever "/dir=" says.
    programHelp() = MakeProgramHelp(g.InstallFolder);
    ui::runtime().help = programHelp().get();

    g.CmdLineProject = request.project;
    if (request.installFolder) g.InstallFolder = *request.installFolder;
    if (request.logFile) {
        g.LogFile = *request.logFile;
    } else if (g.BatchMode) {
        g.LogFile = defaultLogFile();
    }

    if (g.BatchMode) {
        g.ConvertDuration = 0;
        g.ProjectFile = g.CmdLineProject;  // the batch log names it
        if (auto refusal = BatchProjectRefusal(g.CmdLineProject)) {
            AppendBatchLog(*refusal);
            return 1;
        }
        if (!copyWorkingProject(problem)) {
            AppendBatchLog(problem);
            return 1;
        }
        return RunBatchConversion();
    }
    if (noDisplay) {
        refuseStart(g.AppTitle + " needs a display for its main window; none was found.");
        return 1;
    }
    MainForm();
    return -1;
}

void EndProgram() {
    ui::forms::unloadAll(LoadedMainForm());
    if (ProgramEndHook()) ProgramEndHook()();
}

std::function<void()>& ProgramEndHook() {
    static std::function<void()> hook;
    return hook;
}

}  // namespace velt::desk
