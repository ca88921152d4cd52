#include "desk/ui/controls/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "desk/ui/form.h"

namespace velt::ui {

namespace {

class ImageWidget : public QWidget {
  public:
    ImageWidget(QWidget* parent, const PictureBox* owner) : QWidget(parent), owner_(owner) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, owner_->image());
    }

  private:
    const PictureBox* owner_;
};

int floorPx(double twips) {
    return static_cast<int>(std::floor(twips / twipsPerPixel()));
}

}  // namespace

void PictureBox::resetState() {
    s_ = State{};
    image_ = QImage();
}

QWidget* PictureBox::createWidget(QWidget* parent) {
    auto* w = new ImageWidget(parent, this);
    widget_ = w;
    resizeImage();
    return w;
}

void PictureBox::resizeImage() {
    QSize size(std::max(toPixels(Width()), 0), std::max(toPixels(Height()), 0));
    if (image_.size() == size) return;
    QImage next(size, QImage::Format_RGB32);
    next.fill(resolveColor(BackColor()));
    if (!image_.isNull()) {
        // The drawing stays at the top left; new area takes the back colour.
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void PictureBox::widgetMoved() {
    resizeImage();
    if (widget_) widget_->update();
}

Status PictureBox::setBackColor(long v) {
    Status st = Control::setBackColor(v);
    if (st == Status::Ok) Cls();
    return st;
}

Status PictureBox::setPicture(const Picture& p) {
    if (inert()) return Status::Refused;
    s_.picture = p;
    if (p.image() != nullptr) {
        QPainter painter(&image_);
        painter.drawImage(0, 0, *p.image());
    }
    if (widget_) widget_->update();
    return Status::Ok;
}

void PictureBox::Cls() {
    if (inert()) return;
    image_.fill(resolveColor(BackColor()));
    if (widget_) widget_->update();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, long color, LineKind kind) {
    if (inert() || image_.isNull()) return;
    QColor c = resolveColor(color);
    if (kind == FilledBox) {
        // Pixel columns from round(x1) up to but not including round(x2): touching boxes tile.
        int a = toPixels(std::min(x1, x2)), b = toPixels(std::max(x1, x2));
        int top = toPixels(std::min(y1, y2)), bottom = toPixels(std::max(y1, y2));
        QRect r = QRect(QPoint(a, top), QPoint(b - 1, bottom - 1)).intersected(image_.rect());
        if (b > a && bottom > top && !r.isEmpty()) {
            QPainter p(&image_);
            p.fillRect(r, c);
        }
    } else {
        QPainter p(&image_);
        p.setPen(QPen(c, 1));
        QPoint a(toPixels(x1), toPixels(y1)), b(toPixels(x2), toPixels(y2));
        if (kind == Box) {
            p.drawRect(QRect(a, b).normalized().adjusted(0, 0, -1, -1));
        } else {
            p.drawLine(a, b);
        }
    }
    if (widget_) widget_->update();
}

long PictureBox::Point(double x, double y) const {
    int px = floorPx(x), py = floorPx(y);
    if (image_.isNull() || px < 0 || py < 0 || px >= image_.width() || py >= image_.height()) {
        return -1;
    }
    QRgb c = image_.pixel(px, py);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

void PictureBox::Refresh() {
    if (widget_) widget_->repaint();
}

void PictureBox::userClick(int button, double x, double y, bool doubleClick) {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    raise("MouseDown", MouseDown, Raise::User, button, 0, x, y);
    if (doubleClick) {
        raise("DblClick", DblClick, Raise::User);
    } else {
        raise("Click", Click, Raise::User);
    }
}

bool PictureBox::filterEvent(QObject* watched, QEvent* event) {
    if (watched != widget_) return false;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(event);
        int button = me->button() == Qt::LeftButton ? 1 : me->button() == Qt::RightButton ? 2 : 4;
        userClick(button, toTwips(me->position().x()), toTwips(me->position().y()),
                  event->type() == QEvent::MouseButtonDblClick);
        return true;
    }
    return false;
}

}  // namespace velt::ui
