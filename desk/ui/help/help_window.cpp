#include "desk/ui/help/help_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <regex>

#include "desk/ui/dialogs/message_box.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

namespace fs = std::filesystem;

namespace {

std::string plainText(std::string html) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, text] : kEntities) {
        for (size_t at = html.find(entity); at != std::string::npos;
             at = html.find(entity, at + 1)) {
            html.replace(at, std::string(entity).size(), text);
        }
    }
    return html;
}

// Tells the help window when the window it belongs to closes.
class OwnerWatch : public QObject {
  public:
    OwnerWatch(QObject* parent, std::function<void()> gone)
        : QObject(parent), gone_(std::move(gone)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) gone_();
        return false;
    }

  private:
    std::function<void()> gone_;
};

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

}  // namespace

HelpWindow::HelpWindow(fs::path helpFolder, OpenOutside openOutside)
    : folder_(std::move(helpFolder)), openOutside_(std::move(openOutside)) {}

HelpWindow::~HelpWindow() {
    // A widget can only go while the application object is there; at the very end of the
    // process the system takes it back.
    if (QCoreApplication::instance() != nullptr) delete window_.data();
}

fs::path HelpWindow::topicPage(long topic) const {
    return folder_ / (std::to_string(topic) + ".html");
}

QWidget* HelpWindow::window() const {
    return window_.data();
}

fs::path HelpWindow::currentPage() const {
    if (window_.isNull()) return {};
    return fs::path(browser_->source().toLocalFile().toStdString());
}

std::vector<HelpWindow::Entry> HelpWindow::ContentsOf(const std::string& indexHtml) {
    std::vector<Entry> out;
    static const std::regex link(R"re(<li>\s*<a\s+href="([^":#]+\.html)"\s*>([^<]*)</a>)re");
    for (auto it = std::sregex_iterator(indexHtml.begin(), indexHtml.end(), link);
         it != std::sregex_iterator(); ++it) {
        out.push_back({plainText((*it)[2].str()), (*it)[1].str()});
    }
    return out;
}

bool HelpWindow::showContents() {
    return open(contentsPage());
}

bool HelpWindow::showTopic(long topic) {
    if (topic <= 0) return false;
    return open(topicPage(topic));
}

void HelpWindow::reportMissing(const fs::path& page) {
    MessageBox("The help page '" + page.string() +
                   "' could not be found.  The help pages are installed in the folder 'help' "
                   "beside the program; installing the program again puts them back.",
               Exclamation, "Help");
}

bool HelpWindow::open(const fs::path& page) {
    std::error_code ec;
    if (!fs::is_regular_file(page, ec)) {
        reportMissing(page);
        return false;
    }
    if (window_.isNull()) build();
    browser_->setSource(
        QUrl::fromLocalFile(QString::fromStdString(fs::absolute(page, ec).string())));
    // Never modal: it explains a window and leaves it working. A modal window (a box, the
    // wizard, a modal form) blocks every window but its own, so help opened from one becomes one
    // of its windows; moving it to a new owner neither hides it nor moves it.
    QWidget* modal = QApplication::activeModalWidget();
    follow(modal != window_ ? modal : nullptr);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return true;
}

void HelpWindow::follow(QWidget* owner) {
    if (window_.isNull()) return;
    QWidget* ownerWindow = owner != nullptr ? owner->window() : nullptr;
    if (ownerWindow != nullptr) ownerWindow->winId();  // its platform window, to be owned by
    window_->winId();
    QWindow* handle = window_->windowHandle();
    QWindow* ownerHandle = ownerWindow != nullptr ? ownerWindow->windowHandle() : nullptr;
    if (handle == nullptr) return;
    if (handle->transientParent() != ownerHandle) handle->setTransientParent(ownerHandle);
    if (owner_ == ownerWindow) return;
    if (!owner_.isNull()) owner_->removeEventFilter(watch_);
    QObject::disconnect(ownerDestroyed_);
    owner_ = ownerWindow;
    if (ownerWindow == nullptr) return;
    ownerWindow->installEventFilter(watch_);
    ownerDestroyed_ =
        QObject::connect(ownerWindow, &QObject::destroyed, watch_, [this] { ownerGone(); });
}

void HelpWindow::closeWindow() {
    window_->close();
    // The keys go back to the window help was explaining.
    if (!owner_.isNull() && owner_->isVisible()) owner_->activateWindow();
}

void HelpWindow::ownerGone() {
    // The owner closed (a box answered, a modal form hidden) or went: help goes on as a window
    // of the modal window now on top, if any, once the owner's close has finished.
    QTimer::singleShot(0, window_.data(), [this] {
        if (window_.isNull() || !window_->isVisible()) return;
        QWidget* modal = QApplication::activeModalWidget();
        follow(modal != window_ ? modal : nullptr);
    });
}

void HelpWindow::build() {
    auto* window = new QWidget(nullptr, Qt::Window);
    window_ = window;
    window->setObjectName("helpWindow");
    window->setWindowTitle(QString::fromStdString(runtime().appTitle + " Help"));
    window->resize(880, 620);
    watch_ = new OwnerWatch(window, [this] { ownerGone(); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(esc, &QShortcut::activated, window, [this] { closeWindow(); });
    // The window goes when the program's event loop ends, before the application object.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp,
                     [w = window_] { delete w.data(); });

    auto* layout = new QVBoxLayout(window);
    auto* bar = new QHBoxLayout();
    auto button = [window, bar](const char* name, const char* text, const char* tip) {
        auto* b = new QToolButton(window);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(tip);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(b);
        return b;
    };
    back_ = button("back", "< &Back", "The page shown before");
    forward_ = button("forward", "&Forward >", "The page shown after");
    QToolButton* home = button("contents", "&Contents", "The list of all help topics");
    bar->addStretch();
    QToolButton* outside = nullptr;
    if (openOutside_)
        outside = button("webBrowser", "Open in &Web Browser", "This page in a web browser");
    auto* close = new QPushButton("Close", window);
    close->setObjectName("close");
    close->setAutoDefault(false);
    bar->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, window, [this] { closeWindow(); });
    layout->addLayout(bar);

    auto* split = new QSplitter(window);
    contents_ = new QListWidget(split);
    contents_->setObjectName("contentsList");
    browser_ = new QTextBrowser(split);
    browser_->setObjectName("page");
    browser_->setOpenLinks(false);  // every link goes through followLink
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 640});
    layout->addWidget(split, 1);

    std::error_code ec;
    if (fs::is_regular_file(contentsPage(), ec)) {
        std::string index;
        if (FILE* f = std::fopen(contentsPage().c_str(), "rb")) {
            char chunk[4096];
            for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) index.append(chunk, n);
            std::fclose(f);
        }
        for (const Entry& e : ContentsOf(index)) {
            auto* item = new QListWidgetItem(QString::fromStdString(e.title), contents_);
            item->setData(Qt::UserRole, QString::fromStdString(e.file));
        }
    }

    back_->setEnabled(false);
    forward_->setEnabled(false);
    QObject::connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    QObject::connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    QObject::connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    QObject::connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    QObject::connect(home, &QToolButton::clicked, window, [this] { showContents(); });
    QObject::connect(browser_, &QTextBrowser::anchorClicked, window,
                     [this](const QUrl& link) { followLink(link); });
    QObject::connect(browser_, &QTextBrowser::sourceChanged, window, [this] {
        QString title = browser_->documentTitle();
        window_->setWindowTitle(
            title.isEmpty() ? QString::fromStdString(runtime().appTitle + " Help") : title);
        syncContents();
    });
    auto openItem = [this](QListWidgetItem* item) {
        if (item != nullptr) open(folder_ / item->data(Qt::UserRole).toString().toStdString());
    };
    QObject::connect(contents_, &QListWidget::itemClicked, window, openItem);
    QObject::connect(contents_, &QListWidget::itemActivated, window, openItem);
    if (outside != nullptr)
        QObject::connect(outside, &QToolButton::clicked, window, [this] { openInBrowser(); });
}

void HelpWindow::syncContents() {
    const QString file = QString::fromStdString(currentPage().filename().string());
    QSignalBlocker quiet(contents_);
    contents_->clearSelection();
    for (int i = 0; i < contents_->count(); ++i) {
        if (contents_->item(i)->data(Qt::UserRole).toString() == file) {
            contents_->setCurrentRow(i);
            contents_->scrollToItem(contents_->item(i));
            return;
        }
    }
}

void HelpWindow::followLink(const QUrl& link) {
    if (isWebAddress(link)) {
        if (!openOutside_ || !openOutside_(link.toString().toStdString())) {
            MessageBox("Veltrane could not open a web browser for '" +
                           link.toString().toStdString() +
                           "'.  Open it in your web browser yourself.",
                       Exclamation, "Help");
        }
        return;
    }
    QUrl target = browser_->source().resolved(link);
    std::error_code ec;
    fs::path page(target.toLocalFile().toStdString());
    if (!fs::is_regular_file(page, ec)) {
        reportMissing(page);
        return;
    }
    browser_->setSource(target);
}

void HelpWindow::openInBrowser() {
    const fs::path page = currentPage();
    if (openOutside_ && openOutside_(page.string())) return;
    MessageBox("Veltrane could not start a web browser for the page '" + page.string() +
                   "'.  The page stays open in this window.",
               Exclamation, "Help");
}

}  // namespace velt::ui
