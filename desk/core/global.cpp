#include "desk/core/global.h"

namespace velt::desk {

std::string& TextList::operator()(int32_t i) {
    if (i < 1 || i > size()) {
        scratch_.clear();
        return scratch_;
    }
    return items_[static_cast<size_t>(i - 1)];
}

const std::string& TextList::operator()(int32_t i) const {
    if (i < 1 || i > size()) {
        scratch_.clear();
        return scratch_;
    }
    return items_[static_cast<size_t>(i - 1)];
}

void TextList::redim(int32_t count) {
    items_.resize(count > 0 ? static_cast<size_t>(count) : 0);
}

namespace {
Global& state() {
    static Global global;
    return global;
}
}  // namespace

Global& G() {
    return state();
}

void ResetGlobal() {
    state() = Global{};
    MainWindow() = MainWindowHooks{};
}

MainWindowHooks& MainWindow() {
    static MainWindowHooks hooks;
    return hooks;
}

WindowHooks& Windows() {
    static WindowHooks hooks;
    return hooks;
}

}  // namespace velt::desk
