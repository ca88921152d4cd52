#include "desk/ui/controls/text_box.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "desk/ui/form.h"
#include "desk/ui/keys.h"

namespace velt::ui {

QWidget* TextBox::createWidget(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    // Edits Qt makes on its own (Delete, context menu, drag and drop) come back as one Change.
    QObject::connect(e, &QLineEdit::textEdited, guard(), [this] { pullFromWidget(); });
    QObject::connect(e, &QLineEdit::selectionChanged, guard(), [this] { pullFromWidget(); });
    QObject::connect(e, &QLineEdit::cursorPositionChanged, guard(), [this] { pullFromWidget(); });
    widget_ = e;
    push();
    return e;
}

void TextBox::push() {
    auto* e = qobject_cast<QLineEdit*>(widget_.data());
    if (e == nullptr) return;
    pushing_ = true;
    QSignalBlocker block(e);
    e->setText(QString::fromStdString(s_.text));
    e->setReadOnly(s_.locked);
    e->setAlignment(s_.alignment == 1   ? Qt::AlignRight
                    : s_.alignment == 2 ? Qt::AlignHCenter
                                        : Qt::AlignLeft);
    if (s_.selLength > 0) {
        e->setSelection(s_.selStart, s_.selLength);
    } else {
        e->setCursorPosition(s_.selStart);
    }
    pushing_ = false;
}

void TextBox::pullFromWidget() {
    auto* e = qobject_cast<QLineEdit*>(widget_.data());
    if (e == nullptr || pushing_ || inert()) return;
    std::string text = e->text().toStdString();
    if (e->hasSelectedText()) {
        s_.selStart = e->selectionStart();
        s_.selLength = static_cast<int>(e->selectedText().size());
    } else {
        s_.selStart = e->cursorPosition();
        s_.selLength = 0;
    }
    if (text != s_.text) {
        s_.text = text;
        raiseChange(true);
    }
}

void TextBox::raiseChange(bool user) {
    const bool outer = userEdit_;
    userEdit_ = user;
    raise("Change", Change, Raise::Code);
    userEdit_ = outer;
}

void TextBox::store(const QString& text, int caret, bool raiseChange, bool user) {
    std::string next = text.toStdString();
    bool changed = next != s_.text;
    s_.text = next;
    s_.selStart = std::clamp(caret, 0, static_cast<int>(text.size()));
    s_.selLength = 0;
    push();
    if (changed && raiseChange) this->raiseChange(user);
}

Status TextBox::setText(const std::string& v) {
    if (inert()) return Status::Refused;
    if (v == s_.text) return Status::Ok;
    QString q = QString::fromStdString(v);
    store(q, static_cast<int>(q.size()), true, false);
    return Status::Ok;
}

Status TextBox::setSelStart(int v) {
    if (inert()) return Status::Refused;
    s_.selStart = std::clamp(v, 0, length());
    s_.selLength = 0;
    push();
    return Status::Ok;
}

Status TextBox::setSelLength(int v) {
    if (inert()) return Status::Refused;
    s_.selLength = std::clamp(v, 0, length() - s_.selStart);
    push();
    return Status::Ok;
}

std::string TextBox::SelText() const {
    return QString::fromStdString(s_.text).mid(s_.selStart, s_.selLength).toStdString();
}

Status TextBox::setSelText(const std::string& v) {
    if (inert()) return Status::Refused;
    replaceSelection(QString::fromStdString(v), false);
    return Status::Ok;
}

Status TextBox::setMaxLength(int v) {
    if (inert()) return Status::Refused;
    if (v < 0) return refused("MaxLength below 0");
    s_.maxLength = v;
    return Status::Ok;
}

Status TextBox::setLocked(bool v) {
    if (inert()) return Status::Refused;
    s_.locked = v;
    push();
    return Status::Ok;
}

Status TextBox::setAlignment(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 2) return refused("Alignment out of range");
    s_.alignment = v;
    push();
    return Status::Ok;
}

void TextBox::replaceSelection(const QString& with, bool user) {
    QString text = QString::fromStdString(s_.text);
    QString insert = with;
    if (user && s_.maxLength > 0) {
        int room = s_.maxLength - (static_cast<int>(text.size()) - s_.selLength);
        if (room <= 0 && !insert.isEmpty()) return;
        insert = insert.left(std::max(room, 0));
    }
    text.replace(s_.selStart, s_.selLength, insert);
    store(text, s_.selStart + static_cast<int>(insert.size()), true, user);
}

void TextBox::userAscii(int k) {
    if (k >= 32) {
        if (!s_.locked) replaceSelection(QString(QChar(k)), true);
        return;
    }
    QClipboard* clip = QApplication::clipboard();
    switch (k) {
        case 8:  // Backspace
            if (s_.locked) return;
            if (s_.selLength == 0 && s_.selStart > 0) {
                --s_.selStart;
                s_.selLength = 1;
            }
            replaceSelection(QString(), true);
            return;
        case 1:  // Ctrl+A
            s_.selStart = 0;
            s_.selLength = length();
            push();
            return;
        case 3:  // Ctrl+C
            if (s_.selLength > 0) clip->setText(QString::fromStdString(SelText()));
            return;
        case 24:  // Ctrl+X
            if (s_.selLength > 0 && !s_.locked) {
                clip->setText(QString::fromStdString(SelText()));
                replaceSelection(QString(), true);
            }
            return;
        case 22:  // Ctrl+V: the first line of the clipboard
            if (!s_.locked) replaceSelection(clip->text().section('\n', 0, 0).remove('\r'), true);
            return;
        default:
            return;
    }
}

void TextBox::userKey(Key key) {
    int len = length();
    switch (key) {
        case Key::Delete:
            if (s_.locked) return;
            if (s_.selLength == 0 && s_.selStart < len) s_.selLength = 1;
            replaceSelection(QString(), true);
            return;
        default:
            break;
    }
    auto caret = caretAfterKey(key, s_.selStart, s_.selLength, len);
    if (!caret) return;
    s_.selStart = *caret;
    s_.selLength = 0;
    push();
}

void TextBox::focusGained(FocusReason reason) {
    if (auto selection = selectionOnFocus(reason, length())) {
        s_.selStart = selection->start;
        s_.selLength = selection->length;
    }
    push();
}

bool TextBox::filterEvent(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        auto key = translateKey(*ke);
        // Caret keys and Delete are Qt's own; the edit comes back through textEdited. The
        // other keys (Tab, Enter, Esc, F1, the tab-switching keys, Up and Down of a buddy box)
        // go to the form.
        if (key && (*key == Key::Delete || *key == Key::Left || *key == Key::Right ||
                    *key == Key::Home || *key == Key::End)) {
            return false;
        }
    }
    if (watched == widget_ && event->type() == QEvent::MouseButtonDblClick) {
        raise("DblClick", DblClick, Raise::User);
    }
    bool handled = Control::filterEvent(watched, event);
    if (!handled && watched == widget_ && event->type() == QEvent::MouseButtonRelease) {
        raise("Click", Click, Raise::User);
    }
    return handled;
}

}  // namespace velt::ui
