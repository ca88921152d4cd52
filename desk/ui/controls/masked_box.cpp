#include "desk/ui/controls/masked_box.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace velt::ui {

QWidget* MaskedBox::createWidget(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    QObject::connect(e, &QLineEdit::cursorPositionChanged, guard(), [this, e](int, int pos) {
        if (!inert()) {
            s_.selStart = std::clamp(pos, 0, static_cast<int>(s_.text.size()));
            s_.selLength = 0;
        }
        (void)e;
    });
    widget_ = e;
    push();
    return e;
}

void MaskedBox::push() {
    auto* e = qobject_cast<QLineEdit*>(widget_.data());
    if (e == nullptr) return;
    QSignalBlocker block(e);
    e->setText(QString::fromStdString(s_.text));
    if (s_.selLength > 0) {
        e->setSelection(s_.selStart, s_.selLength);
    } else {
        e->setCursorPosition(s_.selStart);
    }
}

std::string MaskedBox::emptyText() const {
    std::string t = s_.mask;
    for (size_t i = 0; i < t.size(); ++i) {
        if (digitAt(i)) t[i] = '_';
    }
    return t;
}

Status MaskedBox::setMask(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.mask = v;
    s_.text = emptyText();
    s_.selStart = 0;
    s_.selLength = 0;
    push();
    return Status::Ok;
}

Status MaskedBox::setText(const std::string& v) {
    if (inert()) return Status::Refused;
    std::string next = v.empty() ? emptyText() : v;
    if (next.size() != s_.mask.size()) return refused("text doesn't fit the mask");
    for (size_t i = 0; i < next.size(); ++i) {
        bool ok = digitAt(i) ? ((next[i] >= '0' && next[i] <= '9') || next[i] == '_')
                             : next[i] == s_.mask[i];
        if (!ok) return refused("text doesn't fit the mask");
    }
    if (next == s_.text) return Status::Ok;
    s_.text = next;
    s_.selStart = static_cast<int>(next.size());
    s_.selLength = 0;
    push();
    raise("Change", Change, Raise::Code);
    return Status::Ok;
}

Status MaskedBox::setSelStart(int v) {
    if (inert()) return Status::Refused;
    s_.selStart = std::clamp(v, 0, static_cast<int>(s_.text.size()));
    s_.selLength = 0;
    push();
    return Status::Ok;
}

Status MaskedBox::setSelLength(int v) {
    if (inert()) return Status::Refused;
    s_.selLength = std::clamp(v, 0, static_cast<int>(s_.text.size()) - s_.selStart);
    push();
    return Status::Ok;
}

void MaskedBox::edit(size_t pos, char c, int caret) {
    bool changed = s_.text[pos] != c;
    s_.text[pos] = c;
    s_.selStart = caret;
    s_.selLength = 0;
    push();
    if (changed) raise("Change", Change, Raise::Code);
}

void MaskedBox::userAscii(int k) {
    if (k >= '0' && k <= '9') {
        for (size_t i = static_cast<size_t>(s_.selStart); i < s_.text.size(); ++i) {
            if (digitAt(i)) {
                edit(i, static_cast<char>(k), static_cast<int>(i) + 1);
                return;
            }
        }
        return;
    }
    if (k == 8) {
        for (int i = s_.selStart - 1; i >= 0; --i) {
            if (digitAt(static_cast<size_t>(i))) {
                edit(static_cast<size_t>(i), '_', i);
                return;
            }
        }
    }
    // Any other character is refused: no edit.
}

void MaskedBox::userKey(Key key) {
    int len = static_cast<int>(s_.text.size());
    switch (key) {
        case Key::Delete:
            for (size_t i = static_cast<size_t>(s_.selStart); i < s_.text.size(); ++i) {
                if (digitAt(i)) {
                    edit(i, '_', s_.selStart);
                    return;
                }
            }
            return;
        case Key::Left:
            s_.selStart = std::max(0, s_.selStart - 1);
            break;
        case Key::Right:
            s_.selStart = std::min(len, s_.selStart + 1);
            break;
        case Key::Home:
            s_.selStart = 0;
            break;
        case Key::End:
            s_.selStart = len;
            break;
        default:
            return;
    }
    s_.selLength = 0;
    push();
}

void MaskedBox::focusGained(FocusReason reason) {
    if (reason == FocusReason::Tab || reason == FocusReason::Mnemonic) {
        s_.selStart = 0;
        s_.selLength = static_cast<int>(s_.text.size());
    } else if (reason == FocusReason::Mouse) {
        s_.selStart = 0;
        s_.selLength = 0;
    }
    push();
}

}  // namespace velt::ui
