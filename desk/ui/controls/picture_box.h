// Picture box: a widget painting a persistent RGB backing image of its inner size, so drawings
// survive repaints, hiding and tab switches and work offscreen. Cls and BackColor fill it; Line
// draws lines, box outlines and filled boxes in twips; Point samples a pixel. It is also a
// container (option groups, shapes and lines).
#pragma once

#include <QImage>

#include "desk/ui/control.h"
#include "desk/ui/picture.h"

namespace velt::ui {

class PictureBox : public Control {
  public:
    enum LineKind { Plain, Box, FilledBox };  // "", "B", "BF"

    PictureBox(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    Status setBackColor(long v) override;
    const Picture& getPicture() const { return s_.picture; }
    Status setPicture(const Picture& p);
    double ScaleWidth() const { return Width(); }
    double ScaleHeight() const { return Height(); }

    void Cls();
    void Line(double x1, double y1, double x2, double y2, long color, LineKind kind = Plain);
    // The RGB colour of pixel (floor(x/15), floor(y/15)); -1 outside the image.
    long Point(double x, double y) const;
    void Refresh() override;

    Event<> Click;
    Event<> DblClick;
    Event<int, int, double, double> MouseDown;  // Button, Shift, X, Y

    bool isContainer() const override { return true; }
    bool filterEvent(QObject* watched, QEvent* event) override;
    void userClick(int button, double x, double y, bool doubleClick);
    const QImage& image() const { return image_; }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;
    void widgetMoved() override;

  private:
    void resizeImage();
    struct State {
        Picture picture;
    } s_;
    QImage image_;
};

}  // namespace velt::ui
