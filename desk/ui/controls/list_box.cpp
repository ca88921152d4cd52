#include "desk/ui/controls/list_box.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "desk/ui/form.h"

namespace velt::ui {

QWidget* ListBox::createWidget(QWidget* parent) {
    auto* l = new QListWidget(parent);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(l, &QListWidget::clicked, guard(),
                     [this](const QModelIndex& i) { userClickRow(i.row(), false); });
    QObject::connect(l, &QListWidget::doubleClicked, guard(),
                     [this](const QModelIndex& i) { userClickRow(i.row(), true); });
    widget_ = l;
    push();
    return l;
}

void ListBox::push() {
    auto* l = qobject_cast<QListWidget*>(widget_.data());
    if (l == nullptr) return;
    QSignalBlocker block(l);
    bool same = l->count() == items_.count();
    for (int i = 0; same && i < l->count(); ++i) {
        same = l->item(i)->text().toStdString() == items_.at(i);
    }
    if (!same) {
        l->clear();
        for (const auto& r : items_.rows) l->addItem(QString::fromStdString(r));
    }
    l->setCurrentRow(items_.index);
}

Status ListBox::AddItem(const std::string& text, int index) {
    if (inert()) return Status::Refused;
    if (!items_.add(text, index)) return refused("AddItem index out of range");
    push();
    return Status::Ok;
}

Status ListBox::RemoveItem(int index) {
    if (inert()) return Status::Refused;
    bool ok = false;
    items_.remove(index, ok);
    if (!ok) return refused("RemoveItem index out of range");
    push();
    return Status::Ok;
}

void ListBox::Clear() {
    if (inert()) return;
    items_ = ListItems{};
    push();
}

Status ListBox::setList(int i, const std::string& text) {
    if (inert()) return Status::Refused;
    if (!items_.valid(i)) return refused("List index out of range");
    items_.rows[static_cast<size_t>(i)] = text;
    push();
    return Status::Ok;
}

Status ListBox::setListIndex(int i) {
    if (inert()) return Status::Refused;
    if (i == -1) {
        items_.index = -1;
        push();
        return Status::Ok;
    }
    if (!items_.valid(i)) return refused("ListIndex out of range");
    items_.index = i;
    push();
    raise("Click", Click, Raise::CodeClick);
    return Status::Ok;
}

void ListBox::userClickRow(int row, bool doubleClick) {
    if (inert() || !enabledChain() || !form_->userReachable() || !items_.valid(row)) return;
    if (!running("Click")) {
        items_.index = row;
        push();
        raise("Click", Click, Raise::User);
    }
    if (doubleClick) raise("DblClick", DblClick, Raise::User);
}

void ListBox::userAscii(int k) {
    if (k > 32 && k < 127) {
        int row = items_.nextStartingWith(static_cast<char>(k), items_.index);
        if (row >= 0) userClickRow(row);
    }
}

void ListBox::userKey(Key key) {
    int row = items_.index;
    if (key == Key::Down) {
        ++row;
    } else if (key == Key::Up) {
        --row;
    } else if (key == Key::Home) {
        row = 0;
    } else if (key == Key::End) {
        row = items_.count() - 1;
    } else {
        return;
    }
    if (items_.index < 0 && row < 0) row = 0;
    if (items_.valid(row)) userClickRow(row);
}

}  // namespace velt::ui
