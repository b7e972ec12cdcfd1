#include "aboutwindow.h"

#include "programicon.h"
#include "ui_aboutwindow.h"
#include "windowstyle.h"
#include "windowregistry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

AboutWindow::AboutWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("frmAbout"), parent)
{
    Ui::AboutWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    control<QLabel>(QStringLiteral("Image1"))->setPixmap(emblem());
    // The lines of the etched separator let clicks through to the window.
    for (const QString &line : {QStringLiteral("Line1(0)"), QStringLiteral("Line1(1)")})
        control<QWidget>(line)->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_closeButton = control<QPushButton>(QStringLiteral("cmdOK"));
    m_closeButton->setFocus();
    connect(m_closeButton, &QPushButton::clicked, this, &AboutWindow::leave);

    // A click on a label or on the picture is theirs, not the background's.
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        label->installEventFilter(this);
}

void AboutWindow::leave()
{
    WindowRegistry::instance().unload(objectName());
}

void AboutWindow::onBackgroundClick()
{
    WindowRegistry::instance().unload(objectName());
}

void AboutWindow::mousePressEvent(QMouseEvent *event)
{
    m_backgroundPressed = event->button() == Qt::LeftButton;
    ProgramWindow::mousePressEvent(event);
}

void AboutWindow::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release on the background.
    const bool click = m_backgroundPressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_backgroundPressed = false;
    if (click)
        onBackgroundClick();
    else
        ProgramWindow::mouseReleaseEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    // closeButton is both the default button (Enter) and the cancel button (Esc).
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            m_closeButton->click();
            return;
        }
        break;
    default:
        break;
    }
    ProgramWindow::keyPressEvent(event);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (qobject_cast<QLabel *>(watched))
            return true;
        break;
    default:
        break;
    }
    return ProgramWindow::eventFilter(watched, event);
}

QPixmap AboutWindow::emblem()
{
    QPixmap pixmap(65, 66);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    ProgramIcon::paintEmblem(p);
    p.end();
    return pixmap;
}
