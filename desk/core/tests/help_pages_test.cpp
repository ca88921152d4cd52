// Every help topic the program offers has a page: the topics are named once, in
// desk/core/help_topics.h, whose table lists each of them, and each must have
// data/help/<topic>.html; no page is left without its topic. The sources name topics only by
// those constants: no call passes a bare number where its declaration takes a help topic.
//
// Each page explains: at least 120 words, and every control it names by its caption is one the
// window has. A page marks such a caption as <b class="caption">Caption</b> and names its
// windows in <meta name="windows" content="frmCustomize frmMain">; the captions are those of
// the windows as designed (loaded without their Load event, so nothing starts) and the ones
// their code gives later (a literal passed to setCaption or setTabCaption). A control known only
// by its tooltip (a picture button) is named as a tip, <b class="tip">Tip</b>, after words that
// say so ("the button whose tip reads"); a tip is never passed off as a caption.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
#include "desk/core/help_topics.h"
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

// The program's sources in desk/ (tests and test support left out).
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

// The text with comments and the contents of string and character literals blanked (line
// breaks kept), so that only code is left to read.
std::string codeOnly(const std::string& text) {
    std::string out = text;
    auto blank = [&out](size_t from, size_t to) {
        for (size_t i = from; i < to && i < out.size(); ++i)
            if (out[i] != '\n') out[i] = ' ';
    };
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const bool wordBefore =
            i > 0 && (std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_');
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            size_t end = text.find('\n', i);
            if (end == std::string::npos) end = text.size();
            blank(i, end);
            i = end;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            end = end == std::string::npos ? text.size() : end + 2;
            blank(i, end);
            i = end;
        } else if (c == 'R' && !wordBefore && i + 1 < text.size() && text[i + 1] == '"') {
            const size_t open = text.find('(', i + 2);
            if (open == std::string::npos) break;
            std::string close = ")";  // built piece by piece: GCC 12 misreads a + b + c here
            close += text.substr(i + 2, open - i - 2);
            close += '"';
            size_t end = text.find(close, open);
            end = end == std::string::npos ? text.size() : end + close.size();
            blank(i + 1, end);
            i = end;
        } else if (c == '"' || (c == '\'' && !wordBefore)) {
            size_t end = i + 1;
            while (end < text.size() && text[end] != c && text[end] != '\n')
                end += text[end] == '\\' ? 2 : 1;
            blank(i + 1, end);
            i = end + 1;
        } else {
            ++i;
        }
    }
    return out;
}

// The arguments of the call whose "(" is at `open`, split at top-level commas.
std::vector<std::string> callArguments(const std::string& code, size_t open) {
    std::vector<std::string> args(1);
    int depth = 0;
    for (size_t i = open + 1; i < code.size(); ++i) {
        const char c = code[i];
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

// Function name → position of its help-topic parameter, from the declarations in the sources:
// a `long` parameter named help, helpTopic, topic or helpContextId.
std::map<std::string, size_t> helpParameters(const std::vector<Source>& code) {
    std::map<std::string, size_t> out{{"setHelpContextID", 0}};
    static const std::regex decl(R"((\w+)\s*\(((?:[^()]|\n)*)\)\s*(?:const\s*)?[;{])");
    static const std::regex param(R"(\blong\s+(help|helpTopic|topic|helpContextId)\s*(=.*)?$)");
    for (const Source& s : code) {
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), decl);
             it != std::sregex_iterator(); ++it) {
            std::string list = "(";
            list += (*it)[2].str();
            list += ')';
            const std::vector<std::string> params = callArguments(list, 0);
            for (size_t i = 0; i < params.size(); ++i) {
                if (std::regex_search(trim(params[i]), param)) out[(*it)[1]] = i;
            }
        }
    }
    return out;
}

const HelpTopicName* tableEntry(long topic) {
    for (const HelpTopicName& entry : kHelpTopics)
        if (entry.topic == topic) return &entry;
    return nullptr;
}

TEST(HelpTopics, TheTableNamesEachConstantOnce) {
    std::set<long> topics;
    std::set<std::string_view> names;
    for (const HelpTopicName& entry : kHelpTopics) {
        EXPECT_NE(entry.topic, help_topic::None) << entry.name;
        EXPECT_TRUE(topics.insert(entry.topic).second) << "topic " << entry.topic << " twice";
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name << " twice";
    }
    // Each constant of the header is a row of its table, under its own name.
    const std::string header = test::readFile(test::sourceDir() / "desk/core/help_topics.h");
    static const std::regex constant(R"(inline\s+constexpr\s+long\s+(\w+)\s*=\s*(\d+)\s*;)");
    size_t constants = 0;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), constant);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        const long topic = std::stol((*it)[2]);
        if (name == "None") continue;
        ++constants;
        const HelpTopicName* entry = tableEntry(topic);
        EXPECT_TRUE(entry != nullptr && entry->name == name)
            << "help_topic::" << name << " (" << topic << ") is not in kHelpTopics as " << name;
    }
    EXPECT_EQ(constants, kHelpTopics.size()) << "kHelpTopics has rows no constant names";
}

TEST(HelpTopics, NoSourcePassesABareNumberAsATopic) {
    std::vector<Source> code = deskSources();
    for (Source& s : code) s.text = codeOnly(s.text);
    const std::map<std::string, size_t> helpParams = helpParameters(code);
    // The walk must know the ways a topic reaches the runtime.
    for (const char* entry : {"setHelpContextID", "ShowHelpTopic", "ShowMessage", "MessageBox"})
        EXPECT_TRUE(helpParams.count(entry)) << entry << " not seen as taking a help topic";

    static const std::regex call(R"((\w+)\s*\()");
    static const std::regex number(R"([-+]?\s*(0[xX])?[0-9][0-9a-fA-FxXuUlL']*)");
    static const std::regex localConstant(
        R"(constexpr\s+long\s+\w*(Help|Topic)\w*\s*=\s*[0-9][^;]*;)");
    size_t named = 0;
    for (const Source& s : code) {
        if (fs::path(s.path).filename() == "help_topics.h") continue;
        auto where = [&s](size_t at) {
            return fs::relative(s.path, test::sourceDir()).string() + ":" +
                   std::to_string(std::count(s.text.begin(), s.text.begin() + at, '\n') + 1);
        };
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), call);
             it != std::sregex_iterator(); ++it) {
            auto p = helpParams.find((*it)[1]);
            if (p == helpParams.end()) continue;
            const size_t open = static_cast<size_t>(it->position(0) + it->length(0) - 1);
            const std::vector<std::string> args = callArguments(s.text, open);
            if (p->second >= args.size()) continue;
            const std::string arg = trim(args[p->second]);
            EXPECT_FALSE(std::regex_match(arg, number))
                << where(static_cast<size_t>(it->position(0))) << ": " << (*it)[1].str()
                << " is given the bare topic " << arg << "; name it in desk/core/help_topics.h";
            if (arg.starts_with("help_topic::")) ++named;
        }
        // A topic of its own beside the header's, "constexpr long kOpenHelp = 97;".
        for (auto it = std::sregex_iterator(s.text.begin(), s.text.end(), localConstant);
             it != std::sregex_iterator(); ++it) {
            ADD_FAILURE() << where(static_cast<size_t>(it->position(0))) << ": " << it->str()
                          << "; name the topic in desk/core/help_topics.h";
        }
    }
    EXPECT_GT(named, 50u) << "the walk found the calls that give a topic";
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

// What a window shows as shownCaption gives it: the captions on screen, and the tips that
// name picture buttons and other controls without a caption.
struct Names {
    std::set<std::string> captions, tips;
};

Names namesOf(const std::string& name) {
    const Window& w = windows().at(name);
    Names out;
    auto addTo = [](std::set<std::string>& set, const std::string& caption) {
        std::string shown = shownCaption(caption);
        if (!shown.empty()) set.insert(shown);
    };
    auto add = [&](const std::string& caption) { addTo(out.captions, caption); };
    auto tip = [&](const std::string& text) { addTo(out.tips, text); };
    std::unique_ptr<ui::Form> form = w.make();
    form->loadDesign();
    add(form->Caption());
    for (ui::Control* c : form->controls()) {
        tip(c->ToolTipText());
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
            for (int i = 1; i <= t->ButtonCount(); ++i) tip(t->Buttons(i).ToolTipText());
        }
    }
    form.reset();
    static const std::regex given(
        R"re((setCaption|setToolTipText)\(\s*"((?:[^"\\]|\\.)*)"\s*\)|setTabCaption\(\s*\w+\s*,\s*"((?:[^"\\]|\\.)*)"\s*\))re");
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
                if ((*it)[1].matched && (*it)[1].str() == "setToolTipText")
                    tip((*it)[2].str());
                else
                    add((*it)[2].matched ? (*it)[2].str() : (*it)[3].str());
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
    const fs::path help = test::sourceDir() / "data" / "help";
    const std::string contents = test::readFile(help / "index.html");
    for (const HelpTopicName& entry : kHelpTopics) {
        const fs::path page = help / (std::to_string(entry.topic) + ".html");
        EXPECT_TRUE(fs::is_regular_file(page))
            << "no help page for topic " << entry.topic << " (" << entry.name << ")";
        if (!fs::is_regular_file(page)) continue;
        // A page of ours: a title, some text and the way back to the contents.
        const std::string text = test::readFile(page);
        EXPECT_NE(text.find("<h1>"), std::string::npos) << page;
        EXPECT_NE(text.find("href=\"index.html\""), std::string::npos) << page;
        EXPECT_NE(contents.find("href=\"" + page.filename().string()), std::string::npos)
            << page.filename() << " is not listed in the contents";
    }
}

TEST(HelpPages, EveryPageIsATopicOffered) {
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(test::sourceDir() / "data" / "help")) {
        if (e.path().extension() != ".html" || e.path().filename() == "index.html") continue;
        ++pages;
        const std::string stem = e.path().stem().string();
        const bool number =
            !stem.empty() && stem.find_first_not_of("0123456789") == std::string::npos;
        EXPECT_TRUE(number && tableEntry(std::stol(stem)) != nullptr)
            << e.path().filename() << " is the page of no topic in kHelpTopics";
    }
    EXPECT_EQ(pages, kHelpTopics.size());
}

// A button without words shows a picture that says what it does. "..." is the browse caption:
// it is left to buttons that choose a file ("Locate ...", "Select ...", "Open ..."), never to a
// button that does something else (the level and recording device buttons).
TEST(HelpPages, EveryButtonWithoutWordsShowsWhatItDoes) {
    ui::test::Script ui;
    ResetGlobal();
    size_t pictured = 0;
    for (const auto& [name, w] : windows()) {
        std::unique_ptr<ui::Form> form = w.make();
        form->loadDesign();
        for (ui::Control* c : form->controls()) {
            auto* b = dynamic_cast<ui::CommandButton*>(c);
            if (b == nullptr) continue;
            SCOPED_TRACE(name + "." + b->Name() + " \"" + b->ToolTipText() + "\"");
            const std::string tip = b->ToolTipText();
            if (!b->getPicture().empty()) {
                ++pictured;
                EXPECT_FALSE(tip.empty()) << "a picture button is named by its tip";
            } else if (b->Caption() == "...") {
                const bool browse = tip.rfind("Locate ", 0) == 0 || tip.rfind("Select ", 0) == 0 ||
                                    tip.rfind("Open ", 0) == 0;
                EXPECT_TRUE(browse) << "\"...\" on a button that chooses no file";
            } else {
                EXPECT_FALSE(trim(b->Caption()).empty())
                    << "a button with neither words nor picture";
            }
        }
    }
    ResetGlobal();
    EXPECT_GE(pictured, 2u);  // the level and the recording device buttons at least
}

TEST(HelpPages, EveryPageExplainsWithTheWindowsOwnCaptions) {
    ui::test::Script ui;  // any box a window's design raised would fail the test
    ResetGlobal();
    std::map<std::string, Names> names;
    for (const auto& [name, w] : windows()) names[name] = namesOf(name);
    ResetGlobal();
    if (const char* dump = std::getenv("VELTRANE_DUMP_CAPTIONS"); dump != nullptr && *dump) {
        for (const auto& [name, n] : names) {
            std::cout << name << ":";
            for (const auto& c : n.captions) std::cout << " [" << c << "]";
            std::cout << "\n  tips:";
            for (const auto& c : n.tips) std::cout << " [" << c << "]";
            std::cout << "\n";
        }
    }
    // The walk sees what the windows really show, including captions set by their code later,
    // and tells a caption on screen from a tip that only shows under the pointer.
    EXPECT_TRUE(names["frmCustomize"].captions.count("Linked Applications"));
    EXPECT_TRUE(names["frmMain"].captions.count("New Project Wizard"));
    EXPECT_FALSE(names["frmMain"].captions.count("Open ZeruZirado"));
    EXPECT_TRUE(names["frmLive"].captions.count("Current Chord"));
    EXPECT_TRUE(names["frmLive"].tips.count("Adjust Recording Level"));
    EXPECT_FALSE(names["frmLive"].captions.count("Adjust Recording Level"));
    EXPECT_FALSE(names["frmCustomize"].captions.count("Set Threshold"));

    const fs::path help = test::sourceDir() / "data" / "help";
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(help)) {
        if (e.path().extension() != ".html" || e.path().filename() == "index.html") continue;
        ++pages;
        const std::string page = e.path().filename().string();
        const std::string text = test::readFile(e.path());
        EXPECT_GE(wordCount(text), 120u) << page << " says too little";
        std::smatch m;
        Names known;
        std::string named;
        if (std::regex_search(text, m,
                              std::regex(R"re(<meta name="windows" content="([^"]*)">)re"))) {
            std::istringstream list(m[1].str());
            for (std::string w; list >> w;) {
                named += " " + w;
                EXPECT_TRUE(names.count(w)) << page << " names the unknown window " << w;
                known.captions.insert(names[w].captions.begin(), names[w].captions.end());
                known.tips.insert(names[w].tips.begin(), names[w].tips.end());
            }
        }
        // A caption is named as it shows; a control known only by its tip is named as a tip:
        // <b class="tip"> right after words that call it one ("the button whose tip reads").
        static const std::regex mark(R"re(<b class="(caption|tip)">([^<]*)</b>)re");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), mark);
             it != std::sregex_iterator(); ++it) {
            const std::string shown = shownCaption(plain((*it)[2].str()));
            if ((*it)[1].str() == "caption") {
                EXPECT_TRUE(known.captions.count(shown))
                    << page << " names \"" << shown << "\" as a caption, which none of its "
                    << "windows (" << named << " ) shows"
                    << (known.tips.count(shown) ? " (it is a tip)" : "");
                continue;
            }
            EXPECT_TRUE(known.tips.count(shown))
                << page << " names \"" << shown << "\" as a tip, which none of its windows ("
                << named << " ) has";
            const size_t at = static_cast<size_t>(it->position(0));
            const std::string before =
                plain(text.substr(at >= 80 ? at - 80 : 0, at >= 80 ? 80 : at));
            EXPECT_NE(before.find("tip reads"), std::string::npos)
                << page << " names the tip \"" << shown << "\" without calling it a tip";
        }
    }
    EXPECT_GT(pages, 60u);
}

}  // namespace
}  // namespace velt::desk
