#pragma once

#include <QList>
#include <QString>

#include <optional>

class QWidget;

// Every modal message of the program goes through here: a text, a title, the
// buttons, never an icon. Tests switch on test mode, queue the answers and
// read back what was shown; nothing then blocks on a real dialog.
namespace MessageBox {

enum Button { Ok, Cancel, Yes, No };
enum Buttons { OkOnly, OkCancel, YesNo };

// The default button is OK, or Yes, unless given (No for a question whose
// Yes cannot be undone).
Button show(QWidget *parent, const QString &text, const QString &title,
            Buttons buttons = OkOnly, std::optional<Button> defaultButton = std::nullopt);

struct Shown
{
    QString text;
    QString title;
    Buttons buttons;
    Button answer;
    Button defaultButton = Ok;
};

void setTestMode(bool on);
bool testMode();
// The answer to the next box; without one, a box in test mode gets its
// default button.
void queueAnswer(Button answer);
QList<Shown> shown();
Shown last();
void clearShown();

} // namespace MessageBox
