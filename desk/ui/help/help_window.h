// The program's own help window: the bundled pages (help/index.html and help/<topic>.html) in a
// text browser, with the contents beside them, Back and Forward, and links between the pages, so
// help needs no outside program. A web browser is optional: the window's "Open in Web Browser"
// button hands the page to one. A page that isn't there is named in a box; the window then
// keeps what it showed. The window is never modal: it has a Close button and closes on Esc, and
// opened from a modal window it becomes a window of that one, so that both take input.
#pragma once

#include <QMetaObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/help/help.h"

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;
class QWidget;

namespace velt::ui {

class HelpWindow : public platform::Help {
  public:
    // `openOutside` opens a page or web address in an outside program (false when it could
    // not); without it the window offers no web browser.
    using OpenOutside = std::function<bool(const std::string&)>;
    explicit HelpWindow(std::filesystem::path helpFolder, OpenOutside openOutside = {});
    ~HelpWindow() override;
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    bool showContents() override;
    bool showTopic(long topic) override;

    std::filesystem::path contentsPage() const { return folder_ / "index.html"; }
    std::filesystem::path topicPage(long topic) const;

    // The window while it exists (made by the first page shown), for tests and grabs.
    QWidget* window() const;
    // The page shown, "" before the first.
    std::filesystem::path currentPage() const;

    // One entry of the contents: a page's title and its file name.
    struct Entry {
        std::string title, file;
    };
    // The entries listed by a contents page, in its order.
    static std::vector<Entry> ContentsOf(const std::string& indexHtml);

  private:
    bool open(const std::filesystem::path& page);
    void build();
    void followLink(const QUrl& link);
    // Makes the window one of `owner`'s windows (none: a window of its own), so that a modal
    // owner lets it take input; it stays where it is and as it is.
    void follow(QWidget* owner);
    void ownerGone();
    void closeWindow();  // Close and Esc
    void openInBrowser();
    void reportMissing(const std::filesystem::path& page);
    void syncContents();

    std::filesystem::path folder_;
    OpenOutside openOutside_;
    QPointer<QWidget> window_;
    QPointer<QWidget> owner_;   // the window it belongs to, if any
    QObject* watch_ = nullptr;  // watches the owner's close; a child of the window
    QMetaObject::Connection ownerDestroyed_;
    QTextBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
};

}  // namespace velt::ui
