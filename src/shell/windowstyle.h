#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLineEdit;
class QWidget;

// The look the windows share beyond their Designer forms: font faces with a
// Chinese fallback, the system's scroll-bar colour of the panels and of the
// hidden answer, and boxes that keep a long text whole.
namespace WindowStyle {

// The face first, then faces that carry Chinese on every platform.
QFont withFamily(const QString &family, double pointSize);
// "宋体", the face of the question texts.
QFont songti(double pointSize);

// System colour index 0 (scroll bars): the palette's button colour.
QColor scrollBarColour();

// Completes a window built from its form: every font the form sets gets the
// Chinese fallbacks and its exact size (a form holds whole points; a size
// such as 10.5 is kept in the property "pointSizeF"), and every control
// marked "scrollBarColoured" takes the scroll-bar colour as its background;
// Tab moves on from every multi-line box.
void finishForm(QWidget *form);

// Keeps the whole text of a box of fixed size in sight: a text wider than the
// box (the counter of a very large bank) gets a smaller font, as small as
// needed and no smaller; a text that fits gets the box's own font back.
void keepTextWhole(QLineEdit *box);

} // namespace WindowStyle
