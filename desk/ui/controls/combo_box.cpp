#include "desk/ui/controls/combo_box.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "desk/ui/form.h"

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
            QObject::connect(c->lineEdit(), &QLineEdit::textEdited, guard(),
                             [this](const QString& t) { editText(t.toStdString()); });
            c->lineEdit()->installEventFilter(guard());
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
    if (editable) c->setEditText(QString::fromStdString(s_.text));
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
    s_.items.index = s_.items.find(v);
    push();
    raise("Change", Change, Raise::Code);
    return Status::Ok;
}

void ComboBox::editText(const std::string& text) {
    if (inert() || text == s_.text) {
        push();
        return;
    }
    s_.text = text;
    s_.items.index = s_.items.find(text);
    push();
    raise("Change", Change, Raise::Code);
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
        // Typing edits the text at its end: a character appends, Backspace shortens.
        if (k >= 32) {
            editText(s_.text + static_cast<char>(k));
        } else if (k == 8 && !s_.text.empty()) {
            QString t = QString::fromStdString(s_.text);
            t.chop(1);
            editText(t.toStdString());
        }
        return;
    }
    if (k > 32 && k < 127) {
        int row = s_.items.nextStartingWith(static_cast<char>(k), s_.items.index);
        if (row >= 0) userPick(row);
    }
}

bool ComboBox::filterEvent(QObject* watched, QEvent* event) {
    // The editable combo's line edit has the focus: its keys count as the combo's.
    auto* c = qobject_cast<QComboBox*>(widget_.data());
    if (c != nullptr && c->lineEdit() != nullptr && watched == c->lineEdit()) watched = widget_;
    return Control::filterEvent(watched, event);
}

void ComboBox::userKey(Key key) {
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
