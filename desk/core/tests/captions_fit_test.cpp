// Every window at the user's font size: no caption is cut off and no two visible controls of one
// container are drawn over each other. The font size is what changes the fit: Qt's own scaling
// (QT_SCALE_FACTOR, a high-DPI screen) enlarges controls and text alike, while a larger desktop
// font (or a font DPI above the screen's) makes only the text grow, so the runtime lays the
// windows out in proportion to the font. The test sets the application font to 1, 1.5 and 2
// times the size the layouts are drawn for.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "audio_input_double.h"
#include "desk/core/run/bridge_loader.h"
#include "form_walk.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

// The application font for the test's scale, restored when the test ends.
class FontScale {
  public:
    FontScale() : base_(QApplication::font()) {}
    ~FontScale() { QApplication::setFont(base_); }
    void set(double scale) {
        QFont f = base_;
        f.setPointSizeF(base_.pointSizeF() * scale);
        QApplication::setFont(f);
    }

  private:
    QFont base_;
};

// A form with what the checks must find: a cut label, a caption that wraps into too little
// height, and two labels over one another.
class frmCramped : public ui::Form {
  public:
    frmCramped() : Form("frmCramped") {}
    ui::Label lblCut{this, "lblCut"};
    ui::OptionButton optTall{this, "optTall"};
    ui::Label lblUnder{this, "lblUnder"};
    ui::Label lblOver{this, "lblOver"};

  protected:
    void design() override {
        lblCut.Move(0, 0, 600, 255);
        lblCut.setCaption("Instrument in Original Audio:");
        optTall.Move(0, 300, 1500, 255);
        optTall.setCaption("A caption of many words that needs several lines in a narrow box");
        lblUnder.Move(0, 900, 3000, 255);
        lblUnder.setCaption("Under");
        lblOver.Move(1500, 900, 3000, 255);
        lblOver.setCaption("Over");
    }
};

TEST(CaptionsFitChecks, FindCutCaptionsAndOverlapsUnlessDeclaredLayered) {
    ui::test::Script ui;
    frmCramped& f = ui::Load<frmCramped>();
    EXPECT_NE(form_walk::CaptionProblem(f.lblCut), "");
    EXPECT_NE(form_walk::CaptionProblem(f.optTall), "");
    EXPECT_EQ(form_walk::CaptionProblem(f.lblUnder), "");
    EXPECT_EQ(form_walk::Overlaps(f),
              std::vector<std::string>{"frmCramped.lblUnder overlaps frmCramped.lblOver"});
    f.declareLayered(f.lblOver, f.lblUnder);
    EXPECT_TRUE(form_walk::Overlaps(f).empty());
    // Room enough: the label fits, the option's caption wraps into the height it has.
    f.lblCut.setWidth(3000);
    f.optTall.setHeight(1500);
    EXPECT_EQ(form_walk::CaptionProblem(f.lblCut), "");
    EXPECT_EQ(form_walk::CaptionProblem(f.optTall), "");
    ui::forms::releaseAll();
}

class CaptionsFit : public MainWindowTest {
  protected:
    // No bridge: the progress and live windows close at once, saying so, instead of running.
    void SetUp() override {
        MainWindowTest::SetUp();
        UseBridgeLibrary(dir / "no-bridge.so");
        // The instrument lists and the example ensemble fill the windows as after an install.
        namespace fs = std::filesystem;
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, dir / "install" / file);
        for (const char* folder : {"Ensembles", "Drum Kits"})
            fs::copy(test::sourceDir() / "data" / folder, dir / "install" / folder);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        UseBridgeLibrary("");
    }
    test_audio::FakeAudioInput meter;  // the recorder's level meter listens to it
};

// Every control with a caption or text, on every form, at three font scales.
TEST_F(CaptionsFit, EveryFormAtEveryScale) {
    FontScale font;
    std::vector<std::string> problems;
    for (double scale : {1.0, 1.5, 2.0}) {
        font.set(scale);
        const std::string at = " at scale " + std::to_string(scale).substr(0, 3);
        auto inspect = [&](ui::Form& f) {
            for (ui::Control* c : f.controls()) {
                const std::string p = form_walk::CaptionProblem(*c);
                if (!p.empty()) problems.push_back(c->traceName() + at + ": " + p);
            }
            for (const std::string& o : form_walk::Overlaps(f)) problems.push_back(o + at);
        };
        // The drum kit editor shows the drums its kit holds in bold.
        auto inspectBold = [&](frmDrum& f) {
            for (int i = f.chkDrum.LBound(); i <= f.chkDrum.UBound(); ++i) {
                ui::CheckBox& box = f.chkDrum(i);
                box.setFontBold(true);
                const std::string p = form_walk::CaptionProblem(box);
                if (!p.empty()) problems.push_back(box.traceName() + " in bold" + at + ": " + p);
                box.setFontBold(false);
            }
        };
        inspect(start());
        for (const auto& entry : form_walk::EveryForm()) {
            if (entry.box.empty()) {
                ui::Form& f = entry.load();
                inspect(f);
                if (auto* drums = dynamic_cast<frmDrum*>(&f)) inspectBold(*drums);
                continue;
            }
            ui.expectBox({.textStartsWith = entry.box})
                .meanwhile([&] { inspect(*entry.existing()); })
                .answer(ui::OK);
            entry.load();
        }
        ui::forms::releaseAll();
    }
    for (const std::string& p : problems) ADD_FAILURE() << p;
}

}  // namespace
}  // namespace velt::desk
