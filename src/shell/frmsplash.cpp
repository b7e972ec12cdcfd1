#include "frmsplash.h"

#include "look.h"
#include "windowregistry.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

frmSplash::frmSplash(QWidget *parent)
    : FormBase(QStringLiteral("frmSplash"), parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setClientSizeTwips(9450, 4785);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    const auto greenLabel = [this](const QString &name, const QString &text, const QFont &font) {
        auto *label = new QLabel(text, this);
        label->setObjectName(name);
        label->setFont(font);
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, QColor(0, 255, 0));
        p.setColor(QPalette::Window, Qt::black);
        label->setPalette(p);
        label->installEventFilter(this);
        return label;
    };
    m_label1 = greenLabel(QStringLiteral("Label1"), QStringLiteral("感谢使用《Quorvane》"), Look::songti(36));
    Look::place(m_label1, 600, 600, 8655, 855);
    m_label3 = greenLabel(QStringLiteral("Label3"), QStringLiteral("有志者事竞成！"),
                          Look::withFamily(QStringLiteral("华文行楷"), 48));
    Look::place(m_label3, 1560, 2040, 6855, 975);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(2000);
    m_timer1->setSingleShot(true);
    connect(m_timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

void frmSplash::Form_Load()
{
    m_timer1->start();
}

void frmSplash::Form_Unload()
{
    m_timer1->stop(); // the timer stops with the window
}

void frmSplash::Timer1_Timer()
{
    WindowRegistry &registry = WindowRegistry::instance();
    const QString order[] = {QStringLiteral("Form1"), QStringLiteral("frmSplash"), QStringLiteral("Form2"),
                             QStringLiteral("Form3"), QStringLiteral("Form4"), QStringLiteral("Form5"),
                             QStringLiteral("Form6"), QStringLiteral("frmAbout")};
    for (const QString &name : order)
        registry.unload(name);
}

void frmSplash::Form_Click()
{
    WindowRegistry::instance().unload(objectName());
}

void frmSplash::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Form_Click();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    // A click on either text closes the farewell window like one on its background.
    if (event->type() == QEvent::MouseButtonPress && (watched == m_label1 || watched == m_label3)) {
        Form_Click();
        return true;
    }
    return FormBase::eventFilter(watched, event);
}
