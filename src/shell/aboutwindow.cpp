#include "aboutwindow.h"

#include "look.h"
#include "songlabel.h"
#include "windowregistry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *label = new SongLabel(name, text, parent);
    Look::place(label, l, t, w, h);
    return label;
}

// One line of the etched separator; clicks pass through it to the window.
void makeLine(QWidget *parent, const QString &name, const QColor &colour, const QRect &pixels)
{
    auto *line = new QWidget(parent);
    line->setObjectName(name);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    line->setGeometry(pixels);
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("frmAbout"), parent)
{
    setWindowTitle(QStringLiteral("关于……"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(5730, 3555);

    auto *image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(emblem());
    image1->setAccessibleName(QStringLiteral("Quorvane 标志"));
    Look::place(image1, 120, 360, 975, 990);

    QLabel *title = makeLabel(this, QStringLiteral("lblTitle"), QStringLiteral("《Quorvane-智能组卷系统》"),
                              1050, 174, 4485, 360);
    title->setFont(Look::songti(15));
    makeLabel(this, QStringLiteral("lblVersion"), QStringLiteral("版本：2.1"), 2040, 600, 2565, 225);
    makeLabel(this, QStringLiteral("lblDescription"),
              QStringLiteral("   此软件收集了近几年全国各地几千道英语中考试题，可作为初三学生英语方面的复习资料，"
                             "也可作为初中英语老师的教学参考资料。"),
              1050, 1200, 4485, 570);
    makeLabel(this, QStringLiteral("Label1"),
              QStringLiteral("   利用本软件可以轻松生成各种试卷，做题后电脑实行自动批阅，电脑根据做题结果，"
                             "打出相应的评语；也可将题库中试题智能生成各种试卷。"),
              1080, 1800, 4575, 615);

    // The etched separator: a white line two pixels high with a grey one on
    // its upper pixel.
    makeLine(this, QStringLiteral("Line1(0)"), Qt::white,
             QRect(Look::twips(120), Look::twips(2520), Look::twips(5640) - Look::twips(120), 2));
    makeLine(this, QStringLiteral("Line1(1)"), QColor(128, 128, 128),
             QRect(Look::twips(90), Look::twips(2520), Look::twips(5654) - Look::twips(90), 1));

    makeLabel(this, QStringLiteral("lblDisclaimer"),
              QStringLiteral("警告: 本软件及其题库受著作权法保护。未经许可，不得复制、修改或传播其全部或部分内容。"),
              255, 2640, 3630, 825);

    m_closeButton = new QPushButton(QStringLiteral("退    出"), this);
    m_closeButton->setObjectName(QStringLiteral("cmdOK"));
    m_closeButton->setDefault(true);
    Look::place(m_closeButton, 4125, 2760, 1500, 345);
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
