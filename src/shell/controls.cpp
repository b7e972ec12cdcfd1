#include "controls.h"

#include "look.h"
#include "paper.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace Controls {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &tooltip,
                    int l, int t, int w, int h)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tooltip);
    b->setAutoDefault(true);
    Look::place(b, l, t, w, h);
    return b;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h)
{
    auto *f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    Look::place(f, l, t, w, h);
    return f;
}

QFrame *panel(QWidget *parent, const QString &name, int l, int t, int w, int h)
{
    auto *p = new QFrame(parent);
    p->setObjectName(name);
    p->setFrameShape(QFrame::StyledPanel);
    p->setFrameShadow(QFrame::Sunken);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, Look::scrollBarColour());
    p->setPalette(pal);
    Look::place(p, l, t, w, h);
    return p;
}

QLabel *label(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *lb = new QLabel(text, parent);
    lb->setObjectName(name);
    Look::place(lb, l, t, w, h);
    return lb;
}

QLineEdit *plainText(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, Look::scrollBarColour());
    box->setPalette(pal);
    Look::place(box, l, t, w, h);
    return box;
}

QLineEdit *hiddenBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->hide();
    return box;
}

QPlainTextEdit *textArea(QWidget *parent, const QString &name, const QString &tooltip, bool readOnly,
                         int l, int t, int w, int h)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setToolTip(tooltip);
    box->setReadOnly(readOnly);
    if (readOnly)
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines wrap
    box->setTabChangesFocus(true);
    Look::place(box, l, t, w, h);
    return box;
}

void appendText(QPlainTextEdit *box, const QString &text)
{
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    end.insertText(Paper::toBoxText(text));
    box->setTextCursor(end);
    box->ensureCursorVisible();
}

} // namespace Controls
