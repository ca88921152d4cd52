// Every help topic the program offers has a page: the topics of message boxes (their Help
// button), of ShowHelpTopic and of the controls' F1 help are gathered from the sources of desk/,
// and each must have data/help/<topic>.html. The sources hold topics in a few forms: a literal
// (or a named constant) at the help position of a call whose declaration names that parameter
// as a help topic, a row of a table whose text is followed by its topic, and the literal results
// of a function whose name says it gives a help topic.
//
// Each page explains: at least 120 words, and every control it names by its caption is one the
// window has. A page marks such a caption as <b class="caption">Caption</b> and names its
// windows in <meta name="windows" content="frmCustomize frmMain">; the captions are those of
// the windows as designed (loaded without their Load event, so nothing starts) and the ones
// their code gives later (a literal passed to setCaption, setTabCaption or setToolTipText).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "desk/core/about/frm_about.h"
#include "desk/core/global.h"
#include "desk/core/live/frm_live.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/instruments/frm_drum.h"
#include "desk/instruments/frm_ens.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_player.h"
#include "desk/media/frm_record.h"
#include "desk/media/frm_wma.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/frm_tapper.h"
#include "desk/ui/testing/script.h"
#include "desk/wizard/frm_wizard.h"
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

// A caption as a reader sees it: without its "&" mnemonic, blanks collapsed, and without a
// trailing "..." or ":".
std::string shownCaption(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] != '&') continue;
        if (caption[i] == '&') ++i;
        char c = caption[i] == '\n' || caption[i] == '\r' || caption[i] == '\t' ? ' ' : caption[i];
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    std::string trimmed = out;
    while (!trimmed.empty() &&
           (trimmed.back() == ' ' || trimmed.back() == ':' || trimmed.back() == '.'))
        trimmed.pop_back();
    return trimmed.empty() ? out : trimmed;  // "..." stays a caption of its own
}

struct Window {
    std::function<std::unique_ptr<ui::Form>()> make;
    std::vector<std::string> sources;  // files (or folders) of desk/ with the window's code
};

template <class F>
Window window(std::vector<std::string> sources) {
    return {[] { return std::unique_ptr<ui::Form>(std::make_unique<F>()); }, std::move(sources)};
}

const std::map<std::string, Window>& windows() {
    static const std::map<std::string, Window> all = {
        {"frmMain", window<frmMain>({"core/main_window"})},
        {"frmAbout", window<frmAbout>({"core/about"})},
        {"frmLive", window<frmLive>({"core/live"})},
        {"frmCustomize", window<frmCustomize>({"core/options"})},
        {"frmStatus", window<frmStatus>({"core/run/frm_status.cpp"})},
        {"frmResults", window<frmResults>({"core/run/frm_results.cpp"})},
        {"frmEns", window<frmEns>({"instruments/frm_ens.cpp"})},
        {"frmDrum", window<frmDrum>({"instruments/frm_drum.cpp"})},
        {"frmAAC", window<frmAAC>({"media/frm_aac.cpp", "media/component_decode_form.cpp"})},
        {"frmWMA", window<frmWMA>({"media/frm_wma.cpp", "media/component_decode_form.cpp"})},
        {"frmAIFF", window<frmAIFF>({"media/frm_aiff.cpp"})},
        {"frmMP3", window<frmMP3>({"media/frm_mp3.cpp"})},
        {"frmCD", window<frmCD>({"media/frm_cd.cpp"})},
        {"frmPlayer", window<frmPlayer>({"media/frm_player.cpp"})},
        {"frmRecord", window<frmRecord>({"media/frm_record.cpp", "media/record_level.cpp",
                                         "media/record_master.cpp", "media/record_metronome.cpp",
                                         "media/record_take.cpp"})},
        {"frmProperties", window<frmProperties>({"settings"})},
        {"frmTapper", window<frmTapper>({"settings/frm_tapper.cpp"})},
        {"frmWizard", window<frmWizard>({"wizard"})},
    };
    return all;
}

// Every caption the window shows, as shownCaption gives it.
std::set<std::string> captionsOf(const std::string& name) {
    const Window& w = windows().at(name);
    std::set<std::string> out;
    auto add = [&out](const std::string& caption) {
        std::string shown = shownCaption(caption);
        if (!shown.empty()) out.insert(shown);
    };
    std::unique_ptr<ui::Form> form = w.make();
    form->loadDesign();
    add(form->Caption());
    for (ui::Control* c : form->controls()) {
        add(c->ToolTipText());
        if (auto* b = dynamic_cast<ui::CommandButton*>(c)) add(b->Caption());
        if (auto* l = dynamic_cast<ui::Label*>(c)) add(l->Caption());
        if (auto* f = dynamic_cast<ui::Frame*>(c)) add(f->Caption());
        if (auto* k = dynamic_cast<ui::CheckBox*>(c)) add(k->Caption());
        if (auto* o = dynamic_cast<ui::OptionButton*>(c)) add(o->Caption());
        if (auto* m = dynamic_cast<ui::MenuItem*>(c)) add(m->Caption());
        if (auto* t = dynamic_cast<ui::TabControl*>(c)) {
            for (int i = 0; i < t->Tabs(); ++i) add(t->TabCaption(i));
        }
        if (auto* t = dynamic_cast<ui::Toolbar*>(c)) {
            for (int i = 1; i <= t->ButtonCount(); ++i) add(t->Buttons(i).ToolTipText());
        }
    }
    form.reset();
    static const std::regex given(
        R"re((?:setCaption|setToolTipText)\(\s*"((?:[^"\\]|\\.)*)"\s*\)|setTabCaption\(\s*\w+\s*,\s*"((?:[^"\\]|\\.)*)"\s*\))re");
    for (const std::string& source : w.sources) {
        const fs::path where = test::sourceDir() / "desk" / source;
        std::vector<fs::path> files;
        if (fs::is_directory(where)) {
            for (const auto& e : fs::directory_iterator(where))
                if (e.path().extension() == ".cpp") files.push_back(e.path());
        } else {
            files.push_back(where);
        }
        for (const fs::path& file : files) {
            const std::string text = test::readFile(file);
            for (auto it = std::sregex_iterator(text.begin(), text.end(), given);
                 it != std::sregex_iterator(); ++it) {
                add((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
            }
        }
    }
    return out;
}

// The words of a page's text (tags, the contents link and entities left out).
size_t wordCount(std::string html) {
    html = std::regex_replace(html, std::regex(R"(<head>[\s\S]*</head>)"), " ");
    html = std::regex_replace(html, std::regex(R"(<[^>]*>)"), " ");
    html = std::regex_replace(html, std::regex(R"(&\w+;)"), " ");
    size_t words = 0;
    static const std::regex word(R"([A-Za-z0-9][A-Za-z0-9'’.-]*)");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word);
         it != std::sregex_iterator(); ++it) {
        ++words;
    }
    return words;
}

std::string plain(std::string html) {
    html = std::regex_replace(html, std::regex(R"(<[^>]*>)"), "");
    for (auto [entity, text] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        html = std::regex_replace(html, std::regex(entity), text);
    }
    return html;
}

TEST(HelpPages, EveryTopicOfferedHasAPage) {
    const auto topics = topicsInSources();
    // The walk must see each form of topic: the outcome tables, the refusals, the path boxes'
    // checks, the live window's failure topics, the F1 topics, the help commands and named
    // constants.
    for (long expected : {25L,  84L,  87L,  89L,  98L,  99L,  100L, 103L, 104L, 105L,
                          106L, 107L, 113L, 116L, 143L, 145L, 159L, 167L, 172L, 173L}) {
        EXPECT_TRUE(topics.count(expected)) << "topic " << expected << " not found in desk/";
    }
    const fs::path help = test::sourceDir() / "data" / "help";
    for (const auto& [topic, files] : topics) {
        std::string users;
        for (const auto& f : files) users += " " + f;
        const fs::path page = help / (std::to_string(topic) + ".html");
        EXPECT_TRUE(fs::is_regular_file(page))
            << "no help page for topic " << topic << ", used in" << users;
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

TEST(HelpPages, EveryPageExplainsWithTheWindowsOwnCaptions) {
    ui::test::Script ui;  // any box a window's design raised would fail the test
    ResetGlobal();
    std::map<std::string, std::set<std::string>> captions;
    for (const auto& [name, w] : windows()) captions[name] = captionsOf(name);
    ResetGlobal();
    if (const char* dump = std::getenv("VELTRANE_DUMP_CAPTIONS"); dump != nullptr && *dump) {
        for (const auto& [name, set] : captions) {
            std::cout << name << ":";
            for (const auto& c : set) std::cout << " [" << c << "]";
            std::cout << "\n";
        }
    }
    // The walk sees what the windows really show, including captions set by their code later.
    EXPECT_TRUE(captions["frmCustomize"].count("Linked Applications"));
    EXPECT_TRUE(captions["frmMain"].count("New Project Wizard"));
    EXPECT_TRUE(captions["frmLive"].count("Current Chord"));
    EXPECT_FALSE(captions["frmCustomize"].count("Set Threshold"));

    const fs::path help = test::sourceDir() / "data" / "help";
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(help)) {
        if (e.path().extension() != ".html" || e.path().filename() == "index.html") continue;
        ++pages;
        const std::string page = e.path().filename().string();
        const std::string text = test::readFile(e.path());
        EXPECT_GE(wordCount(text), 120u) << page << " says too little";
        std::smatch m;
        std::set<std::string> known;
        std::string named;
        if (std::regex_search(text, m,
                              std::regex(R"re(<meta name="windows" content="([^"]*)">)re"))) {
            std::istringstream list(m[1].str());
            for (std::string w; list >> w;) {
                named += " " + w;
                EXPECT_TRUE(captions.count(w)) << page << " names the unknown window " << w;
                known.insert(captions[w].begin(), captions[w].end());
            }
        }
        static const std::regex mark(R"re(<b class="caption">([^<]*)</b>)re");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), mark);
             it != std::sregex_iterator(); ++it) {
            const std::string caption = shownCaption(plain((*it)[1].str()));
            EXPECT_TRUE(known.count(caption))
                << page << " names \"" << caption << "\", which none of its windows (" << named
                << " ) has";
        }
    }
    EXPECT_GT(pages, 60u);
}

}  // namespace
}  // namespace velt::desk
