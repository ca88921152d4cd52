#include "desk/ui/forms.h"

#include <QCoreApplication>

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
