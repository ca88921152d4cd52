#include "platform/help/help.h"

#include <string>

#include "platform/shell/shell.h"

namespace velt::platform {

BrowserHelp::BrowserHelp(std::filesystem::path installFolder, Shell& shell)
    : installFolder_(std::move(installFolder)), shell_(shell) {}

std::filesystem::path BrowserHelp::contentsPage() const {
    return installFolder_ / "help" / "index.html";
}

std::filesystem::path BrowserHelp::topicPage(long topic) const {
    return installFolder_ / "help" / (std::to_string(topic) + ".html");
}

bool BrowserHelp::open(const std::filesystem::path& page) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec)) return false;
    return shell_.openDocument(page.string());
}

bool BrowserHelp::showContents() {
    return open(contentsPage());
}

bool BrowserHelp::showTopic(long topic) {
    if (topic <= 0) return false;
    return open(topicPage(topic));
}

bool RecordingHelp::showContents() {
    calls.push_back({true, 0});
    return result;
}

bool RecordingHelp::showTopic(long topic) {
    calls.push_back({false, topic});
    return result;
}

std::vector<long> RecordingHelp::topics() const {
    std::vector<long> out;
    for (const auto& c : calls) {
        if (!c.contents) out.push_back(c.topic);
    }
    return out;
}

}  // namespace velt::platform
