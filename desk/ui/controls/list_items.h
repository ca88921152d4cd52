// The rows and the selection shared by combo and list boxes: AddItem, RemoveItem, Clear and
// List(i) with the selection kept on its row, and the refusal of indexes out of range.
#pragma once

#include <string>
#include <vector>

namespace velt::ui {

struct ListItems {
    std::vector<std::string> rows;
    int index = -1;  // the selected row, -1 for none

    int count() const { return static_cast<int>(rows.size()); }
    bool valid(int i) const { return i >= 0 && i < count(); }
    const std::string& at(int i) const {
        static const std::string none;
        return valid(i) ? rows[static_cast<size_t>(i)] : none;
    }
    bool add(const std::string& text, int at) {
        if (at == -1) at = count();
        if (at < 0 || at > count()) return false;
        rows.insert(rows.begin() + at, text);
        if (index >= at) ++index;
        return true;
    }
    // True when the selected row itself went away.
    bool remove(int i, bool& ok) {
        ok = valid(i);
        if (!ok) return false;
        rows.erase(rows.begin() + i);
        if (i == index) {
            index = -1;
            return true;
        }
        if (i < index) --index;
        return false;
    }
    int find(const std::string& text) const {
        for (int i = 0; i < count(); ++i) {
            if (rows[static_cast<size_t>(i)] == text) return i;
        }
        return -1;
    }
    // The next row after `from` whose text starts with the letter, wrapping; -1 when none.
    int nextStartingWith(char letter, int from) const {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        for (int step = 1; step <= count(); ++step) {
            int i = (from + step + count()) % count();
            const std::string& r = rows[static_cast<size_t>(i)];
            if (!r.empty() && lower(r[0]) == lower(letter)) return i;
        }
        return -1;
    }
};

}  // namespace velt::ui
