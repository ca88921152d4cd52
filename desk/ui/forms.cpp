#include "desk/ui/forms.h"

#include <QApplication>
#include <QWindow>
#include <map>
#include <vector>

namespace velt::ui::forms {

namespace {

struct Registry {
    std::map<std::type_index, Slot> entries;
    std::vector<std::type_index> order;  // of first use
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

Slot& slot(std::type_index type) {
    Registry& r = registry();
    auto it = r.entries.find(type);
    if (it == r.entries.end()) {
        it = r.entries.emplace(type, Slot{}).first;
        r.order.push_back(type);
    }
    return it->second;
}

std::vector<Form*> instances() {
    std::vector<Form*> out;
    for (const auto& type : registry().order) {
        auto it = registry().entries.find(type);
        if (it != registry().entries.end() && it->second.instance)
            out.push_back(it->second.instance.get());
    }
    return out;
}

namespace {
// True when `f`'s window is kept above `owner`'s (directly or through other windows).
bool ownedBy(const Form& f, const Form* owner) {
    if (owner == nullptr || owner->window() == nullptr || f.window() == nullptr) return false;
    const QWindow* target = owner->window()->windowHandle();
    if (target == nullptr) return false;
    for (const QWindow* w = f.window()->windowHandle(); w != nullptr; w = w->transientParent())
        if (w == target) return true;
    return false;
}
}  // namespace

Form* activeForm(const Form* except) {
    Form* latest = nullptr;
    for (Form* f : instances()) {
        if (f == except || !f->loaded() || !f->Visible() || f->window() == nullptr) continue;
        if (ownedBy(*f, except)) continue;  // a window it owns (the splash) can't own it
        if (f->window() == QApplication::activeWindow()) return f;
        if (latest == nullptr || f->shownOrder() > latest->shownOrder()) latest = f;
    }
    return latest;
}

QWidget* dialogParent() {
    // Qt's active window may be a form's window that has been unloaded and waits for its
    // deletion: the window system's activation of a clicked window can arrive after the click
    // has unloaded it. A box belongs only to an open dialog (a file dialog asking its question)
    // or to a shown form.
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active->isVisible() && !Form::isFormWindow(active)) return active;
    Form* f = activeForm();
    return f != nullptr ? f->window() : nullptr;
}

void unloadAll(Form* except) {
    for (Form* f : instances()) {
        if (f != except && f->loaded()) f->unload(true);
    }
}

void release(std::type_index type) {
    auto& entries = registry().entries;
    auto it = entries.find(type);
    if (it == entries.end() || !it->second.instance) return;
    std::unique_ptr<Form> instance = std::move(it->second.instance);
    if (instance->loaded()) instance->unload(true);
}

void releaseAll() {
    // Unload first (handlers may still reach other forms), then destroy newest first.
    unloadAll();
    Registry& r = registry();
    for (auto it = r.order.rbegin(); it != r.order.rend(); ++it) {
        auto s = r.entries.find(*it);
        if (s != r.entries.end()) s->second.instance.reset();
    }
    r.entries.clear();
    r.order.clear();
    // The unloaded windows wait for the event loop to delete them; at program or test end
    // nothing of them may outlive this call.
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace velt::ui::forms
