// Toolbar over QToolBar, docked at the top of the form. Buttons are 1-based and separators
// count as buttons; each has Key, ToolTipText, Enabled, Visible, Image (index into the toolbar's
// image list) and Style. ButtonClick passes the button; disabled buttons and separators raise
// nothing, and toolbar clicks move no focus. A bad index or key gives an inert button.
#pragma once

#include <deque>

#include "desk/ui/control.h"

class QAction;

namespace velt::ui {

class ImageList;
class Toolbar;

class ToolbarButton {
  public:
    enum StyleKind { Default = 0, Separator = 3 };

    int Index() const { return index_; }
    const std::string& Key() const { return key_; }
    const std::string& ToolTipText() const { return toolTip_; }
    Status setToolTipText(const std::string& v);
    bool Enabled() const { return owner_ != nullptr && enabled_; }
    Status setEnabled(bool v);
    bool Visible() const { return visible_; }
    Status setVisible(bool v);
    int Image() const { return image_; }
    Status setImage(int v);
    int Style() const { return style_; }

  private:
    friend class Toolbar;
    Toolbar* owner_ = nullptr;  // nullptr: the inert button
    int index_ = 0;
    std::string key_, toolTip_;
    bool enabled_ = true, visible_ = true;
    int image_ = 0, style_ = Default;
    QAction* action_ = nullptr;
};

class Toolbar : public Control {
  public:
    Toolbar(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    Status setImageList(ImageList& images);
    // Appends a button (Style Separator for a separator); its Index is its position.
    ToolbarButton& AddButton(const std::string& key, int style = ToolbarButton::Default,
                             const std::string& toolTip = "", int image = 0);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    ToolbarButton& Buttons(int i);
    ToolbarButton& Buttons(const std::string& key);

    Event<ToolbarButton&> ButtonClick;

    void userClick(ToolbarButton& button);
    void dock();
    void pushButton(ToolbarButton& b);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;

  private:
    void buildAction(ToolbarButton& b);
    std::deque<ToolbarButton> buttons_;
    ToolbarButton inert_;
    ImageList* images_ = nullptr;
};

}  // namespace velt::ui
