#include "desk/ui/dialogs/message_box.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "desk/ui/dialogs/dialog_owner.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

BoxStyleParts splitStyle(int style) {
    BoxStyleParts parts;
    switch (style & 7) {
        case 1:
            parts.buttons = {OK, Cancel};
            break;
        case 2:
            parts.buttons = {Abort, Retry, Ignore};
            break;
        case 3:
            parts.buttons = {Yes, No, Cancel};
            break;
        case 4:
            parts.buttons = {Yes, No};
            break;
        case 5:
            parts.buttons = {Retry, Cancel};
            break;
        default:
            parts.buttons = {OK};
            break;
    }
    parts.icon = style & 0x70;
    int def = (style & 0x300) >> 8;
    parts.defaultIndex = std::min(def, static_cast<int>(parts.buttons.size()) - 1);
    parts.systemModal = (style & SystemModal) != 0;
    return parts;
}

int BoxStyleParts::escapeAnswer() const {
    if (std::find(buttons.begin(), buttons.end(), Cancel) != buttons.end()) return Cancel;
    if (buttons.size() == 1 && buttons[0] == OK) return OK;
    return 0;
}

std::string answerName(int answer) {
    switch (answer) {
        case OK:
            return "OK";
        case Cancel:
            return "Cancel";
        case Abort:
            return "Abort";
        case Retry:
            return "Retry";
        case Ignore:
            return "Ignore";
        case Yes:
            return "Yes";
        case No:
            return "No";
        default:
            return "?";
    }
}

std::string oneLine(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return out;
}

namespace {

std::string shownTitle(const std::string& title) {
    return title.empty() ? runtime().appTitle : title;
}

QString buttonText(int answer) {
    switch (answer) {
        case OK:
            return "OK";
        case Cancel:
            return "Cancel";
        case Abort:
            return "&Abort";
        case Retry:
            return "&Retry";
        case Ignore:
            return "&Ignore";
        case Yes:
            return "&Yes";
        case No:
            return "&No";
        default:
            return "?";
    }
}

// The widest width a box's text takes before it wraps, in pixels.
constexpr int kWrapWidth = 560;

// The dialog of a box. Esc and the frame's close button answer Cancel when the box has it, OK
// on an OK-only box, and otherwise do nothing: the box stays as it is. F1 is Help.
class BoxDialog : public QDialog {
  public:
    BoxDialog(int escapeAnswer, long helpTopic) : escape_(escapeAnswer), topic_(helpTopic) {}
    int answer = 0;

    void answerWith(int a) {
        answer = a;
        accept();
    }

  protected:
    void reject() override {
        if (escape_ == 0) return;
        answer = escape_;
        QDialog::reject();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier && topic_ != 0) {
            showHelpTopic(topic_);
            return;
        }
        QDialog::keyPressEvent(e);
    }

  private:
    int escape_;
    long topic_;
};

// The box itself: text as given, buttons in the classic order, Help that leaves it open.
int showRealBox(const BoxRequest& box) {
    BoxStyleParts parts = splitStyle(box.style);
    FocusComesBack focusBack;  // made first: it acts once the dialog is gone
    BoxDialog dialog(parts.escapeAnswer(), box.helpTopic);
    attachToOwner(dialog);
    dialog.setObjectName("messageBox");
    dialog.setWindowTitle(QString::fromStdString(shownTitle(box.title)));
    dialog.setModal(true);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* row = new QHBoxLayout();
    QStyle::StandardPixmap icon = parts.icon == Critical      ? QStyle::SP_MessageBoxCritical
                                  : parts.icon == Question    ? QStyle::SP_MessageBoxQuestion
                                  : parts.icon == Exclamation ? QStyle::SP_MessageBoxWarning
                                                              : QStyle::SP_MessageBoxInformation;
    if (parts.icon != 0) {
        auto* iconLabel = new QLabel(&dialog);
        iconLabel->setPixmap(dialog.style()->standardIcon(icon).pixmap(32, 32));
        iconLabel->setAlignment(Qt::AlignTop);
        row->addWidget(iconLabel);
    }
    QString text = QString::fromStdString(box.text).replace("\r\n", "\n");
    auto* label = new QLabel(text, &dialog);
    label->setObjectName("text");
    label->setTextFormat(Qt::PlainText);
    // A text whose lines all fit stays as it is, one line per line; a longer one wraps at a
    // readable width, as classic boxes do.
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    if (widest > kWrapWidth) {
        label->setWordWrap(true);
        label->setFixedWidth(kWrapWidth);
    }
    row->addWidget(label, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    for (size_t i = 0; i < parts.buttons.size(); ++i) {
        int answer = parts.buttons[i];
        auto* b = new QPushButton(buttonText(answer), &dialog);
        b->setDefault(static_cast<int>(i) == parts.defaultIndex);
        b->setAutoDefault(true);
        QObject::connect(b, &QPushButton::clicked, &dialog,
                         [&dialog, answer] { dialog.answerWith(answer); });
        buttons->addWidget(b);
        if (static_cast<int>(i) == parts.defaultIndex) b->setFocus();
    }
    if (box.helpTopic != 0) {
        auto* help = new QPushButton("&Help", &dialog);
        help->setAutoDefault(false);
        long topic = box.helpTopic;
        QObject::connect(help, &QPushButton::clicked, &dialog, [topic] { showHelpTopic(topic); });
        buttons->addWidget(help);
    }
    layout->addLayout(buttons);
    if (parts.escapeAnswer() == 0) dialog.setWindowFlag(Qt::WindowCloseButtonHint, false);
    dialog.exec();
    return dialog.answer != 0 ? dialog.answer : parts.defaultAnswer();
}

}  // namespace

int MessageBox(const std::string& text, int style, const std::string& title, long helpTopic) {
    BoxRequest box{text, style, title, helpTopic};
    BoxStyleParts parts = splitStyle(style);
    if (runtime().batchMode) {
        std::fprintf(stderr, "%s: %s\n", shownTitle(title).c_str(), oneLine(text).c_str());
        std::fflush(stderr);
        if (runtime().driver) runtime().driver->messageBox(box, true, parts.defaultAnswer());
        return parts.defaultAnswer();
    }
    if (runtime().driver) return runtime().driver->messageBox(box, false, 0);
    return showRealBox(box);
}

InputResult InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText) {
    if (runtime().batchMode) {
        std::fprintf(stderr, "%s: %s\n", shownTitle(title).c_str(), oneLine(prompt).c_str());
        std::fflush(stderr);
        if (runtime().driver) runtime().driver->inputBox(prompt, title, defaultText, true);
        return {true, defaultText};
    }
    if (runtime().driver) return runtime().driver->inputBox(prompt, title, defaultText, false);
    FocusComesBack focusBack;
    QInputDialog dialog;
    attachToOwner(dialog);
    dialog.setWindowTitle(QString::fromStdString(shownTitle(title)));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    if (dialog.exec() != QDialog::Accepted) return {false, ""};
    return {true, dialog.textValue().toStdString()};
}

}  // namespace velt::ui
