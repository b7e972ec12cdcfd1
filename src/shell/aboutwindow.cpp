#include "aboutwindow.h"

#include "ui_aboutwindow.h"
#include "windowstyle.h"
#include "windowregistry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
    p.setRenderHint(QPainter::Antialiasing);

    // A blue tile.
    QLinearGradient sky(0, 0, 0, 66);
    sky.setColorAt(0, QColor(52, 120, 210));
    sky.setColorAt(1, QColor(18, 56, 128));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 63, 64), 10, 10);

    // An answer sheet with a folded corner and a shadow.
    QPainterPath sheet;
    sheet.moveTo(15, 9);
    sheet.lineTo(40, 9);
    sheet.lineTo(50, 19);
    sheet.lineTo(50, 57);
    sheet.lineTo(15, 57);
    sheet.closeSubpath();
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawPath(sheet.translated(2, 2));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 205, 215));
    p.drawPolygon(QPolygonF({QPointF(40, 9), QPointF(40, 19), QPointF(50, 19)}));

    // Four choice rows: a small box and a line of text each.
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 4; ++row) {
        const qreal y = 22 + row * 8.5;
        p.setPen(QPen(QColor(90, 110, 140), 1));
        p.drawRect(QRectF(19, y - 2.5, 5, 5));
        p.setPen(QPen(QColor(160, 170, 185), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(27, y), QPointF(row % 2 ? 40 : 45, y));
    }
    // The second choice filled in.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 110));
    p.drawRect(QRectF(20, 29, 3, 3));

    // A red tick across the lower right corner.
    QPen tick(QColor(220, 30, 30), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    p.drawPolyline(QPolygonF({QPointF(33, 47), QPointF(40, 54), QPointF(56, 36)}));
    p.end();
    return pixmap;
}
