#include "desk/core/main_window/icons.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace velt::desk {

namespace {

const QColor kInk(60, 68, 80);
const QColor kBlue(47, 111, 208);
const QColor kGreen(46, 157, 91);
const QColor kOrange(224, 138, 30);
const QColor kPaper(252, 252, 250);

QPen pen(const QColor& c, double w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void sheet(QPainter& p) {
    QPainterPath page;
    page.moveTo(5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19.5, 7.5);
    page.lineTo(19.5, 21.5);
    page.lineTo(5, 21.5);
    page.closeSubpath();
    p.setPen(pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(14.5, 2.5), QPointF(14.5, 7.5), QPointF(19.5, 7.5)}));
}

void star(QPainter& p, QPointF c, double r, const QColor& color) {
    QPainterPath s;
    for (int i = 0; i < 8; ++i) {
        double a = i * M_PI / 4 - M_PI / 2;
        double rr = (i % 2 == 0) ? r : r * 0.38;
        QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        if (i == 0)
            s.moveTo(pt);
        else
            s.lineTo(pt);
    }
    s.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(s);
}

void note(QPainter& p, QPointF head, double scale, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.save();
    p.translate(head);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.6 * scale, 1.9 * scale);
    p.restore();
    p.setPen(pen(color, 1.3 * scale));
    QPointF top(head.x() + 2.3 * scale, head.y() - 10 * scale);
    p.drawLine(QPointF(head.x() + 2.3 * scale, head.y() - 0.5 * scale), top);
    p.drawLine(top, QPointF(top.x() + 3.2 * scale, top.y() + 3.5 * scale));
}

void drawIcon(QPainter& p, Icon icon) {
    switch (icon) {
        case Icon::New:
            sheet(p);
            p.setPen(pen(QColor(170, 176, 186), 1.1));
            for (double y : {11.0, 14.0, 17.0}) p.drawLine(QPointF(8, y), QPointF(14, y));
            star(p, QPointF(17.5, 17.5), 5.5, kGreen);
            break;
        case Icon::Open: {
            p.setPen(pen(QColor(150, 95, 20), 1.1));
            p.setBrush(QColor(240, 180, 60));
            QPainterPath back;
            back.moveTo(2.5, 6);
            back.lineTo(9, 6);
            back.lineTo(11, 8);
            back.lineTo(19.5, 8);
            back.lineTo(19.5, 19.5);
            back.lineTo(2.5, 19.5);
            back.closeSubpath();
            p.drawPath(back);
            p.setBrush(QColor(250, 205, 100));
            QPainterPath front;
            front.moveTo(2.5, 19.5);
            front.lineTo(6, 11.5);
            front.lineTo(22, 11.5);
            front.lineTo(19.5, 19.5);
            front.closeSubpath();
            p.drawPath(front);
            break;
        }
        case Icon::Save:
            p.setPen(pen(QColor(25, 60, 120), 1.2));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
            p.setBrush(kPaper);
            p.drawRect(QRectF(6.5, 3, 11, 7));
            p.setBrush(QColor(25, 60, 120));
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(14, 4.5, 2, 4));
            p.setBrush(QColor(220, 230, 245));
            p.drawRoundedRect(QRectF(7, 13.5, 10, 7.5), 1, 1);
            break;
        case Icon::EditProject:
            for (int i = 0; i < 3; ++i) {
                double y = 6 + i * 6;
                double knob = i == 0 ? 15 : i == 1 ? 8 : 12.5;
                p.setPen(pen(kInk, 1.6));
                p.drawLine(QPointF(3.5, y), QPointF(20.5, y));
                p.setPen(pen(QColor(25, 60, 120), 1.1));
                p.setBrush(i == 1 ? kOrange : kBlue);
                p.drawEllipse(QPointF(knob, y), 2.6, 2.6);
            }
            break;
        case Icon::Convert: {
            p.setPen(pen(kBlue, 1.4));
            QPainterPath wave;
            wave.moveTo(1.5, 12);
            for (int i = 1; i <= 18; ++i) {
                double x = 1.5 + i * 0.5;
                double amp = 5.5 * std::sin(i * 0.9) * (1 - i / 22.0);
                wave.lineTo(x, 12 + amp);
            }
            p.drawPath(wave);
            p.setPen(pen(kInk, 1.4));
            p.drawLine(QPointF(11, 12), QPointF(14.5, 12));
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF({QPointF(14, 9.5), QPointF(17, 12), QPointF(14, 14.5)}));
            note(p, QPointF(18.5, 18), 0.85, kGreen);
            break;
        }
        case Icon::SyncPlay:
            p.setPen(pen(QColor(20, 110, 60), 1.1));
            p.setBrush(kGreen);
            p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF({QPointF(9.5, 7), QPointF(17.5, 12), QPointF(9.5, 17)}));
            break;
        case Icon::Options: {
            QPainterPath gear;
            const int teeth = 8;
            for (int i = 0; i < teeth * 4; ++i) {
                double a = i * 2 * M_PI / (teeth * 4);
                double r = (i % 4 == 0 || i % 4 == 1) ? 9.5 : 7.2;
                QPointF pt(12 + r * std::cos(a), 12 + r * std::sin(a));
                if (i == 0)
                    gear.moveTo(pt);
                else
                    gear.lineTo(pt);
            }
            gear.closeSubpath();
            gear.addEllipse(QPointF(12, 12), 3, 3);
            gear.setFillRule(Qt::OddEvenFill);
            p.setPen(pen(QColor(50, 55, 65), 1.0));
            p.setBrush(QColor(125, 135, 150));
            p.drawPath(gear);
            break;
        }
        case Icon::Help: {
            p.setPen(pen(QColor(25, 60, 120), 1.1));
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            p.setPen(Qt::white);
            QFont f("DejaVu Sans");
            f.setPixelSize(14);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, "?");
            break;
        }
    }
}

}  // namespace

ui::Picture CommandIcon(Icon icon, int size) {
    QImage image(size * 2, size * 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size * 2 / 24.0, size * 2 / 24.0);
    drawIcon(p, icon);
    p.end();
    image.setDevicePixelRatio(2);
    return ui::Picture(image);
}

namespace {

// A staff with a waveform flowing into notes, the program's emblem.
void emblem(QPainter& p, const QRectF& area, const QColor& line, const QColor& wave,
            const QColor& notes) {
    double top = area.top(), h = area.height(), w = area.width(), left = area.left();
    p.setPen(pen(line, 1));
    for (int i = 0; i < 5; ++i) {
        double y = top + h * (0.3 + i * 0.1);
        p.drawLine(QPointF(left + w * 0.5, y), QPointF(left + w, y));
    }
    QPainterPath path;
    double mid = top + h * 0.5;
    path.moveTo(left, mid);
    for (int i = 1; i <= 120; ++i) {
        double x = left + w * 0.48 * i / 120.0;
        double env = std::sin(M_PI * i / 120.0);
        path.lineTo(x, mid + h * 0.28 * env * std::sin(i * 0.55) * std::cos(i * 0.13));
    }
    p.setPen(pen(wave, 2));
    p.drawPath(path);
    const double steps[] = {0.2, 0.0, 0.1, -0.1, 0.05};
    for (int i = 0; i < 5; ++i) {
        double x = left + w * (0.56 + i * 0.085);
        double y = top + h * (0.6 - steps[i]);
        note(p, QPointF(x, y), h / 70.0, notes);
    }
}

}  // namespace

ui::Picture WelcomePicture(int width, int height) {
    QImage image(width * 2, height * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(2, 2);
    QLinearGradient ground(0, 0, 0, height);
    ground.setColorAt(0, QColor(246, 248, 252));
    ground.setColorAt(1, QColor(226, 233, 245));
    p.fillRect(QRectF(0, 0, width, height), ground);

    double cardW = std::min(width - 48.0, 520.0), cardH = std::min(height - 40.0, 250.0);
    QRectF card((width - cardW) / 2, (height - cardH) / 2, cardW, cardH);
    p.setPen(QPen(QColor(205, 213, 228), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, 10, 10);

    QRectF art(card.left() + 32, card.top() + 22, card.width() - 64, card.height() * 0.45);
    emblem(p, art, QColor(200, 208, 222), kBlue, kGreen);

    QFont title("DejaVu Sans");
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(35, 45, 60));
    QRectF titleBox(card.left(), art.bottom() + 14, card.width(), 28);
    p.drawText(titleBox, Qt::AlignHCenter | Qt::AlignVCenter, "Veltrane Rizaduzede");
    QFont text("DejaVu Sans");
    text.setPixelSize(13);
    p.setFont(text);
    p.setPen(QColor(90, 100, 115));
    p.drawText(QRectF(card.left(), titleBox.bottom() + 4, card.width(), 20),
               Qt::AlignHCenter | Qt::AlignVCenter, "Turn recorded music into MIDI");
    p.setPen(kBlue);
    p.drawText(QRectF(card.left(), titleBox.bottom() + 30, card.width(), 20),
               Qt::AlignHCenter | Qt::AlignVCenter, "Click here to create or edit a project");
    p.end();
    image.setDevicePixelRatio(2);
    return ui::Picture(image);
}

ui::Picture AboutPicture(int width, int height) {
    QImage image(width * 2, height * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    QLinearGradient ground(0, 0, width, height);
    ground.setColorAt(0, QColor(32, 64, 128));
    ground.setColorAt(1, QColor(22, 110, 120));
    p.fillRect(QRectF(0, 0, width, height), ground);
    emblem(p, QRectF(width * 0.08, height * 0.1, width * 0.84, height * 0.8),
           QColor(255, 255, 255, 90), QColor(150, 200, 255), QColor(140, 235, 170));
    p.end();
    image.setDevicePixelRatio(2);
    return ui::Picture(image);
}

}  // namespace velt::desk
