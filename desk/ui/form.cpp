#include "desk/ui/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "desk/ui/controls/status_bar.h"
#include "desk/ui/controls/timer.h"
#include "desk/ui/controls/toolbar.h"
#include "desk/ui/forms.h"
#include "desk/ui/keys.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

// The top-level window of a form: its frame close button, resizes, state changes, and clicks
// and keys that reach the form's empty area.
class FormWindow : public QWidget {
  public:
    explicit FormWindow(Form* form) : form_(form) { setFocusPolicy(Qt::StrongFocus); }

    // The form has unloaded: this window waits for deletion and must not reach the form (which
    // may have loaded a new window, or be gone) with late events or signals of its widgets.
    void retire() {
        form_ = nullptr;
        hide();
        blockSignals(true);
        for (QObject* o : findChildren<QObject*>()) o->blockSignals(true);
    }

  protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (form_ != nullptr) form_->userClose();
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        if (form_ != nullptr && form_->client_ != nullptr) {
            form_->windowResized(form_->client_->width(), form_->client_->height());
        }
    }
    void changeEvent(QEvent* e) override {
        QWidget::changeEvent(e);
        if (form_ != nullptr && e->type() == QEvent::WindowStateChange) {
            Qt::WindowStates st = windowState();
            form_->windowStateChanged((st & Qt::WindowMinimized)   ? 1
                                      : (st & Qt::WindowMaximized) ? 2
                                                                   : 0);
        }
    }
    void mousePressEvent(QMouseEvent* e) override { click(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { click(e, true); }
    void keyPressEvent(QKeyEvent* e) override {
        if (form_ == nullptr) return;
        if ((e->modifiers() & Qt::AltModifier) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) {
            if (!form_->dispatchMnemonic(static_cast<char>('a' + (e->key() - Qt::Key_A)))) {
                QWidget::keyPressEvent(e);
            }
            return;
        }
        if (auto key = translateKey(*e)) {
            form_->dispatchKey(*key);
        } else if (int ascii = translateAscii(*e)) {
            form_->dispatchAscii(ascii);
        }
    }

  private:
    void click(QMouseEvent* e, bool twice) {
        if (form_ == nullptr) return;
        QPoint p = form_->client_ ? form_->client_->mapFrom(this, e->position().toPoint())
                                  : e->position().toPoint();
        int button = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::RightButton ? 2 : 4;
        form_->userFormClick(twice, button, toTwips(p.x()), toTwips(p.y()));
    }
    Form* form_;
};

Form::Form(std::string name) : name_(std::move(name)) {}

bool Form::isFormWindow(const QWidget* w) {
    return dynamic_cast<const FormWindow*>(w) != nullptr;
}

Form::~Form() {
    // The derived form's controls are gone by now; only the window is left to destroy.
    modalLoop_ = nullptr;
    window_.reset();
}

void Form::registerControl(Control* c) {
    controls_.push_back(c);
}

void Form::unregisterControl(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (active_ == c) active_ = nullptr;
    if (leaving_ == c) leaving_ = nullptr;
}

void Form::registerTimer(Timer* t) {
    timers_.push_back(t);
}

void Form::unregisterTimer(Timer* t) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

QMenuBar* Form::menuBar() {
    if (menuBar_ == nullptr && window_) {
        menuBar_ = new QMenuBar(window_.get());
        static_cast<QVBoxLayout*>(window_->layout())->setMenuBar(menuBar_);
    }
    return menuBar_;
}

void Form::declareLayered(const Control& a, const Control& b) {
    if (!layered(a, b)) layered_.emplace_back(&a, &b);
}

bool Form::layered(const Control& a, const Control& b) const {
    return std::any_of(layered_.begin(), layered_.end(), [&](const auto& pair) {
        return (pair.first == &a && pair.second == &b) || (pair.first == &b && pair.second == &a);
    });
}

void Form::load() {
    if (loaded_) return;
    loadDesign();
    raiseFormEvent("Load", [this] { Form_Load(); });
}

void Form::loadDesign() {
    if (loaded_) return;
    loaded_ = true;
    pendingTeardown_ = false;
    placed_ = false;
    window_ = std::make_unique<FormWindow>(this);
    window_->setAttribute(Qt::WA_DontShowOnScreen, false);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    client_ = new QWidget(window_.get());
    client_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(client_);
    std::vector<Control*> controls = controls_;
    for (Control* c : controls) c->build(client_);

    designing_ = true;
    design();
    designing_ = false;
    applyGeometry();
    for (Timer* t : timers_) t->formLoaded();
}

bool Form::unload(bool force) {
    if (!loaded_) return true;
    int cancel = 0;
    raiseFormEvent("Unload", [this, &cancel] { Form_Unload(cancel); });
    if (cancel != 0 && !force) return false;
    if (!loaded_) return true;  // the handler unloaded it already
    for (Timer* t : timers_) t->formUnloaded();
    if (window_) window_->hide();
    shown_ = false;
    loaded_ = false;
    setActive(nullptr);
    leaving_ = nullptr;
    quitModalLoop();
    if (handlerDepth_ > 0) {
        pendingTeardown_ = true;  // torn down when the outermost handler returns
    } else {
        teardownWidgets();
    }
    return true;
}

void Form::teardownWidgets() {
    pendingTeardown_ = false;
    for (Control* c : controls_) c->teardown();
    menuBar_ = nullptr;
    client_ = nullptr;
    // Qt's own code may still be on the stack for these widgets (the menu that delivered Exit,
    // the button whose click unloaded the form): they are deleted once control is back in the
    // event loop.
    if (window_) {
        static_cast<FormWindow*>(window_.get())->retire();
        window_.release()->deleteLater();
    }
    for (Control* c : controls_) c->reset();
    s_ = State{};
}

void Form::leaveHandler() {
    if (--handlerDepth_ == 0 && pendingTeardown_ && !loaded_) teardownWidgets();
}

void Form::raiseFormEvent(const char* event, const std::function<void()>& call,
                          const std::string& args) {
    if (!loaded_) return;
    if (runtime().eventObserver) runtime().eventObserver({name_, "", -1, event, args});
    enterHandler();
    try {
        call();
    } catch (const std::exception& e) {
        runtime().reportHandlerFailure(name_ + ".Form_" + event, e.what());
    } catch (...) {
        runtime().reportHandlerFailure(name_ + ".Form_" + event, "unknown exception");
    }
    leaveHandler();
}

int Form::previewKeyPress(int keyAscii) {
    if (!s_.keyPreview) return keyAscii;
    raiseFormEvent(
        "KeyPress", [this, &keyAscii] { Form_KeyPress(keyAscii); }, std::to_string(keyAscii));
    return keyAscii;
}

Status Form::setCaption(const std::string& v) {
    if (!loaded_) return Status::Refused;
    s_.caption = v;
    if (window_) window_->setWindowTitle(QString::fromStdString(v));
    return Status::Ok;
}

Status Form::Move(double left, double top, double width, double height) {
    if (!loaded_) return Status::Refused;
    if (width < 0 || height < 0) {
        runtime().refuse(name_ + ": negative size");
        return Status::Refused;
    }
    // A position chosen by code after the design replaces the start-up position.
    if (!designing_ && (left != s_.left || top != s_.top)) placed_ = true;
    s_.left = left;
    s_.top = top;
    s_.width = width;
    s_.height = height;
    applyGeometry();
    return Status::Ok;
}

void Form::applyGeometry() {
    if (!window_) return;
    applyingGeometry_ = true;
    window_->setWindowTitle(QString::fromStdString(s_.caption));
    int extra = menuBar_ != nullptr ? menuBar_->sizeHint().height() : 0;
    window_->move(toPixels(s_.left), toPixels(s_.top));
    window_->resize(toPixels(s_.width), toPixels(s_.height) + extra);
    client_->resize(toPixels(s_.width), toPixels(s_.height));
    if (s_.backColor != SysColor::ButtonFace) {
        QPalette p = client_->palette();
        p.setColor(QPalette::Window, resolveColor(s_.backColor));
        client_->setPalette(p);
        client_->setAutoFillBackground(true);
    }
    applyingGeometry_ = false;
    layoutBars();
}

void Form::windowResized(int widthPx, int heightPx) {
    if (!applyingGeometry_ && loaded_) {
        // A change made by the window system stores pixels times 15.
        if (toPixels(s_.width) != widthPx) s_.width = toTwips(widthPx);
        if (toPixels(s_.height) != heightPx) s_.height = toTwips(heightPx);
    }
    layoutBars();
}

void Form::layoutBars() {
    for (Control* c : controls_) {
        if (auto* bar = dynamic_cast<Toolbar*>(c)) bar->dock();
        if (auto* bar = dynamic_cast<StatusBar*>(c)) bar->dock();
    }
}

void Form::windowStateChanged(int state) {
    s_.windowState = state;
}

Status Form::setWindowState(int v) {
    if (!loaded_) return Status::Refused;
    if (v < 0 || v > 2) {
        runtime().refuse(name_ + ": WindowState out of range");
        return Status::Refused;
    }
    s_.windowState = v;
    if (window_) {
        window_->setWindowState(v == 1   ? Qt::WindowMinimized
                                : v == 2 ? Qt::WindowMaximized
                                         : Qt::WindowNoState);
    }
    return Status::Ok;
}

Status Form::setEnabled(bool v) {
    if (!loaded_) return Status::Refused;
    s_.enabled = v;
    if (client_) client_->setEnabled(v);
    return Status::Ok;
}

Status Form::setBackColor(long v) {
    if (!loaded_) return Status::Refused;
    s_.backColor = v;
    applyGeometry();
    return Status::Ok;
}

Status Form::Show(ShowMode mode, Form* owner) {
    if (mode == Modal && shown_) {
        runtime().refuse(name_ + ": shown modally while shown");
        return Status::AlreadyShown;
    }
    load();
    if (!loaded_) return Status::Ok;  // Form_Load unloaded it
    bool wasShown = shown_;
    if (!wasShown) {
        Form* o = owner != nullptr && owner != this && owner->loaded() ? owner : defaultOwner();
        placeOnFirstShow(o);
        attachTo(o);
        shownOrder_ = ++runtime().formsShown;
    }
    shown_ = true;
    if (mode == Modal) window_->setWindowModality(Qt::ApplicationModal);
    if (s_.windowState == 1) {
        window_->showMinimized();
    } else {
        window_->show();
    }
    window_->raise();
    if (!wasShown) chooseInitialFocus();
    if (mode != Modal) return Status::Ok;

    if (runtime().driver != nullptr) {
        modalScripted_ = true;
        runtime().driver->modal(*this);
        modalScripted_ = false;
        if (loaded_ && shown_) Hide();
    } else {
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec();
        modalLoop_ = nullptr;
    }
    if (window_) window_->setWindowModality(Qt::NonModal);
    return Status::Ok;
}

Form* Form::defaultOwner() const {
    return forms::activeForm(this);
}

void Form::placeOnFirstShow(Form* owner) {
    if (placed_) return;
    placed_ = true;
    if (s_.startUpPosition == 0 || !window_) return;
    // The area to centre on, in pixels: the owner's window (its frame when it is on screen),
    // else the screen's free area.
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (s_.startUpPosition == 1 && owner != nullptr && owner->window() != nullptr) {
        QWidget* w = owner->window();
        area = w->isVisible() ? w->frameGeometry()
                              : QRect(toPixels(owner->Left()), toPixels(owner->Top()),
                                      toPixels(owner->Width()), toPixels(owner->Height()));
        if (QScreen* s = w->screen()) screen = s;
    }
    const int width = window_->width(), height = window_->height();
    int x = area.x() + (area.width() - width) / 2;
    int y = area.y() + (area.height() - height) / 2;
    // Kept on the screen, its top-left corner first.
    if (screen != nullptr) {
        const QRect free = screen->availableGeometry();
        x = std::max(free.left(), std::min(x, free.right() + 1 - width));
        y = std::max(free.top(), std::min(y, free.bottom() + 1 - height));
    }
    s_.left = toTwips(x);
    s_.top = toTwips(y);
    applyGeometry();
}

void Form::attachTo(Form* owner) {
    if (!window_) return;
    QWindow* parent = nullptr;
    if (owner != nullptr && owner->window() != nullptr) {
        owner->window()->winId();  // an owner not on screen yet still gets its platform window
        parent = owner->window()->windowHandle();
    }
    window_->winId();
    QWindow* handle = window_->windowHandle();
    if (handle == nullptr) return;
    // Never a loop of owners: an owner that is itself kept above this window is none.
    for (QWindow* w = parent; w != nullptr; w = w->transientParent()) {
        if (w == handle) {
            parent = nullptr;
            break;
        }
    }
    handle->setTransientParent(parent);
}

Status Form::setStartUpPosition(int v) {
    if (!loaded_) return Status::Refused;
    if (v < 0 || v > 2) {
        runtime().refuse(name_ + ": StartUpPosition out of range");
        return Status::Refused;
    }
    s_.startUpPosition = v;
    return Status::Ok;
}

Status Form::Hide() {
    if (!loaded_) {
        load();
        return Status::Ok;
    }
    if (!shown_) return Status::Ok;
    shown_ = false;
    if (window_) window_->hide();
    quitModalLoop();
    return Status::Ok;
}

void Form::quitModalLoop() {
    if (modalLoop_ != nullptr) modalLoop_->quit();
}

void Form::Refresh() {
    if (window_) window_->repaint();
}

bool Form::userReachable() const {
    return loaded_ && shown_ && s_.enabled;
}

void Form::userClose() {
    if (!loaded_) return;
    unload(false);
}

void Form::userFormClick(bool doubleClick, int button, double x, double y) {
    if (!userReachable()) return;
    raiseFormEvent(
        "MouseDown", [&] { Form_MouseDown(button, 0, x, y); },
        std::to_string(button) + ",0," + std::to_string(x) + "," + std::to_string(y));
    if (doubleClick) {
        raiseFormEvent("DblClick", [this] { Form_DblClick(); });
    } else {
        raiseFormEvent("Click", [this] { Form_Click(); });
    }
}

namespace Screen {
double Width() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? toTwips(s->geometry().width()) : toTwips(1024);
}
double Height() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? toTwips(s->geometry().height()) : toTwips(768);
}
}  // namespace Screen

}  // namespace velt::ui
