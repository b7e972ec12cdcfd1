#pragma once

#include <QColor>
#include <QFont>
#include <QString>

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

} // namespace Look
