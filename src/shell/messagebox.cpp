#include "messagebox.h"

#include <QMessageBox>
#include <QQueue>

namespace MessageBox {
namespace {

struct TestState
{
    bool on = false;
    QQueue<Button> answers;
    QList<Shown> shown;
};

TestState &state()
{
    static TestState s;
    return s;
}

Button defaultButton(Buttons buttons)
{
    return buttons == YesNo ? Yes : Ok;
}

} // namespace

Button show(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
            std::optional<Button> givenDefault)
{
    const Button byDefault = givenDefault.value_or(defaultButton(buttons));
    if (state().on) {
        Button answer = state().answers.isEmpty() ? byDefault : state().answers.dequeue();
        state().shown.append(Shown{text, title, buttons, answer, byDefault});
        return answer;
    }

    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case OkOnly:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(byDefault == No ? QMessageBox::No : QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        // Escape or the close box: the negative answer.
        return buttons == YesNo ? No : (buttons == OkCancel ? Cancel : Ok);
    }
}

void setTestMode(bool on)
{
    state().on = on;
    state().answers.clear();
    state().shown.clear();
}

bool testMode()
{
    return state().on;
}

void queueAnswer(Button answer)
{
    state().answers.enqueue(answer);
}

QList<Shown> shown()
{
    return state().shown;
}

Shown last()
{
    return state().shown.isEmpty() ? Shown{QString(), QString(), OkOnly, Ok} : state().shown.last();
}

void clearShown()
{
    state().shown.clear();
}

} // namespace MessageBox
