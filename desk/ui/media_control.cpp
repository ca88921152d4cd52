#include "desk/ui/media_control.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "desk/ui/focus_mark.h"
#include "desk/ui/form.h"
#include "desk/ui/runtime.h"
#include "desk/ui/scheduler.h"
#include "platform/mci/device.h"
#include "platform/mci/mci_error.h"

namespace velt::ui {

namespace {

namespace mci = platform::mci;

constexpr const char* kButtonNames[MediaControl::kButtons] = {
    "Prev", "Next", "Play", "Pause", "Back", "Step", "Stop", "Record", "Eject"};

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A button of the bar; the one the keys would press carries the focus mark while the bar has the
// focus.
class BarButton : public FocusMarked<QToolButton> {
  public:
    using FocusMarked<QToolButton>::FocusMarked;

  protected:
    void paintEvent(QPaintEvent* e) override {
        QToolButton::paintEvent(e);
        if (!marked()) return;
        QPainter p(this);
        drawFocusMark(p, rect().adjusted(2, 2, -2, -2));
    }
};

// Record and Eject have no standard transport icon: a red dot, and a bar under a triangle.
QIcon drawnIcon(MediaControl::Button b) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (b == MediaControl::Record) {
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(QPointF(8, 8), 5, 5);
    } else {
        p.setBrush(QColor(40, 40, 40));
        const QPointF triangle[3] = {{8, 2}, {14, 9}, {2, 9}};
        p.drawPolygon(triangle, 3);
        p.drawRect(2, 11, 12, 3);
    }
    return QIcon(pixmap);
}

QIcon iconOf(QStyle* style, MediaControl::Button b) {
    switch (b) {
        case MediaControl::Prev:
            return style->standardIcon(QStyle::SP_MediaSkipBackward);
        case MediaControl::Next:
            return style->standardIcon(QStyle::SP_MediaSkipForward);
        case MediaControl::Play:
            return style->standardIcon(QStyle::SP_MediaPlay);
        case MediaControl::Pause:
            return style->standardIcon(QStyle::SP_MediaPause);
        case MediaControl::Back:
            return style->standardIcon(QStyle::SP_MediaSeekBackward);
        case MediaControl::Step:
            return style->standardIcon(QStyle::SP_MediaSeekForward);
        case MediaControl::Stop:
            return style->standardIcon(QStyle::SP_MediaStop);
        default:
            return drawnIcon(b);
    }
}

}  // namespace

MediaControl::MediaControl(Form* form, std::string name, int index)
    : Control(form, std::move(name), index) {}

MediaControl::~MediaControl() {
    if (statusPost_ != 0) Scheduler::instance().cancel(statusPost_);
}

QWidget* MediaControl::createWidget(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kButtons; ++i) {
        auto* tool = new BarButton(bar);
        tool->setObjectName(QString::fromLatin1(kButtonNames[i]));
        tool->setToolTip(QString::fromLatin1(kButtonNames[i]));
        tool->setIcon(iconOf(bar->style(), static_cast<Button>(i)));
        tool->setFocusPolicy(Qt::NoFocus);
        tool->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        QObject::connect(tool, &QToolButton::clicked, guard(),
                         [this, i] { userClick(static_cast<Button>(i)); });
        layout->addWidget(tool);
        tools_[static_cast<size_t>(i)] = tool;
    }
    // The bar is one Tab stop; its buttons take no focus of their own.
    bar->setFocusPolicy(Qt::StrongFocus);
    widget_ = bar;
    applyButtons();
    return bar;
}

void MediaControl::resetState() {
    closeDevice();
    if (statusPost_ != 0) Scheduler::instance().cancel(statusPost_);
    statusPost_ = 0;
    tools_.fill(nullptr);
    s_ = State{};
    focused_ = Play;
    active_ = false;
}

void MediaControl::applyButtons() {
    for (int i = 0; i < kButtons; ++i) {
        QToolButton* tool = tools_[static_cast<size_t>(i)];
        if (tool == nullptr || widget_ == nullptr) continue;
        tool->setEnabled(s_.buttons[static_cast<size_t>(i)].enabled);
        tool->setVisible(s_.buttons[static_cast<size_t>(i)].visible);
    }
    keepFocusedUsable();
    showMark();
}

bool MediaControl::usable(int b) const {
    const ButtonState& state = s_.buttons[static_cast<size_t>(b)];
    return state.enabled && state.visible;
}

void MediaControl::keepFocusedUsable() {
    if (usable(focused_)) return;
    // The nearest usable button, the one to the right on a tie: Record pressed gives way to Stop
    // beside it, Play to Pause.
    for (int distance = 1; distance < kButtons; ++distance) {
        for (int b : {focused_ + distance, focused_ - distance}) {
            if (b >= 0 && b < kButtons && usable(b)) {
                focused_ = static_cast<Button>(b);
                return;
            }
        }
    }
}

void MediaControl::showMark() {
    for (int i = 0; i < kButtons; ++i) {
        if (auto* tool = static_cast<BarButton*>(tools_[static_cast<size_t>(i)]))
            tool->setMarked(active_ && i == focused_ && usable(i));
    }
}

void MediaControl::activeChanged(bool active) {
    active_ = active;
    keepFocusedUsable();
    showMark();
}

void MediaControl::userKey(Key key) {
    if (key != Key::Left && key != Key::Right) return;
    const int step = key == Key::Right ? 1 : -1;
    // Left and Right go round the usable buttons.
    for (int n = 1; n < kButtons; ++n) {
        const int b = ((focused_ + step * n) % kButtons + kButtons) % kButtons;
        if (usable(b)) {
            focused_ = static_cast<Button>(b);
            break;
        }
    }
    showMark();
}

void MediaControl::userAscii(int keyAscii) {
    if (keyAscii == 32 || keyAscii == 13) pressFocused();
}

bool MediaControl::pressFocused() {
    if (!usable(focused_)) return false;
    return userClick(focused_);
}

Status MediaControl::setDeviceType(const std::string& v) {
    if (inert()) return Status::Refused;
    const std::string type = lowered(v);
    if (!type.empty() && type != "waveaudio" && type != "sequencer" && type != "cdaudio")
        return refused("DeviceType must be WaveAudio, Sequencer or CDAudio");
    s_.deviceType = v;
    return Status::Ok;
}

Status MediaControl::setFileName(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.fileName = v;
    return Status::Ok;
}

Status MediaControl::setTimeFormat(int v) {
    if (inert()) return Status::Refused;
    if (v != 0) return refused("TimeFormat must be 0 (milliseconds)");
    return Status::Ok;
}

Status MediaControl::setFrom(long v) {
    if (inert()) return Status::Refused;
    s_.from = v;
    return Status::Ok;
}

Status MediaControl::setTo(long v) {
    if (inert()) return Status::Refused;
    s_.to = v;
    return Status::Ok;
}

long MediaControl::Position() const {
    return device_ ? static_cast<long>(device_->positionMs()) : 0;
}

long MediaControl::Length() const {
    return device_ ? static_cast<long>(device_->lengthMs()) : 0;
}

int MediaControl::Mode() const {
    return static_cast<int>(device_ ? device_->mode() : mci::Mode::NotOpen);
}

Status MediaControl::setNotify(bool v) {
    if (inert()) return Status::Refused;
    s_.notify = v;
    return Status::Ok;
}

Status MediaControl::setWait(bool v) {
    if (inert()) return Status::Refused;
    s_.wait = v;
    return Status::Ok;
}

Status MediaControl::setUpdateInterval(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 65535) return refused("UpdateInterval out of range");
    s_.updateInterval = v;
    armStatusUpdate();
    return Status::Ok;
}

Status MediaControl::setButtonEnabled(Button b, bool v) {
    if (inert()) return Status::Refused;
    s_.buttons[b].enabled = v;
    applyButtons();
    return Status::Ok;
}

Status MediaControl::setButtonVisible(Button b, bool v) {
    if (inert()) return Status::Refused;
    s_.buttons[b].visible = v;
    applyButtons();
    return Status::Ok;
}

Status MediaControl::setCommand(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.command = v;
    runCommand(v);
    return Status::Ok;
}

void MediaControl::finish(int32_t error) {
    s_.error = error;
    s_.errorMessage.clear();
    if (error != 0) mci::mciGetErrorString(error, s_.errorMessage);
}

void MediaControl::closeDevice() {
    if (device_) device_->onEnd(nullptr);
    device_.reset();
}

void MediaControl::runCommand(const std::string& command) {
    const std::string verb = lowered(command);
    // From and To hold for this command only.
    const std::optional<long> from = std::exchange(s_.from, std::nullopt);
    const std::optional<long> to = std::exchange(s_.to, std::nullopt);
    if (verb == "open") {
        closeDevice();
        const std::string type = lowered(s_.deviceType);
        std::optional<mci::DeviceType> kind;
        if (type == "waveaudio") {
            kind = mci::DeviceType::WaveAudio;
        } else if (type == "sequencer") {
            kind = mci::DeviceType::Sequencer;
        } else if (type.empty()) {
            const std::string ext = lowered(std::filesystem::path(s_.fileName).extension());
            if (ext == ".wav") kind = mci::DeviceType::WaveAudio;
            if (ext == ".mid" || ext == ".midi" || ext == ".rmi") kind = mci::DeviceType::Sequencer;
        }
        if (!kind) {
            finish(type == "cdaudio" ? mci::kMciNoDevice : mci::kMciInvalidFile);
            return;
        }
        if (s_.fileName.empty()) {
            finish(mci::kMciFileNotFound);
            return;
        }
        finish(mci::openDevice(*kind, s_.fileName, device_));
        return;
    }
    if (verb != "play" && verb != "pause" && verb != "stop" && verb != "close") {
        finish(mci::kMciUnknownCommand);
        return;
    }
    if (!device_) {
        finish(mci::kMciAliasNotOpen);
        return;
    }
    if (verb == "play") {
        const long length = static_cast<long>(device_->lengthMs());
        std::optional<int64_t> start, end;
        if (from) start = std::clamp(*from, 0L, length);
        if (to) end = std::clamp(*to, 0L, length);
        if (start && end && *end < *start) end = start;
        device_->onEnd(nullptr);  // a new Play cancels a pending Done
        int32_t result = device_->play(start, end);
        if (result == mci::kMciOk) device_->onEnd([this] { deviceEnded(); });
        finish(result);
    } else if (verb == "pause") {
        finish(device_->mode() == mci::Mode::Paused ? device_->resume() : device_->pause());
    } else if (verb == "stop") {
        device_->onEnd(nullptr);
        finish(device_->stop());
    } else {
        closeDevice();
        finish(mci::kMciOk);
    }
}

void MediaControl::deviceEnded() {
    // Called from the scheduler: the notice has come through the event loop.
    if (inert() || !s_.notify) return;
    raise("Done", Done, Raise::User, 1);
}

void MediaControl::armStatusUpdate() {
    if (statusPost_ != 0) Scheduler::instance().cancel(statusPost_);
    statusPost_ = 0;
    if (inert() || s_.updateInterval <= 0) return;
    statusPost_ = Scheduler::instance().postAt(runtime().clock().nowMs() + s_.updateInterval,
                                               [this] { statusTick(); });
}

void MediaControl::statusTick() {
    statusPost_ = 0;
    if (inert()) return;
    armStatusUpdate();  // first, so the handler may change or stop the interval
    raise("StatusUpdate", StatusUpdate, Raise::User);
}

bool MediaControl::userClick(Button b) {
    if (inert() || !enabledChain() || !visibleChain() || !form_->userReachable()) return false;
    if (!s_.buttons[b].enabled || !s_.buttons[b].visible) return false;
    const Event<int&>* handlers[kButtons] = {&PrevClick,  &NextClick,   &PlayClick,
                                             &PauseClick, &BackClick,   &StepClick,
                                             &StopClick,  &RecordClick, &EjectClick};
    int cancel = 0;
    const std::string event = std::string(kButtonNames[b]) + "Click";
    if (!raise(event.c_str(), *handlers[b], Raise::User, cancel)) return false;
    if (cancel == 0 && !inert()) setCommand(kButtonNames[b]);
    return true;
}

}  // namespace velt::ui
