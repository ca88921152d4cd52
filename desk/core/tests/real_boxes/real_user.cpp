#include "real_user.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

namespace velt::desk::test_real {

namespace {

// Long enough for a loaded machine; a step that waits this long will never happen.
constexpr auto kStepLimit = std::chrono::seconds(60);
constexpr int kPollMs = 10;

QString withoutMnemonic(QString caption) {
    return caption.remove('&');
}

}  // namespace

RealUser::RealUser() {
    timer_.setInterval(kPollMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    waitingSince_ = std::chrono::steady_clock::now();
    timer_.start();
}

RealUser::~RealUser() {
    timer_.stop();
}

bool RealUser::takesInput(QWidget* window) {
    if (window == nullptr || !window->isVisible() || !window->isEnabled()) return false;
    QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == window;
}

QDialog* RealUser::openBox() {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return box != nullptr && box->objectName() == "messageBox" && box->isVisible() ? box : nullptr;
}

std::string RealUser::boxText(QDialog* box) {
    auto* label = box != nullptr ? box->findChild<QLabel*>("text") : nullptr;
    return label != nullptr ? label->text().toStdString() : std::string();
}

void RealUser::clickAsUser(QWidget* widget) {
    QPointer<QWidget> window = widget->window();
    // A check box or option button takes clicks on its mark and caption, at its left.
    const bool marked = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
    const QPoint at = marked ? QPoint(8, widget->height() / 2) : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    if (window) QApplication::setActiveWindow(window);
}

void RealUser::clickTab(QWidget* tabControl, int tab) {
    auto* bar = tabControl->findChild<QTabBar*>();
    if (bar == nullptr) return;
    QPointer<QWidget> window = bar->window();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    if (window) QApplication::setActiveWindow(window);
}

void RealUser::closeFrame(QWidget* window) {
    QPointer<QWidget> w = window;
    window->close();  // what the frame's close button asks
    if (w) QApplication::setActiveWindow(w);
}

void RealUser::step(std::string what, std::function<bool()> ready, std::function<void()> act) {
    if (steps_.empty()) waitingSince_ = std::chrono::steady_clock::now();
    steps_.push_back({std::move(what), std::move(ready), std::move(act)});
}

void RealUser::then(std::string what, std::function<QWidget*()> target) {
    step(
        std::move(what),
        [target] {
            QWidget* w = target();
            return w != nullptr && w->isVisible() && w->isEnabled();
        },
        [target] { clickAsUser(target()); });
}

void RealUser::answerBox(const std::string& textStart, const std::string& button) {
    step(
        "answer " + button + " to \"" + textStart + "\"",
        [textStart] { return boxText(openBox()).rfind(textStart, 0) == 0; },
        [this, button] {
            QDialog* box = openBox();
            answered_.push_back(boxText(box));
            for (QPushButton* b : box->findChildren<QPushButton*>()) {
                if (withoutMnemonic(b->text()).toStdString() == button) {
                    clickAsUser(b);
                    return;
                }
            }
            failures_.push_back("the box \"" + boxText(box) + "\" has no button " + button);
        });
}

void RealUser::chooseFile(const std::string& title, const std::string& path) {
    auto dialog = [title]() -> QFileDialog* {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return d != nullptr && d->isVisible() && d->windowTitle().toStdString() == title ? d
                                                                                         : nullptr;
    };
    step(
        "choose " + path + " in \"" + title + "\"", [dialog] { return dialog() != nullptr; },
        [dialog, path] {
            QFileDialog* d = dialog();
            auto* name = d->findChild<QLineEdit*>("fileNameEdit");
            if (name == nullptr) return;
            name->setFocus();
            name->selectAll();
            QTest::keyClick(name, Qt::Key_Delete);
            QTest::keyClicks(name, QString::fromStdString(path));
            QTest::keyClick(name, Qt::Key_Return);
        });
}

void RealUser::poll() {
    if (rescuing_) {
        rescue();
        return;
    }
    if (posted_ || steps_.empty()) return;
    Step& next = steps_.front();
    if (!next.ready()) {
        if (std::chrono::steady_clock::now() - waitingSince_ > kStepLimit) {
            QDialog* box = openBox();
            giveUp("never possible: " + next.what +
                   (box != nullptr ? " (open box: \"" + boxText(box) + "\")" : ""));
        }
        return;
    }
    Step taken = std::move(next);
    steps_.pop_front();
    posted_ = true;
    // The action runs as an event of its own: a modal window it opens runs its loop there,
    // while this poll goes on serving the next steps inside that loop.
    QTimer::singleShot(0, [this, act = std::move(taken.act)] {
        posted_ = false;
        waitingSince_ = std::chrono::steady_clock::now();
        ++running_;
        act();
        --running_;
        waitingSince_ = std::chrono::steady_clock::now();
    });
}

void RealUser::giveUp(const std::string& why) {
    failures_.push_back(why);
    steps_.clear();
    rescuing_ = true;
}

void RealUser::rescue() {
    // Unwinds whatever is open so that the road's call returns and the test can report.
    QWidget* modal = QApplication::activeModalWidget();
    if (QDialog* box = openBox()) {
        auto buttons = box->findChildren<QPushButton*>();
        if (!buttons.isEmpty()) buttons.front()->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else if (modal != nullptr) {
        for (ui::Form* f : ui::forms::instances())
            if (f->loaded() && f->window() == modal) f->unload(true);
    } else {
        rescuing_ = false;
    }
}

}  // namespace velt::desk::test_real
