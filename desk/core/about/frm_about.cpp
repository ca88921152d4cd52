#include "desk/core/about/frm_about.h"

#include <QWidget>

#include "desk/core/global.h"
#include "desk/core/main_window/icons.h"
#include "desk/core/startup/version.h"

namespace velt::desk {

namespace {
constexpr double kWidth = 7200, kHeight = 4500, kButtonStrip = 550;
}

frmAbout::frmAbout() : Form("frmAbout") {
    cmdOK.Click = [this] { cmdOK_Click(); };
    tmrSplash.Tick = [this] { tmrSplash_Timer(); };
    // Clicks on the picture and the texts count as clicks on the box.
    imgArt.Click = [this] { close(); };
    lblTitle.Click = [this] { close(); };
    lblAbout.Click = [this] { close(); };
}

void frmAbout::design() {
    setCaption("About");
    Move(0, 0, kWidth, kHeight);
    setKeyPreview(true);
    setBackColor(ui::RGB(255, 255, 255));
    imgArt.Move(0, 0, kWidth, 1800);
    imgArt.setPicture(AboutPicture(static_cast<int>(kWidth / 15), 120));
    lblTitle.Move(360, 1980, kWidth - 720, 420);
    lblTitle.setFontBold(true);
    lblTitle.setFontSize(11);
    lblTitle.setBackColor(ui::RGB(255, 255, 255));
    lblAbout.Move(360, 2460, kWidth - 720, 1400);
    lblAbout.setWordWrap(true);
    lblAbout.setBackColor(ui::RGB(255, 255, 255));
    lblAbout.setCaption("Version " + std::to_string(AppMajor) + "." + std::to_string(AppMinor) +
                        "." + std::to_string(AppRevision) +
                        "\n\nThis copy of the program is licensed to its user under the terms of "
                        "the licence agreement that came with it. Unauthorised copying or "
                        "distribution is not permitted.");
    cmdOK.Move(kWidth - 1215 - 360, kHeight - kButtonStrip + 60, 1215, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdOK.setCancel(true);
    tmrSplash.setInterval(SplashInterval);
    tmrSplash.setEnabled(false);
}

void frmAbout::Form_Load() {
    Global& g = G();
    if (g.SplashMode) {
        setHeight(Height() - kButtonStrip);
        if (window() != nullptr) window()->setWindowFlag(Qt::FramelessWindowHint, true);
        tmrSplash.setEnabled(true);
    }
    Move((ui::Screen::Width() - Width()) / 2, (ui::Screen::Height() - Height()) / 2, Width(),
         Height());
    lblTitle.setCaption("Veltrane Rizaduzede MP3 to MIDI Converter");
    if (!g.SplashMode) setCaption("About " + lblTitle.Caption());
}

void frmAbout::Form_KeyPress(int& KeyAscii) {
    (void)KeyAscii;
    close();
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::tmrSplash_Timer() {
    close();
}

void frmAbout::close() {
    unload();
}

}  // namespace velt::desk
