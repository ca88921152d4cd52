// Control arrays: elements with indexes (gaps allowed) sharing one name and one set of handlers,
// which receive the element's Index first. An index that isn't in the array gives an inert
// element whose setters do nothing; the access is logged as a refusal.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "desk/ui/runtime.h"

namespace velt::ui {

class Form;

template <class T>
class ControlArray {
  public:
    // Elements listed here are created with the array, so they take its place in the form's
    // order (tab order ties, menu positions). Extra arguments go to every element's constructor.
    template <class... Extra>
    ControlArray(Form* form, std::string name, std::initializer_list<int> indexes = {},
                 Extra... extra)
        : form_(form), name_(std::move(name)), inert_(nullptr, name_, -1, extra...) {
        for (int i : indexes) add(i, extra...);
    }

    template <class... Extra>
    T& add(int index, Extra... extra) {
        auto& slot = elements_[index];
        if (!slot) {
            slot = std::make_unique<T>(form_, name_, index, extra...);
            for (auto& wire : wiring_) wire(*slot);
        }
        return *slot;
    }

    T& operator()(int index) {
        auto it = elements_.find(index);
        if (it == elements_.end()) {
            runtime().refuse(name_ + "(" + std::to_string(index) + "): no such element");
            return inert_;
        }
        return *it->second;
    }
    bool exists(int index) const { return elements_.count(index) != 0; }
    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
    int Count() const { return static_cast<int>(elements_.size()); }
    std::vector<int> indexes() const {
        std::vector<int> out;
        for (const auto& e : elements_) out.push_back(e.first);
        return out;
    }
    const std::string& Name() const { return name_; }

    // Wires one event of every element to a handler taking the Index first:
    // optFilter.on(&OptionButton::Click, [this](int Index) { optFilter_Click(Index); });
    // The event may be declared by the element's class or by a base (GotFocus, KeyPress).
    template <class C, class... A, class F>
    void on(Event<A...> C::*event, F handler) {
        static_assert(std::is_base_of_v<C, T>, "the event must belong to the element's class");
        auto wire = [event, handler](T& element) {
            int index = element.Index();
            element.*event = [handler, index](A... args) { handler(index, args...); };
        };
        for (auto& e : elements_) wire(*e.second);
        wiring_.push_back(wire);
    }

  private:
    Form* form_;
    std::string name_;
    std::map<int, std::unique_ptr<T>> elements_;
    T inert_;
    std::vector<std::function<void(T&)>> wiring_;
};

}  // namespace velt::ui
