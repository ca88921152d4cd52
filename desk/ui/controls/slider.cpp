#include "desk/ui/controls/slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionSlider>
#include <algorithm>

#include "desk/ui/form.h"

namespace velt::ui {

namespace {

// Draws the selection band under the groove handle.
class SelectionSlider : public QSlider {
  public:
    SelectionSlider(QWidget* parent, const Slider* owner) : QSlider(parent), owner_(owner) {}

    // Where the middle of the thumb is drawn at `value`, in pixels along the slider.
    double thumbCentre(int value) const {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        opt.sliderPosition = value;
        opt.sliderValue = value;
        const QRect h =
            style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
        return orientation() == Qt::Horizontal ? h.left() + h.width() / 2.0
                                               : h.top() + h.height() / 2.0;
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        QSlider::paintEvent(e);
        if (owner_->SelLength() <= 0 || maximum() <= minimum()) return;
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
        double span = maximum() - minimum();
        double a = (owner_->SelStart() - minimum()) / span;
        double b = (owner_->SelStart() + owner_->SelLength() - minimum()) / span;
        QPainter p(this);
        QColor c = palette().color(QPalette::Highlight);
        c.setAlpha(140);
        if (orientation() == Qt::Horizontal) {
            int x1 = groove.left() + static_cast<int>(a * groove.width());
            int x2 = groove.left() + static_cast<int>(b * groove.width());
            p.fillRect(QRect(x1, groove.bottom() + 2, std::max(x2 - x1, 1), 3), c);
        } else {
            int y1 = groove.top() + static_cast<int>(a * groove.height());
            int y2 = groove.top() + static_cast<int>(b * groove.height());
            p.fillRect(QRect(groove.right() + 2, y1, 3, std::max(y2 - y1, 1)), c);
        }
    }

  private:
    const Slider* owner_;
};

}  // namespace

QWidget* Slider::createWidget(QWidget* parent) {
    auto* s = new SelectionSlider(parent, this);
    s->setTickPosition(QSlider::TicksBelow);
    QObject::connect(s, &QSlider::sliderMoved, guard(), [this](int v) {
        if (inert() || v == s_.value) return;
        s_.value = v;
        raise("Scroll", Scroll, Raise::User);
    });
    // A click on the track moves by a page without a drag: Scroll, then Change.
    QObject::connect(s, &QSlider::valueChanged, guard(), [this, s](int v) {
        if (inert() || s->isSliderDown() || v == s_.value) return;
        userStep(v);
    });
    widget_ = s;
    push();
    return s;
}

void Slider::push() {
    auto* s = qobject_cast<QSlider*>(widget_.data());
    if (s == nullptr) return;
    QSignalBlocker block(s);
    s->setOrientation(s_.orientation == 1 ? Qt::Vertical : Qt::Horizontal);
    s->setInvertedAppearance(false);
    s->setRange(s_.min, s_.max);
    s->setValue(s_.value);
    s->setSingleStep(s_.smallChange);
    s->setPageStep(s_.largeChange);
    s->update();
}

void Slider::clampAll() {
    s_.value = std::clamp(s_.value, s_.min, s_.max);
    s_.selStart = std::clamp(s_.selStart, s_.min, s_.max);
    s_.selLength = std::clamp(s_.selLength, 0, s_.max - s_.selStart);
}

Status Slider::setMin(int v) {
    if (inert()) return Status::Refused;
    s_.min = v;
    if (s_.max < v) s_.max = v;
    clampAll();
    push();
    return Status::Ok;
}

Status Slider::setMax(int v) {
    if (inert()) return Status::Refused;
    s_.max = v;
    if (s_.min > v) s_.min = v;
    clampAll();
    push();
    return Status::Ok;
}

Status Slider::setValue(int v) {
    if (inert()) return Status::Refused;
    s_.value = std::clamp(v, s_.min, s_.max);
    push();
    return Status::Ok;
}

Status Slider::setSelStart(int v) {
    if (inert()) return Status::Refused;
    s_.selStart = std::clamp(v, s_.min, s_.max);
    clampAll();
    push();
    return Status::Ok;
}

Status Slider::setSelLength(int v) {
    if (inert()) return Status::Refused;
    s_.selLength = std::clamp(v, 0, s_.max - s_.selStart);
    push();
    return Status::Ok;
}

Status Slider::setSmallChange(int v) {
    if (inert()) return Status::Refused;
    if (v < 0) return refused("SmallChange below 0");
    s_.smallChange = v;
    push();
    return Status::Ok;
}

Status Slider::setLargeChange(int v) {
    if (inert()) return Status::Refused;
    if (v < 0) return refused("LargeChange below 0");
    s_.largeChange = v;
    push();
    return Status::Ok;
}

Status Slider::setOrientation(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("Orientation must be 0 or 1");
    s_.orientation = v;
    push();
    return Status::Ok;
}

double Slider::thumbOffset() const {
    double length = s_.orientation == 1 ? Height() : Width();
    if (s_.max <= s_.min) return 0;
    return length * (s_.value - s_.min) / static_cast<double>(s_.max - s_.min);
}

double Slider::valueCentre(int value) const {
    if (auto* s = dynamic_cast<SelectionSlider*>(widget_.data()))
        return toTwips(s->thumbCentre(std::clamp(value, s_.min, s_.max)));
    const double length = s_.orientation == 1 ? Height() : Width();
    if (s_.max <= s_.min) return 0;
    return length * (std::clamp(value, s_.min, s_.max) - s_.min) / (s_.max - s_.min);
}

bool Slider::userDrag(int button, const std::vector<int>& values) {
    if (inert() || !enabledChain() || !form_->userReachable()) return false;
    bool ok = form_->userMove(*this, FocusReason::Mouse, [&] {
        double along = thumbOffset();
        double x = s_.orientation == 1 ? Width() / 2 : along;
        double y = s_.orientation == 1 ? along : Height() / 2;
        pressValue_ = s_.value;
        raise("MouseDown", MouseDown, Raise::User, button, 0, x, y);
        for (int v : values) {
            int clamped = std::clamp(v, s_.min, s_.max);
            if (clamped == s_.value) continue;
            s_.value = clamped;
            push();
            raise("Scroll", Scroll, Raise::User);
        }
        raise("MouseUp", MouseUp, Raise::User, button, 0, x, y);
        if (s_.value != pressValue_) raise("Change", Change, Raise::User);
    });
    return ok;
}

void Slider::userStep(int to) {
    to = std::clamp(to, s_.min, s_.max);
    if (to == s_.value) return;
    s_.value = to;
    push();
    raise("Scroll", Scroll, Raise::User);
    raise("Change", Change, Raise::User);
}

void Slider::userKey(Key key) {
    switch (key) {
        case Key::Right:
        case Key::Down:
            userStep(s_.value + s_.smallChange);
            break;
        case Key::Left:
        case Key::Up:
            userStep(s_.value - s_.smallChange);
            break;
        case Key::PageDown:
            userStep(s_.value + s_.largeChange);
            break;
        case Key::PageUp:
            userStep(s_.value - s_.largeChange);
            break;
        case Key::Home:
            userStep(s_.min);
            break;
        case Key::End:
            userStep(s_.max);
            break;
        default:
            break;
    }
}

bool Slider::filterEvent(QObject* watched, QEvent* event) {
    if (watched != widget_) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        if (Control::filterEvent(watched, event)) return true;  // the focus move was dropped
        auto* me = static_cast<QMouseEvent*>(event);
        int button = me->button() == Qt::LeftButton ? 1 : me->button() == Qt::RightButton ? 2 : 4;
        pressValue_ = s_.value;
        dragging_ = true;
        raise("MouseDown", MouseDown, Raise::User, button, 0, toTwips(me->position().x()),
              toTwips(me->position().y()));
        push();  // the handler may have placed the thumb
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease && dragging_) {
        dragging_ = false;
        auto* me = static_cast<QMouseEvent*>(event);
        int button = me->button() == Qt::LeftButton ? 1 : me->button() == Qt::RightButton ? 2 : 4;
        raise("MouseUp", MouseUp, Raise::User, button, 0, toTwips(me->position().x()),
              toTwips(me->position().y()));
        if (s_.value != pressValue_) raise("Change", Change, Raise::User);
        return false;
    }
    return Control::filterEvent(watched, event);
}

}  // namespace velt::ui
