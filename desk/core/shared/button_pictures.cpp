#include "desk/core/shared/button_pictures.h"

#include <QPainter>

namespace velt::desk {

namespace {

constexpr int kSide = 16;  // pixels

QImage blank() {
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

ui::Picture LevelButtonPicture() {
    QImage image = blank();
    QPainter p(&image);
    const QColor bars[] = {QColor(40, 170, 40), QColor(40, 170, 40), QColor(220, 190, 0),
                           QColor(210, 40, 30)};
    for (int i = 0; i < 4; ++i) {
        const int height = 3 * (i + 1);
        p.fillRect(QRect(1 + 4 * i, kSide - 1 - height, 3, height), bars[i]);
    }
    // The fader: its track across the top and the knob on it.
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(1, 2, kSide - 2, 2);
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(QRect(8, 0, 3, 4));
    p.end();
    return ui::Picture(std::move(image));
}

ui::Picture RecordingDeviceButtonPicture() {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(110, 110, 120));
    p.drawRoundedRect(QRectF(5.5, 0.5, 5, 9), 2.5, 2.5);  // the head
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3.5, 3.5, 9, 9), 180 * 16, 180 * 16);  // the holder
    p.drawLine(QPointF(8, 12.5), QPointF(8, 14.5));         // the stand
    p.drawLine(QPointF(5, 15), QPointF(11, 15));
    p.end();
    return ui::Picture(std::move(image));
}

}  // namespace velt::desk
