#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLineEdit;
class QWidget;

// Shared look of the windows: twip geometry, the fonts with a CJK fallback,
// and the "scroll bar" system colour of the panels and the hidden answer.
namespace Look {

inline int twips(int t) { return (t + 7) / 15; }

// Places a control at a position given in twips inside its parent.
void place(QWidget *widget, int left, int top, int width, int height);

// "宋体" first, then fonts that carry Chinese on every platform.
QFont songti(double pointSize);
QFont withFamily(const QString &family, double pointSize);

// System colour index 0 (scroll bars): the palette's button colour.
QColor scrollBarColour();

// A box that has no tooltip is announced by its label's text.
void nameForScreenReaders(QWidget *widget, const QString &name);

// Keeps the whole text of a box of fixed size in sight: a text wider than the
// box (the counter of a very large bank) gets a smaller font, as small as
// needed and no smaller; a text that fits gets the box's own font back.
void keepTextWhole(QLineEdit *box);

} // namespace Look
