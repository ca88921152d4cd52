// Context help: the contents page or a numbered topic of the program's help. BrowserHelp opens
// help/index.html or help/<topic>.html of the install folder in the browser; a missing page
// opens nothing and reports "no window" (false), as a missing help viewer did.
#pragma once

#include <filesystem>
#include <vector>

namespace velt::platform {

class Shell;

class Help {
  public:
    virtual ~Help() = default;
    virtual bool showContents() = 0;
    virtual bool showTopic(long topic) = 0;
};

class BrowserHelp : public Help {
  public:
    BrowserHelp(std::filesystem::path installFolder, Shell& shell);
    bool showContents() override;
    bool showTopic(long topic) override;

    std::filesystem::path contentsPage() const;
    std::filesystem::path topicPage(long topic) const;

  private:
    bool open(const std::filesystem::path& page);

    std::filesystem::path installFolder_;
    Shell& shell_;
};

// Records every request and answers with `result`.
class RecordingHelp : public Help {
  public:
    struct Call {
        bool contents = false;
        long topic = 0;  // 0 for the contents page
    };

    bool showContents() override;
    bool showTopic(long topic) override;

    std::vector<long> topics() const;  // the numbered topics asked for, in order

    std::vector<Call> calls;
    bool result = true;
};

}  // namespace velt::platform
