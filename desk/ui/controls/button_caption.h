// The caption of a check box or option button as it is drawn: Qt's buttons keep a caption on one
// line, so a caption wider than the room beside the indicator is broken into lines at blanks,
// as a classic button with room for several lines shows it. The control's Caption stays as
// assigned; only the drawn text has the breaks.
#pragma once

#include <QString>
#include <QStyle>

class QAbstractButton;

namespace velt::ui {

QString WrappedButtonCaption(const QAbstractButton& button, const QString& caption,
                             QStyle::SubElement contents);

}  // namespace velt::ui
