// Every window of the program, loaded as a user meets it, and the checks a reviewer makes by eye:
// each caption fits its control and no two visible neighbours are drawn over each other. The
// caption test and the screenshot command both walk the forms through this list.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "desk/core/about/frm_about.h"
#include "desk/core/live/frm_live.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/instruments/frm_drum.h"
#include "desk/instruments/frm_ens.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_player.h"
#include "desk/media/frm_record.h"
#include "desk/media/frm_wma.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/frm_tapper.h"
#include "desk/ui/ui.h"
#include "desk/wizard/frm_wizard.h"

namespace velt::desk::form_walk {

struct FormEntry {
    std::string name;
    std::function<ui::Form&()> load;      // loads the form hidden
    std::function<ui::Form*()> existing;  // the instance, also while its Form_Load runs
    // The box the form's load raises when it has nothing to work on (no input to decode, no
    // bridge to run the engine); the form is looked at while the box is open.
    std::string box;
};

template <class T>
FormEntry Entry(const char* name, const char* box = "") {
    return FormEntry{name, []() -> ui::Form& { return ui::Load<T>(); },
                     []() -> ui::Form* { return ui::forms::existing<T>(); }, box};
}

// Every form but the main window, which the fixture loads as the program starts.
inline std::vector<FormEntry> EveryForm() {
    return {
        Entry<frmAbout>("frmAbout"),
        Entry<frmCustomize>("frmCustomize"),
        Entry<frmLive>("frmLive", "Unable to run converter."),
        Entry<frmResults>("frmResults"),
        Entry<frmProperties>("frmProperties"),
        Entry<frmTapper>("frmTapper"),
        Entry<frmWizard>("frmWizard"),
        Entry<frmRecord>("frmRecord"),
        Entry<frmCD>("frmCD"),
        Entry<frmPlayer>("frmPlayer"),
        Entry<frmMP3>("frmMP3", "Unable to run decoder."),
        Entry<frmAIFF>("frmAIFF"),
        Entry<frmWMA>("frmWMA"),
        Entry<frmAAC>("frmAAC"),
        Entry<frmEns>("frmEns"),
        Entry<frmDrum>("frmDrum"),
        Entry<frmStatus>("frmStatus", "Unable to run converter."),
    };
}

// The text a control shows with its mnemonic marks taken out ("&&" shows "&").
inline QString Shown(const std::string& caption) {
    return QString::fromStdString(ui::Label::displayText(caption));
}

// What a caption needs and what it has, in pixels; empty `what` when it fits.
struct Misfit {
    std::string what;
};

// Where the text of a button-like widget (push button, check box, option button) is drawn.
inline QRect TextArea(QAbstractButton* b, QStyle::SubElement element) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    return b->style()->subElementRect(element, &opt, b);
}

// The text fits the rectangle: each line fits its width, the lines (wrapped at words when
// `wrap`) fit its height.
inline std::string FitProblem(const QFont& font, const QString& text, const QRect& area,
                              bool wrap) {
    if (text.isEmpty()) return "";
    QFontMetrics fm(font);
    if (!wrap && !text.contains('\n')) {
        const int need = fm.horizontalAdvance(text);
        if (need > area.width())
            return "needs " + std::to_string(need) + " px wide, has " +
                   std::to_string(area.width());
        if (fm.height() > area.height())
            return "needs " + std::to_string(fm.height()) + " px high, has " +
                   std::to_string(area.height());
        return "";
    }
    const QRect need = fm.boundingRect(QRect(0, 0, area.width(), 100000),
                                       Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    if (need.height() > area.height() || need.width() > area.width())
        return "wrapped needs " + std::to_string(need.width()) + "x" +
               std::to_string(need.height()) + " px, has " + std::to_string(area.width()) + "x" +
               std::to_string(area.height());
    return "";
}

// The control's caption or text against its rectangle; "" when it fits or has none.
inline std::string CaptionProblem(ui::Control& c) {
    QWidget* w = c.widget();
    if (w == nullptr) return "";
    if (auto* l = dynamic_cast<ui::Label*>(&c)) {
        if (l->AutoSize()) return "";
        return FitProblem(w->font(), Shown(l->Caption()), QRect(QPoint(), w->size()),
                          l->WordWrap());
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        // The runtime's own line breaks are in the widget's text; the caption is the value.
        QString text = b->text();
        text.remove(QRegularExpression("&(?!&)"));
        QStyle::SubElement area =
            qobject_cast<QPushButton*>(w) != nullptr    ? QStyle::SE_PushButtonContents
            : qobject_cast<QRadioButton*>(w) != nullptr ? QStyle::SE_RadioButtonContents
                                                        : QStyle::SE_CheckBoxContents;
        return FitProblem(w->font(), text, TextArea(b, area), false);
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty()) return "";
        // The style places the title; the widget's edge cuts it.
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label =
            g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        QRect room(0, 0, w->width() - std::max(label.left(), 0), label.height());
        return FitProblem(w->font(), Shown(g->title().toStdString()), room, false);
    }
    if (auto* box = qobject_cast<QComboBox*>(w); box != nullptr && !box->isEditable()) {
        if (box->currentText().isEmpty()) return "";
        QStyleOptionComboBox opt;
        opt.initFrom(box);
        opt.currentText = box->currentText();
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                         QStyle::SC_ComboBoxEditField, box);
        return FitProblem(w->font(), box->currentText(), field, false);
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text().isEmpty()) return "";
        QRect room(0, 0, w->width() - 8, w->height() - 4);
        return FitProblem(w->font(), e->text(), room, false);
    }
    return "";
}

// Lines and shapes are drawn by their container, over or under its other controls.
inline bool Decoration(const ui::Control& c) {
    return dynamic_cast<const ui::Line*>(&c) != nullptr ||
           dynamic_cast<const ui::Shape*>(&c) != nullptr;
}

// Pairs of visible controls in the same container whose rectangles overlap, unless the form
// declares them layered.
inline std::vector<std::string> Overlaps(const ui::Form& form) {
    std::vector<std::string> found;
    const auto& controls = form.controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        ui::Control* a = controls[i];
        if (a->widget() == nullptr || !a->Visible() || Decoration(*a)) continue;
        for (size_t j = i + 1; j < controls.size(); ++j) {
            ui::Control* b = controls[j];
            if (b->widget() == nullptr || !b->Visible() || Decoration(*b)) continue;
            if (a->widget()->parentWidget() != b->widget()->parentWidget()) continue;
            const QRect ra = a->widget()->geometry(), rb = b->widget()->geometry();
            if (ra.isEmpty() || rb.isEmpty() || !ra.intersects(rb)) continue;
            if (form.layered(*a, *b)) continue;
            found.push_back(a->traceName() + " overlaps " + b->traceName());
        }
    }
    return found;
}

}  // namespace velt::desk::form_walk
