#include "farewellsplash.h"

#include "look.h"
#include "windowregistry.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

FarewellSplash::FarewellSplash(QWidget *parent)
    : ProgramWindow(QStringLiteral("frmSplash"), parent)
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
    m_thanksLabel = greenLabel(QStringLiteral("Label1"), QStringLiteral("感谢使用《Quorvane》"), Look::songti(36));
    Look::place(m_thanksLabel, 600, 600, 8655, 855);
    m_mottoLabel = greenLabel(QStringLiteral("Label3"), QStringLiteral("有志者事竞成！"),
                          Look::withFamily(QStringLiteral("华文行楷"), 48));
    Look::place(m_mottoLabel, 1560, 2040, 6855, 975);

    m_endTimer = new QTimer(this);
    m_endTimer->setObjectName(QStringLiteral("Timer1"));
    m_endTimer->setInterval(2000);
    m_endTimer->setSingleShot(true);
    connect(m_endTimer, &QTimer::timeout, this, &FarewellSplash::endProgram);
}

void FarewellSplash::onLoad()
{
    m_endTimer->start();
}

void FarewellSplash::onUnload()
{
    m_endTimer->stop(); // the timer stops with the window
}

void FarewellSplash::endProgram()
{
    WindowRegistry &registry = WindowRegistry::instance();
    const QString order[] = {QStringLiteral("Form1"), QStringLiteral("frmSplash"), QStringLiteral("Form2"),
                             QStringLiteral("Form3"), QStringLiteral("Form4"), QStringLiteral("Form5"),
                             QStringLiteral("Form6"), QStringLiteral("frmAbout")};
    for (const QString &name : order)
        registry.unload(name);
}

void FarewellSplash::onBackgroundClick()
{
    WindowRegistry::instance().unload(objectName());
}

void FarewellSplash::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        onBackgroundClick();
}

bool FarewellSplash::eventFilter(QObject *watched, QEvent *event)
{
    // A click on either text closes the farewell window like one on its background.
    if (event->type() == QEvent::MouseButtonPress && (watched == m_thanksLabel || watched == m_mottoLabel)) {
        onBackgroundClick();
        return true;
    }
    return ProgramWindow::eventFilter(watched, event);
}
