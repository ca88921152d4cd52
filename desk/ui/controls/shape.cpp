#include "desk/ui/controls/shape.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velt::ui {

namespace {

class ShapeWidget : public QWidget {
  public:
    ShapeWidget(QWidget* parent, const Shape* owner) : QWidget(parent), owner_(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const auto& s = owner_->style();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        int w = s.borderWidth;
        QRect r = rect().adjusted(w / 2, w / 2, -(w + 1) / 2, -(w + 1) / 2);
        if (s.shape == 1 || s.shape == 3 || s.shape == 5) {
            int side = std::min(r.width(), r.height());
            r = QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        }
        if (s.backStyle == 1) p.fillRect(r, resolveColor(owner_->BackColor()));
        p.setPen(w > 0 ? QPen(resolveColor(s.borderColor), w) : Qt::NoPen);
        p.setBrush(s.fillStyle == 0 ? QBrush(resolveColor(s.fillColor)) : Qt::NoBrush);
        if (s.shape == 2 || s.shape == 3) {
            p.drawEllipse(r);
        } else if (s.shape == 4 || s.shape == 5) {
            p.drawRoundedRect(r, r.width() / 8.0, r.height() / 8.0);
        } else {
            p.drawRect(r);
        }
    }

  private:
    const Shape* owner_;
};

class LineWidget : public QWidget {
  public:
    LineWidget(QWidget* parent, const Line* owner) : QWidget(parent), owner_(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const auto& e = owner_->ends();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(resolveColor(e.borderColor), std::max(e.borderWidth, 1)));
        QPoint origin = pos();
        p.drawLine(QPoint(toPixels(e.x1), toPixels(e.y1)) - origin,
                   QPoint(toPixels(e.x2), toPixels(e.y2)) - origin);
    }

  private:
    const Line* owner_;
};

}  // namespace

QWidget* Shape::createWidget(QWidget* parent) {
    auto* w = new ShapeWidget(parent, this);
    w->lower();
    return w;
}

Status Shape::changed() {
    if (widget_) widget_->update();
    return Status::Ok;
}

Status Shape::setShape(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 5) return refused("Shape out of range");
    s_.shape = v;
    return changed();
}

Status Shape::setBackStyle(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("BackStyle must be 0 or 1");
    s_.backStyle = v;
    return changed();
}

Status Shape::setFillStyle(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 7) return refused("FillStyle out of range");
    s_.fillStyle = v;
    return changed();
}

Status Shape::setFillColor(long v) {
    if (inert()) return Status::Refused;
    s_.fillColor = v;
    return changed();
}

Status Shape::setBorderColor(long v) {
    if (inert()) return Status::Refused;
    s_.borderColor = v;
    return changed();
}

Status Shape::setBorderWidth(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 8192) return refused("BorderWidth out of range");
    s_.borderWidth = v;
    return changed();
}

QWidget* Line::createWidget(QWidget* parent) {
    auto* w = new LineWidget(parent, this);
    w->lower();
    widget_ = w;
    place();
    return w;
}

void Line::place() {
    // The widget covers the line's bounding box plus its width; Left/Top/Width/Height follow.
    double pad = toTwips(std::max(s_.borderWidth, 1));
    Move(std::min(s_.x1, s_.x2) - pad, std::min(s_.y1, s_.y2) - pad,
         std::abs(s_.x2 - s_.x1) + 2 * pad, std::abs(s_.y2 - s_.y1) + 2 * pad);
    if (widget_) widget_->update();
}

Status Line::setEnds(double x1, double y1, double x2, double y2) {
    if (inert()) return Status::Refused;
    s_.x1 = x1;
    s_.y1 = y1;
    s_.x2 = x2;
    s_.y2 = y2;
    place();
    return Status::Ok;
}

Status Line::setBorderColor(long v) {
    if (inert()) return Status::Refused;
    s_.borderColor = v;
    if (widget_) widget_->update();
    return Status::Ok;
}

Status Line::setBorderWidth(int v) {
    if (inert()) return Status::Refused;
    if (v < 1 || v > 8192) return refused("BorderWidth out of range");
    s_.borderWidth = v;
    place();
    return Status::Ok;
}

}  // namespace velt::ui
