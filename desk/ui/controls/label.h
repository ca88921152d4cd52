// Label over QLabel: Caption ("&&" shows "&", "&x" marks a mnemonic), Alignment (0 left,
// 1 right, 2 centre), AutoSize, WordWrap, BackStyle (0 transparent, 1 opaque); Click, DblClick.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class Label : public Control {
  public:
    Label(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    int Alignment() const { return s_.alignment; }
    Status setAlignment(int v);
    bool AutoSize() const { return s_.autoSize; }
    Status setAutoSize(bool v);
    bool WordWrap() const { return s_.wordWrap; }
    Status setWordWrap(bool v);
    int BackStyle() const { return s_.backStyle; }
    Status setBackStyle(int v);

    Event<> Click;
    Event<> DblClick;

    bool filterEvent(QObject* watched, QEvent* event) override;
    void userClick(bool doubleClick);

    // The text shown for a caption: "&&" becomes "&", a single "&" disappears.
    static std::string displayText(const std::string& caption);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void apply();
    struct State {
        std::string caption;
        int alignment = 0;
        bool autoSize = false, wordWrap = false;
        int backStyle = 1;
    } s_;
};

}  // namespace velt::ui
