// Small value types shared by the forms runtime: results, events, colours and twips.
#pragma once

#include <cmath>
#include <functional>
#include <string>

namespace velt::ui {

// Where a classic runtime raised a run-time error, ours leaves the state unchanged and answers.
enum class Status { Ok, Refused, AlreadyShown };

enum class DialogResult { Ok, Cancelled };

struct InputResult {
    bool answered = false;
    std::string text;
};

enum ShowMode { Modeless = 0, Modal = 1 };

// Directions of a slider drag or a spinner press.
enum Direction { Left, Right, Up, Down };

// System colours: the classic constants, resolved from the Fusion palette when drawn.
namespace SysColor {
constexpr long ScrollBars = 0x80000000L;
constexpr long Desktop = 0x80000001L;
constexpr long ActiveTitleBar = 0x80000002L;
constexpr long InactiveTitleBar = 0x80000003L;
constexpr long MenuBar = 0x80000004L;
constexpr long WindowBackground = 0x80000005L;
constexpr long WindowFrame = 0x80000006L;
constexpr long MenuText = 0x80000007L;
constexpr long WindowText = 0x80000008L;
constexpr long TitleBarText = 0x80000009L;
constexpr long Highlight = 0x8000000DL;
constexpr long HighlightText = 0x8000000EL;
constexpr long ButtonFace = 0x8000000FL;
constexpr long ButtonShadow = 0x80000010L;
constexpr long GrayText = 0x80000011L;
constexpr long ButtonText = 0x80000012L;
}  // namespace SysColor

constexpr long RGB(int r, int g, int b) {
    return r + 256L * g + 65536L * b;
}

// Geometry is kept in twips as assigned and drawn at the nearest pixel: 15 twips per pixel at
// the font size the layouts are drawn for. A larger user font (or a font DPI above the screen's)
// makes the text grow but not Qt's pixels, so the pixels per twip grow with the font by
// pixelScale() and every control keeps room for its caption. Qt's own high-DPI scaling enlarges
// text and pixels alike and leaves the scale at 1.
constexpr double TwipsPerPixel = 15.0;
double pixelScale();      // the application font's size in pixels against the reference size
double fontPointScale();  // the application font's point size against the reference size
inline double twipsPerPixel() {
    return TwipsPerPixel / pixelScale();
}
inline int toPixels(double twips) {
    return static_cast<int>(std::floor(twips * pixelScale() / TwipsPerPixel + 0.5));
}
inline double toTwips(double pixels) {
    return pixels * twipsPerPixel();
}

// One event of a control: the form wires a handler once; the runtime raises it.
template <class... A>
class Event {
  public:
    Event& operator=(std::function<void(A...)> handler) {
        handler_ = std::move(handler);
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }
    void call(A... args) const {
        if (handler_) handler_(args...);
    }

  private:
    std::function<void(A...)> handler_;
};

}  // namespace velt::ui
