// Every help topic the program offers has a page: the topics of message boxes (their Help
// button), of ShowHelpTopic and of the controls' F1 help are gathered from the sources of desk/,
// and each must have data/help/<topic>.html. The sources hold topics in a few forms: a literal
// (or a named constant) at the help position of a call whose declaration names that parameter
// as a help topic, a row of a table whose text is followed by its topic, and the literal results
// of a function whose name says it gives a help topic.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

struct Source {
    std::string path, text;
};

std::vector<Source> deskSources() {
    std::vector<Source> out;
    for (const auto& e : fs::recursive_directory_iterator(test::sourceDir() / "desk")) {
        const std::string p = e.path().generic_string();
        if (!e.is_regular_file() || p.find("/tests/") != std::string::npos ||
            p.find("/testing/") != std::string::npos) {
            continue;
        }
        if (e.path().extension() == ".cpp" || e.path().extension() == ".h")
            out.push_back({p, test::readFile(e.path())});
    }
    return out;
}

// The arguments of the call whose "(" is at `open`, split at top-level commas.
std::vector<std::string> callArguments(const std::string& text, size_t open) {
    std::vector<std::string> args(1);
    int depth = 0;
    bool quoted = false;
    for (size_t i = open + 1; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '\\') {
                args.back() += c;
                c = text[++i];
            } else if (c == '"') {
                quoted = false;
            }
            args.back() += c;
            continue;
        }
        if (c == '"') quoted = true;
        if (c == '(' || c == '{' || c == '[') ++depth;
        if (c == ')' || c == '}' || c == ']') {
            if (depth == 0) return args;
            --depth;
        }
        if (c == ',' && depth == 0) {
            args.emplace_back();
            continue;
        }
        args.back() += c;
    }
    return args;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

bool isHelpName(const std::string& name) {
    static const std::regex help("^(help|helpTopic|topic|helpContextId)$");
    return std::regex_match(name, help);
}

// Function name → position of its help-topic parameter, from the declarations in the sources.
std::map<std::string, size_t> helpParameters(const std::vector<Source>& sources) {
    std::map<std::string, size_t> out{{"setHelpContextID", 0}};
    static const std::regex decl(R"((\w+)\s*\(((?:[^()]|\n)*)\)\s*(?:const\s*)?[;{])");
    for (const Source& s : sources) {
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), decl);
             it != std::sregex_iterator(); ++it) {
            std::string list = "(";
            list += (*it)[2].str();
            list += ')';
            std::vector<std::string> params = callArguments(list, 0);
            for (size_t i = 0; i < params.size(); ++i) {
                static const std::regex param(R"(\blong\s+(\w+)\s*(=.*)?$)");
                std::smatch m;
                std::string p = trim(params[i]);
                if (std::regex_search(p, m, param) && isHelpName(m[1])) out[(*it)[1]] = i;
            }
        }
    }
    return out;
}

std::map<long, std::set<std::string>> topicsInSources() {
    const std::vector<Source> sources = deskSources();
    const std::map<std::string, size_t> helpParams = helpParameters(sources);
    std::map<long, std::set<std::string>> topics;  // topic → where it is used
    // Named constants: "constexpr long kConverterHelp = 98;".
    std::map<std::string, long> constants;
    for (const Source& s : sources) {
        static const std::regex constant(R"(constexpr\s+long\s+(\w+)\s*=\s*(\d+)\s*;)");
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), constant);
             it != std::sregex_iterator(); ++it) {
            constants[(*it)[1]] = std::stol((*it)[2]);
        }
    }
    for (const Source& s : sources) {
        const std::string where = fs::path(s.path).filename().string();
        auto add = [&](const std::string& arg) {
            std::string a = trim(arg);
            static const std::regex number(R"(\d+)");
            if (std::regex_match(a, number)) {
                if (long t = std::stol(a); t != 0) topics[t].insert(where);
            } else if (auto c = constants.find(a); c != constants.end() && c->second != 0) {
                topics[c->second].insert(where);
            }
        };
        // Calls with a help parameter.
        static const std::regex call(R"((\w+)\s*\()");
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), call);
             it != std::sregex_iterator(); ++it) {
            auto p = helpParams.find((*it)[1]);
            if (p == helpParams.end()) continue;
            size_t open = static_cast<size_t>(it->position(0) + it->length(0) - 1);
            std::vector<std::string> args = callArguments(s.text, open);
            if (p->second < args.size()) add(args[p->second]);
        }
        // Table rows and refusals: a text followed by its topic, "{..., "text", 104}".
        static const std::regex row(R"re("\s*,\s*(\d+)\s*\})re");
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), row);
             it != std::sregex_iterator(); ++it) {
            add((*it)[1]);
        }
        // Functions giving a topic: "long failureHelp(float status) { ... return 107; ... }".
        static const std::regex giver(R"(long\s+\w*[Hh]elp\w*\s*\([^()]*\)\s*\{)");
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), giver);
             it != std::sregex_iterator(); ++it) {
            size_t begin = static_cast<size_t>(it->position(0) + it->length(0));
            int depth = 1;
            size_t end = begin;
            while (end < s.text.size() && depth > 0) {
                if (s.text[end] == '{') ++depth;
                if (s.text[end] == '}') --depth;
                ++end;
            }
            const std::string body = s.text.substr(begin, end - begin);
            static const std::regex ret(R"(return\s+(\d+)\s*;)");
            for (auto r = std::sregex_iterator(body.begin(), body.end(), ret);
                 r != std::sregex_iterator(); ++r) {
                add((*r)[1]);
            }
        }
    }
    return topics;
}

TEST(HelpPages, EveryTopicOfferedHasAPage) {
    const auto topics = topicsInSources();
    // The walk must see each form of topic: the outcome tables, the refusals, the path boxes'
    // checks, the live window's failure topics, the F1 topics, the help commands and named
    // constants.
    for (long expected : {25L, 84L, 87L, 89L, 98L, 99L, 100L, 103L, 104L, 105L, 106L, 107L, 113L, 116L,
                          143L, 145L, 159L, 167L, 172L, 173L}) {
        EXPECT_TRUE(topics.count(expected)) << "topic " << expected << " not found in desk/";
    }
    const fs::path help = test::sourceDir() / "data" / "help";
    for (const auto& [topic, files] : topics) {
        std::string users;
        for (const auto& f : files) users += " " + f;
        const fs::path page = help / (std::to_string(topic) + ".html");
        EXPECT_TRUE(fs::is_regular_file(page)) << "no help page for topic " << topic << ", used in"
                                               << users;
        if (!fs::is_regular_file(page)) continue;
        // A page of ours: a title, some text and the way back to the contents.
        const std::string text = test::readFile(page);
        EXPECT_NE(text.find("<h1>"), std::string::npos) << page;
        EXPECT_NE(text.find("href=\"index.html\""), std::string::npos) << page;
        EXPECT_NE(test::readFile(help / "index.html").find("href=\"" + page.filename().string()),
                  std::string::npos)
            << page.filename() << " is not listed in the contents";
    }
}

}  // namespace
}  // namespace velt::desk
