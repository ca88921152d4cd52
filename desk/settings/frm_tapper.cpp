#include "desk/settings/frm_tapper.h"

#include <QPainter>

#include "desk/core/help_topics.h"
#include "desk/core/shared/tools.h"

namespace velt::desk {

namespace {

constexpr double kWidth = 6000, kHeight = 3900;

// An arrow pointing left (or right) in the bar's active colour.
ui::Picture arrow(bool left) {
    QImage image(24, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ui::resolveColor(ui::SysColor::ActiveTitleBar));
    const QPointF head[3] = {left ? QPointF(0, 8) : QPointF(24, 8),
                             left ? QPointF(10, 0) : QPointF(14, 0),
                             left ? QPointF(10, 16) : QPointF(14, 16)};
    p.drawPolygon(head, 3);
    p.drawRect(left ? QRectF(10, 5, 14, 6) : QRectF(0, 5, 14, 6));
    p.end();
    return ui::Picture(image);
}

long barColour(bool lit) {
    return lit ? ui::SysColor::ActiveTitleBar : ui::SysColor::InactiveTitleBar;
}

}  // namespace

frmTapper::frmTapper() : Form("frmTapper") {
    chkStart.Click = [this] { chkStart_Click(); };
    chkEnd.Click = [this] { chkEnd_Click(); };
    picStart.Click = [this] { picStart_Click(); };
    picEnd.Click = [this] { picEnd_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
}

void frmTapper::design() {
    setCaption("Tap Extender");
    Move(0, 0, kWidth, kHeight);
    lblHeader.Move(240, 180, kWidth - 480, 1200);
    lblHeader.setWordWrap(true);
    lblHeader.setCaption(
        "For best results, we recommend that you tap during the entire portion of the audio file "
        "you want converted.  However, Veltrane can extend your tapping to the beginning and/or "
        "ending of the audio file if the tempo remains constant.");
    imgLeftArrow.Move(240, 1500, 360, 240);
    imgLeftArrow.setPicture(arrow(true));
    picStart.Move(660, 1500, 1320, 240);
    picMiddle.Move(1980, 1500, 1800, 240);
    picMiddle.setBackColor(ui::SysColor::ActiveTitleBar);
    picEnd.Move(3780, 1500, 1320, 240);
    imgRightArrow.Move(5160, 1500, 360, 240);
    imgRightArrow.setPicture(arrow(false));
    chkStart.Move(240, 1920, kWidth - 480, 315);
    chkStart.setCaption("Extend tapping to the &BEGINNING of the audio file");
    chkEnd.Move(240, 2310, kWidth - 480, 315);
    chkEnd.setCaption("Extend tapping to the &END of the audio file");
    cmdOK.Move(1440, 3000, 1215, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdCancel.Move(2760, 3000, 1215, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdHelp.Move(4080, 3000, 1215, 375);
    cmdHelp.setCaption("&Help");
}

void frmTapper::Form_Load() {
    Move((ui::Screen::Width() - Width()) / 2, (ui::Screen::Height() - Height()) / 2, Width(),
         Height());
    ExtendToStart = false;
    ExtendToEnd = false;
    chkStart.setValue(0);
    chkEnd.setValue(0);
    picStart.setBackColor(barColour(false));
    picEnd.setBackColor(barColour(false));
}

void frmTapper::chkStart_Click() {
    picStart.setBackColor(barColour(chkStart.Value() == 1));
}

void frmTapper::chkEnd_Click() {
    picEnd.setBackColor(barColour(chkEnd.Value() == 1));
}

void frmTapper::picStart_Click() {
    chkStart.setValue(picStart.BackColor() == barColour(false) ? 1 : 0);
}

void frmTapper::picEnd_Click() {
    chkEnd.setValue(picEnd.BackColor() == barColour(false) ? 1 : 0);
}

void frmTapper::cmdOK_Click() {
    ExtendToStart = chkStart.Value() == 1;
    ExtendToEnd = chkEnd.Value() == 1;
    unload();
}

void frmTapper::cmdCancel_Click() {
    unload();
}

void frmTapper::cmdHelp_Click() {
    ShowHelpTopic(help_topic::TapExtenderWindow);
}

}  // namespace velt::desk
