// Shape and line: drawn above their container's background and below its window controls.
// Geometry reads back as assigned; neither takes the focus or raises events.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class Shape : public Control {
  public:
    Shape(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    int ShapeKind() const { return s_.shape; }  // 0 rectangle .. 5 rounded square
    Status setShape(int v);
    int BackStyle() const { return s_.backStyle; }
    Status setBackStyle(int v);
    int FillStyle() const { return s_.fillStyle; }  // 0 solid, 1 transparent
    Status setFillStyle(int v);
    long FillColor() const { return s_.fillColor; }
    Status setFillColor(long v);
    long BorderColor() const { return s_.borderColor; }
    Status setBorderColor(long v);
    int BorderWidth() const { return s_.borderWidth; }
    Status setBorderWidth(int v);

    struct Style {
        int shape = 0, backStyle = 0, fillStyle = 1;
        long fillColor = 0, borderColor = 0;
        int borderWidth = 1;
    };
    const Style& style() const { return s_; }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = Style{}; }

  private:
    Status changed();
    Style s_;
};

class Line : public Control {
  public:
    Line(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    double X1() const { return s_.x1; }
    double Y1() const { return s_.y1; }
    double X2() const { return s_.x2; }
    double Y2() const { return s_.y2; }
    Status setX1(double v) { return setEnds(v, s_.y1, s_.x2, s_.y2); }
    Status setY1(double v) { return setEnds(s_.x1, v, s_.x2, s_.y2); }
    Status setX2(double v) { return setEnds(s_.x1, s_.y1, v, s_.y2); }
    Status setY2(double v) { return setEnds(s_.x1, s_.y1, s_.x2, v); }
    Status setEnds(double x1, double y1, double x2, double y2);
    long BorderColor() const { return s_.borderColor; }
    Status setBorderColor(long v);
    int BorderWidth() const { return s_.borderWidth; }
    Status setBorderWidth(int v);

    struct Ends {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        long borderColor = 0;
        int borderWidth = 1;
    };
    const Ends& ends() const { return s_; }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = Ends{}; }

  private:
    void place();
    Ends s_;
};

}  // namespace velt::ui
