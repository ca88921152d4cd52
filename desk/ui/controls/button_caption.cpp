#include "desk/ui/controls/button_caption.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QStringList>
#include <QStyleOptionButton>

namespace velt::ui {

namespace {

// The text as drawn: "&x" shows "x", "&&" shows "&".
QString withoutMnemonics(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        else if (text[i] == '&')
            continue;
        out += text[i];
    }
    return out;
}

}  // namespace

QString WrappedButtonCaption(const QAbstractButton& button, const QString& caption,
                             QStyle::SubElement contents) {
    QStyleOptionButton opt;
    opt.initFrom(&button);
    opt.rect = QRect(QPoint(), button.size());
    opt.text = caption;
    const int room = button.style()->subElementRect(contents, &opt, &button).width();
    const QFontMetrics fm(button.font());
    if (room <= 0 || caption.contains('\n') ||
        fm.horizontalAdvance(withoutMnemonics(caption)) <= room)
        return caption;
    // Greedy: as many words on each line as fit; a single word wider than the room keeps a line.
    QStringList lines;
    QString line;
    for (const QString& word : caption.split(' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + ' ' + word;
        if (!line.isEmpty() && fm.horizontalAdvance(withoutMnemonics(longer)) > room) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines.join('\n');
}

}  // namespace velt::ui
