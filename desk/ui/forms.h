// Default form instances and the registry of form factories. The first reference through the
// accessor creates the instance and loads it hidden; Unload keeps the instance (form-level data
// keeps its values) and Release forgets it, so the next reference gets a fresh one. A test or an
// unfinished subsystem installs a factory that makes a stand-in. A program calls releaseAll()
// before its QApplication goes away, so no widget outlives it.
#pragma once

#include <functional>
#include <memory>
#include <typeindex>

#include "desk/ui/form.h"

namespace velt::ui {

namespace forms {

using Factory = std::function<std::unique_ptr<Form>()>;

// The registry's slot for one form class.
struct Slot {
    Factory factory;
    std::unique_ptr<Form> instance;
};
Slot& slot(std::type_index type);
// Every instance, in order of creation.
std::vector<Form*> instances();

template <class T>
T& get() {
    Slot& s = slot(typeid(T));
    if (!s.instance) s.instance = s.factory ? s.factory() : std::make_unique<T>();
    Form& f = *s.instance;
    if (!f.loaded()) f.load();
    return static_cast<T&>(f);
}

template <class T>
void install(std::function<std::unique_ptr<T>()> factory) {
    slot(typeid(T)).factory = [factory] { return std::unique_ptr<Form>(factory()); };
}

template <class T>
T* existing() {
    Slot& s = slot(typeid(T));
    return static_cast<T*>(s.instance.get());
}

// The form the user is at: the one whose window is active, else the one shown last that is
// still shown; never `except`. Null when no form is shown. Owner of new windows and boxes.
Form* activeForm(const Form* except = nullptr);
// The window a box or file dialog belongs to (centred on, kept above): the active window when
// it is an open dialog, else the window of activeForm(). Never the window of a form that is
// unloaded or hidden, whatever Qt reports as active. Null when there is none.
QWidget* dialogParent();
// Program end: every loaded form but `except` is unloaded (Cancel ignored).
void unloadAll(Form* except = nullptr);
// Unloads and forgets every instance and every installed factory (tests, program end).
void releaseAll();
void release(std::type_index type);

}  // namespace forms

template <class T>
bool isLoaded() {
    T* f = forms::existing<T>();
    return f != nullptr && f->loaded();
}

template <class T>
T& Load() {
    return forms::get<T>();
}

// Unloads a loaded form; a form that isn't loaded is left alone (not loaded first).
template <class T>
bool Unload() {
    T* f = forms::existing<T>();
    return f == nullptr || f->unload();
}

template <class T>
void Release() {
    forms::release(typeid(T));
}

}  // namespace velt::ui
