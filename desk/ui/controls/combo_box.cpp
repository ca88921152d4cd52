#include "desk/ui/controls/combo_box.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "desk/ui/form.h"
#include "desk/ui/keys.h"

namespace velt::ui {

QWidget* ComboBox::createWidget(QWidget* parent) {
    auto* c = new QComboBox(parent);
    QObject::connect(c, &QComboBox::activated, guard(), [this](int row) { userPick(row); });
    widget_ = c;
    push();
    return c;
}

void ComboBox::push() {
    auto* c = qobject_cast<QComboBox*>(widget_.data());
    if (c == nullptr) return;
    QSignalBlocker block(c);
    bool editable = s_.style == DropDownCombo;
    if (c->isEditable() != editable) {
        c->setEditable(editable);
        if (editable) {
            c->setInsertPolicy(QComboBox::NoInsert);
            QLineEdit* e = c->lineEdit();
            // Edits Qt makes on its own (Delete, the caret keys' selection, the context menu)
            // come back as the combo's.
            QObject::connect(e, &QLineEdit::textEdited, guard(), [this, e](const QString& t) {
                editText(t.toStdString(), e->cursorPosition());
            });
            QObject::connect(e, &QLineEdit::selectionChanged, guard(), [this] { pullSelection(); });
            QObject::connect(e, &QLineEdit::cursorPositionChanged, guard(),
                             [this] { pullSelection(); });
            e->installEventFilter(guard());
        }
    }
    if (c->count() != s_.items.count() || [&] {
            for (int i = 0; i < c->count(); ++i) {
                if (c->itemText(i).toStdString() != s_.items.at(i)) return true;
            }
            return false;
        }()) {
        c->clear();
        for (const auto& r : s_.items.rows) c->addItem(QString::fromStdString(r));
    }
    c->setCurrentIndex(s_.items.index);
    if (editable && c->lineEdit() != nullptr) {
        pushing_ = true;
        QSignalBlocker blockEdit(c->lineEdit());
        c->setEditText(QString::fromStdString(s_.text));
        if (s_.selLength > 0) {
            c->lineEdit()->setSelection(s_.selStart, s_.selLength);
        } else {
            c->lineEdit()->setCursorPosition(s_.selStart);
        }
        pushing_ = false;
    }
}

int ComboBox::length() const {
    return static_cast<int>(QString::fromStdString(s_.text).size());
}

void ComboBox::pullSelection() {
    auto* c = qobject_cast<QComboBox*>(widget_.data());
    if (c == nullptr || c->lineEdit() == nullptr || pushing_ || inert()) return;
    QLineEdit* e = c->lineEdit();
    if (e->text().toStdString() != s_.text) return;  // an edit on its way through textEdited
    if (e->hasSelectedText()) {
        s_.selStart = e->selectionStart();
        s_.selLength = static_cast<int>(e->selectedText().size());
    } else {
        s_.selStart = e->cursorPosition();
        s_.selLength = 0;
    }
}

Status ComboBox::setStyle(int v) {
    if (inert()) return Status::Refused;
    if (v != DropDownCombo && v != DropDownList) return refused("Style must be 0 or 2");
    s_.style = v;
    push();
    return Status::Ok;
}

Status ComboBox::AddItem(const std::string& text, int index) {
    if (inert()) return Status::Refused;
    if (!s_.items.add(text, index)) return refused("AddItem index out of range");
    push();
    return Status::Ok;
}

Status ComboBox::RemoveItem(int index) {
    if (inert()) return Status::Refused;
    bool ok = false;
    bool selectedGone = s_.items.remove(index, ok);
    if (!ok) return refused("RemoveItem index out of range");
    if (selectedGone && s_.style == DropDownList) s_.text.clear();
    push();
    return Status::Ok;
}

void ComboBox::Clear() {
    if (inert()) return;
    s_.items = ListItems{};
    s_.text.clear();
    s_.selStart = s_.selLength = 0;
    push();
}

Status ComboBox::setList(int i, const std::string& text) {
    if (inert()) return Status::Refused;
    if (!s_.items.valid(i)) return refused("List index out of range");
    s_.items.rows[static_cast<size_t>(i)] = text;
    if (i == s_.items.index) s_.text = text;
    push();
    return Status::Ok;
}

void ComboBox::selectRow(int row, Raise kind) {
    s_.items.index = row;
    s_.text = s_.items.at(row);
    s_.selStart = length();
    s_.selLength = 0;
    push();
    raise("Click", Click, kind);
}

Status ComboBox::setListIndex(int i) {
    if (inert()) return Status::Refused;
    if (i == -1) {
        s_.items.index = -1;
        if (s_.style == DropDownList) s_.text.clear();
        push();
        return Status::Ok;
    }
    if (!s_.items.valid(i)) return refused("ListIndex out of range");
    selectRow(i, Raise::CodeClick);
    return Status::Ok;
}

Status ComboBox::setText(const std::string& v) {
    if (inert()) return Status::Refused;
    if (s_.style == DropDownList) {
        int row = s_.items.find(v);
        if (row < 0) return refused("no row with that text");
        selectRow(row, Raise::CodeClick);
        return Status::Ok;
    }
    if (v == s_.text) return Status::Ok;
    s_.text = v;
    s_.selStart = length();
    s_.selLength = 0;
    s_.items.index = s_.items.find(v);
    push();
    raise("Change", Change, Raise::Code);
    return Status::Ok;
}

void ComboBox::editText(const std::string& text, int caret) {
    if (inert() || text == s_.text) {
        push();
        return;
    }
    s_.text = text;
    s_.selStart = std::clamp(caret, 0, length());
    s_.selLength = 0;
    s_.items.index = s_.items.find(text);
    push();
    raise("Change", Change, Raise::Code);
}

void ComboBox::replaceSelection(const QString& with) {
    QString text = QString::fromStdString(s_.text);
    const int start = std::clamp(s_.selStart, 0, static_cast<int>(text.size()));
    const int count = std::clamp(s_.selLength, 0, static_cast<int>(text.size()) - start);
    text.replace(start, count, with);
    editText(text.toStdString(), start + static_cast<int>(with.size()));
}

void ComboBox::focusGained(FocusReason reason) {
    if (s_.style != DropDownCombo) return;
    if (auto selection = selectionOnFocus(reason, length())) {
        s_.selStart = selection->start;
        s_.selLength = selection->length;
    }
    push();
}

void ComboBox::userPick(int row) {
    if (inert() || !enabledChain() || !form_->userReachable() || !s_.items.valid(row)) return;
    if (running("Click")) {
        push();
        return;
    }
    selectRow(row, Raise::User);
}

void ComboBox::userAscii(int k) {
    if (s_.style == DropDownCombo) {
        // A character replaces the selection or goes in at the caret; Backspace removes the
        // selection or the character before the caret.
        if (k >= 32) {
            replaceSelection(QString(QChar(k)));
        } else if (k == 8) {
            if (s_.selLength == 0) {
                if (s_.selStart == 0) return;
                --s_.selStart;
                s_.selLength = 1;
            }
            replaceSelection(QString());
        } else if (k == 1) {  // Ctrl+A
            s_.selStart = 0;
            s_.selLength = length();
            push();
        }
        return;
    }
    if (k > 32 && k < 127) {
        int row = s_.items.nextStartingWith(static_cast<char>(k), s_.items.index);
        if (row >= 0) userPick(row);
    }
}

bool ComboBox::filterEvent(QObject* watched, QEvent* event) {
    // The editable combo's line edit has the focus: its keys count as the combo's. Its caret
    // keys and Delete are Qt's own; the edit comes back through textEdited.
    auto* c = qobject_cast<QComboBox*>(widget_.data());
    if (c != nullptr && c->lineEdit() != nullptr && watched == c->lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            auto key = translateKey(*static_cast<QKeyEvent*>(event));
            if (key && (*key == Key::Delete || *key == Key::Left || *key == Key::Right ||
                        *key == Key::Home || *key == Key::End)) {
                return false;
            }
        }
        watched = widget_;
    }
    return Control::filterEvent(watched, event);
}

void ComboBox::userKey(Key key) {
    if (s_.style == DropDownCombo) {
        const int len = length();
        switch (key) {
            case Key::Delete:
                if (s_.selLength == 0) {
                    if (s_.selStart >= len) return;
                    s_.selLength = 1;
                }
                replaceSelection(QString());
                return;
            default:
                break;
        }
        if (auto caret = caretAfterKey(key, s_.selStart, s_.selLength, len)) {
            s_.selStart = *caret;
            s_.selLength = 0;
            push();
            return;
        }
    }
    int row = s_.items.index;
    if (key == Key::Down || (key == Key::Right && s_.style == DropDownList)) {
        ++row;
    } else if (key == Key::Up || (key == Key::Left && s_.style == DropDownList)) {
        --row;
    } else {
        return;
    }
    if (s_.items.index < 0 && row < 0) row = 0;
    if (s_.items.valid(row)) userPick(row);
}

}  // namespace velt::ui
