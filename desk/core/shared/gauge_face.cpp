#include "desk/core/shared/gauge_face.h"

#include <cmath>
#include <numbers>

namespace velt::desk {

void DrawGaugeFace(ui::PictureBox& dial) {
    constexpr long kFace = 0xFFFFFF, kInk = 0x404040, kHub = 0x202020;
    dial.setBackColor(kFace);  // clears
    const double cx = dial.ScaleWidth() / 2, cy = dial.ScaleHeight() / 2;
    const double ay = cy - kGaugeArcRaise;
    auto at = [&](double radius, double angle) {
        return std::pair{cx - std::cos(angle) * radius, ay - std::sin(angle) * radius};
    };
    constexpr int kSegments = 36;
    for (int i = 0; i < kSegments; ++i) {
        const auto [x1, y1] = at(kGaugeRadius, std::numbers::pi * i / kSegments);
        const auto [x2, y2] = at(kGaugeRadius, std::numbers::pi * (i + 1) / kSegments);
        dial.Line(x1, y1, x2, y2, kInk);
    }
    for (double angle : {0.0, std::numbers::pi / 2, std::numbers::pi}) {
        const auto [x1, y1] = at(kGaugeRadius - 90, angle);
        const auto [x2, y2] = at(kGaugeRadius, angle);
        dial.Line(x1, y1, x2, y2, kInk);
    }
    dial.Line(cx - 45, cy - 45, cx + 45, cy + 45, kHub, ui::PictureBox::FilledBox);
}

}  // namespace velt::desk
