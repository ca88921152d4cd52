#include "desk/ui/testing/real_input.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "desk/ui/form.h"

namespace velt::ui::test {

namespace {

std::vector<MenuItem*> chainOf(MenuItem& item) {
    std::vector<MenuItem*> chain;
    for (MenuItem* m = &item; m != nullptr; m = m->parentItem()) chain.insert(chain.begin(), m);
    return chain;
}

QMenuBar* barOf(MenuItem& item) {
    Form* f = item.parentForm();
    if (f == nullptr || f->window() == nullptr) return nullptr;
    return f->window()->findChild<QMenuBar*>();
}

// The letter after the first single "&" of a caption, as Qt reads mnemonics.
Qt::Key mnemonicKey(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        if (c >= 'A' && c <= 'Z') return static_cast<Qt::Key>(Qt::Key_A + (c - 'A'));
        if (c >= '0' && c <= '9') return static_cast<Qt::Key>(Qt::Key_0 + (c - '0'));
        break;
    }
    return Qt::Key_unknown;
}

bool opened(QMenu* menu) {
    return menu != nullptr && menu->isVisible();
}

}  // namespace

bool RealInput::menuByMouse(MenuItem& item) {
    std::vector<MenuItem*> chain = chainOf(item);
    QMenuBar* bar = barOf(item);
    if (bar == nullptr || chain.front()->qtAction() == nullptr) return false;
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(chain.front()->qtAction()).center());
    for (size_t i = 1; i < chain.size(); ++i) {
        QMenu* menu = chain[i - 1]->qtMenu();
        QAction* action = chain[i]->qtAction();
        if (!opened(menu) || action == nullptr) return false;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    return true;
}

bool RealInput::menuByKeys(MenuItem& item) {
    std::vector<MenuItem*> chain = chainOf(item);
    Form* f = item.parentForm();
    if (barOf(item) == nullptr) return false;
    QWidget* window = f->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, mnemonicKey(chain.front()->Caption()), Qt::AltModifier);
    for (size_t i = 1; i < chain.size(); ++i) {
        QMenu* menu = chain[i - 1]->qtMenu();
        if (!opened(menu)) return false;
        QTest::keyClick(menu, mnemonicKey(chain[i]->Caption()));
    }
    return true;
}

bool RealInput::click(CommandButton& button) {
    auto* widget = qobject_cast<QPushButton*>(button.widget());
    if (widget == nullptr) return false;
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

void RealInput::settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace velt::ui::test
