#include "guidewindow.h"

#include "look.h"
#include "songlabel.h"
#include "windowregistry.h"

#include <QEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

enum class Font { Default, Title, Version, Body };
enum class Colour { Black, Blue, Red };

struct GuideLabel
{
    int page;
    QString frame; // empty: straight on the page
    QString name;
    Font font;
    Colour colour;
    QRect twips; // left, top, width, height
    QString text;
};

// The texts keep their blanks: the runs inside Label17, Label23, Label25 and
// Label26 push the rest of the text onto the label's next line.
QList<GuideLabel> guideLabels()
{
    return {
        {0, QString(), QStringLiteral("Label1"), Font::Title, Colour::Blue, {1560, 480, 5775, 375},
         QStringLiteral("欢迎使用《Quorvane—智能组卷系统》")},
        {0, QString(), QStringLiteral("Label6"), Font::Version, Colour::Blue, {3720, 840, 1215, 375},
         QStringLiteral("版本：2.1")},
        {0, QString(), QStringLiteral("Label7"), Font::Body, Colour::Black, {240, 1200, 8775, 495},
         QStringLiteral("    本软件收录了近几年全国各地几千道中考英语试题，可供初三学生复习使用，也可以作为教师的参考资料。主要功能如下：")},
        {0, QString(), QStringLiteral("Label23"), Font::Body, Colour::Black, {240, 1800, 8655, 855},
         QStringLiteral("一、自动阅卷。") + QString(73, QLatin1Char(' '))
             + QStringLiteral("软件收录的试题均为选择题，有A、B、C、D四个选项供选择，练习结束后电脑实行自动阅卷，得出此次练习的正确率、试题总数，系统根据所得分数得出相应的评语，还可以对每次练习出错的试题进行订正，直到做对为止。")},
        {0, QString(), QStringLiteral("Label24"), Font::Body, Colour::Black, {240, 2760, 8655, 735},
         QStringLiteral("二、电脑组卷。")},
        {0, QString(), QStringLiteral("Label25"), Font::Body, Colour::Black, {240, 3000, 8535, 495},
         QStringLiteral("（1）智能组卷：只需输入试题数目，电脑就会智能生成相应的英语试卷，每次生成的试卷各      不相同。")},
        {0, QString(), QStringLiteral("Label26"), Font::Body, Colour::Black, {240, 3480, 8535, 495},
         QStringLiteral("（2）手工组卷：可以将题库中的试题有选择地添加到试卷中，生成新的试卷，并可以将此试      卷保存和打印等。")},
        {1, QString(), QStringLiteral("Label27"), Font::Body, Colour::Black, {480, 720, 1815, 255},
         QStringLiteral("一、选择试题")},
        {1, QString(), QStringLiteral("Label28"), Font::Body, Colour::Black, {840, 1080, 8055, 495},
         QStringLiteral("点击主界面右下侧的下拉按钮，若选择‘03年北京海淀’，则显示2003年北京市海淀区中考英语试题。")},
        {1, QString(), QStringLiteral("Label29"), Font::Body, Colour::Black, {480, 1680, 8295, 255},
         QStringLiteral("二、选择答案")},
        {1, QString(), QStringLiteral("Label30"), Font::Body, Colour::Black, {840, 2040, 7935, 375},
         QStringLiteral("通过鼠标选择A、B、C、D四个答案，选好后再点击‘下一题’按钮，继续做题。")},
        {1, QString(), QStringLiteral("Label31"), Font::Body, Colour::Black, {480, 2400, 1455, 255},
         QStringLiteral("三、自动阅卷")},
        {1, QString(), QStringLiteral("Label32"), Font::Body, Colour::Black, {840, 2760, 8055, 1215},
         QStringLiteral("练习结束后，点击‘自动阅卷’按钮，出现自动阅卷界面，再单击界面中‘自动阅卷’按钮，根据做题结果，电脑自动打出评语，批阅结果显示在界面右侧。若有错题，可以点击‘订正错题’按钮，并返回主界面，此时显示的就是刚才做错的习题，供你订正，直至做对为止。自动阅卷后，若想继续做题，则可以点击‘继续练习’按钮，返回主界面后就可以继续做题了。")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label2"), Font::Default, Colour::Black, {120, 360, 3735, 255},
         QStringLiteral("1.在相应栏内输入试卷的试题数目;")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label3"), Font::Default, Colour::Black, {120, 720, 3855, 255},
         QStringLiteral("2.点击‘智能组卷’按钮;")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label4"), Font::Default, Colour::Black, {120, 1080, 3855, 255},
         QStringLiteral("3.连续点击‘智能组卷’,可生成不同的试卷;")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label5"), Font::Default, Colour::Black, {120, 1440, 3735, 255},
         QStringLiteral("5.点击‘保存’按钮,将试题保存至相应位置.")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label8"), Font::Default, Colour::Black, {120, 2040, 1095, 255},
         QStringLiteral("注意:")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label9"), Font::Default, Colour::Black, {120, 2400, 3495, 255},
         QStringLiteral("1.输入的试题数目只能小于200,且为整数;")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label10"), Font::Default, Colour::Black, {120, 2760, 3855, 255},
         QStringLiteral("2.单击‘保存’按钮后,试卷和答案将以一份文")},
        {2, QStringLiteral("Frame1"), QStringLiteral("Label11"), Font::Default, Colour::Black, {240, 3120, 855, 255},
         QStringLiteral(" 件保存.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label14"), Font::Default, Colour::Black, {120, 240, 4335, 255},
         QStringLiteral("1.点击界面右下侧的按钮,以选择试题范围.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label15"), Font::Default, Colour::Black, {120, 600, 4335, 255},
         QStringLiteral("2.通过界面右侧的四个按钮:第一题,最后题,上一题,")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label16"), Font::Default, Colour::Black, {240, 860, 4095, 255},
         QStringLiteral("下一题这四个按钮,来定位试题.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label17"), Font::Default, Colour::Black, {120, 1200, 4335, 375},
         QStringLiteral("3.选好后单击‘添加’按钮,此试题和答案将被加入试    卷和答案卷中.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label18"), Font::Default, Colour::Black, {120, 1680, 4335, 255},
         QStringLiteral("4.重复第2、第3步,将更多的试题添加入试卷中.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label19"), Font::Default, Colour::Black, {120, 2040, 4335, 255},
         QStringLiteral("5.添加结束后,点单击‘保存’按钮,将试题答案保存.")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label20"), Font::Default, Colour::Black, {120, 2400, 1455, 255},
         QStringLiteral("注意:")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label21"), Font::Default, Colour::Black, {120, 2760, 4215, 255},
         QStringLiteral("1.若跳过第一步,则当前试题范围为题库中所有试题;")},
        {2, QStringLiteral("Frame3"), QStringLiteral("Label22"), Font::Default, Colour::Black, {120, 3120, 4335, 375},
         QStringLiteral("2.试卷和答案的保存见左侧‘注意’部分.")},
        {3, QString(), QStringLiteral("Label33"), Font::Body, Colour::Black, {480, 600, 8415, 1095},
         QStringLiteral("    在使用过程中，若发现某试题或试题答案录入错误，你可以通过‘修改试题’、‘修改答案’进行修改。")},
        {3, QString(), QStringLiteral("Label34"), Font::Body, Colour::Black, {480, 1320, 8295, 255},
         QStringLiteral("一、修改试题：")},
        {3, QString(), QStringLiteral("Label35"), Font::Body, Colour::Black, {840, 1680, 8055, 375},
         QStringLiteral("1、单击菜单：编辑-修改试题；2、在试题栏内输入正确内容即可。")},
        {3, QString(), QStringLiteral("Label36"), Font::Body, Colour::Black, {480, 2160, 7815, 255},
         QStringLiteral("二、修改答案：")},
        {3, QString(), QStringLiteral("Label37"), Font::Body, Colour::Black, {840, 2520, 8055, 375},
         QStringLiteral("1、单击菜单：编辑-修改答案；2、在答案栏内输入正确答案即可。")},
        {3, QString(), QStringLiteral("Label38"), Font::Body, Colour::Red, {480, 3000, 735, 255},
         QStringLiteral("注意：")},
        {3, QString(), QStringLiteral("Label40"), Font::Default, Colour::Red, {720, 3720, 8055, 255},
         QStringLiteral("2、答案栏内只能输入A、B、C、D四个选项。")},
    };
}

QFont fontFor(Font font)
{
    switch (font) {
    case Font::Title:
        return Look::songti(15);
    case Font::Version:
        return Look::songti(12);
    case Font::Body:
        return Look::songti(10.5);
    case Font::Default:
        break;
    }
    return QFont();
}

void applyColour(QWidget *widget, Colour colour)
{
    if (colour == Colour::Black)
        return;
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour == Colour::Blue ? QColor(0, 0, 255) : QColor(255, 0, 0));
    widget->setPalette(pal);
}

} // namespace

GuideWindow::GuideWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("Form6"), parent)
{
    setWindowTitle(QStringLiteral("操作向导"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(9330, 4380);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    Look::nameForScreenReaders(m_tabs, windowTitle());
    Look::place(m_tabs, 120, 120, 9135, 4215);
    const QString captions[] = {QStringLiteral("功能简介"), QStringLiteral("如何做题"), QStringLiteral("如何组卷"),
                                QStringLiteral("如何修改")};
    QList<QWidget *> pages;
    for (const QString &caption : captions) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("Page%1").arg(pages.size()));
        m_tabs->addTab(page, caption);
        pages << page;
    }

    QHash<QString, QGroupBox *> frames;
    const auto addFrame = [&](const QString &name, const QString &caption, const QRect &twipsRect) {
        auto *frame = new QGroupBox(caption, pages.at(2));
        frame->setObjectName(name);
        placeOnTab(frame, twipsRect);
        frames.insert(name, frame);
    };
    addFrame(QStringLiteral("Frame1"), QStringLiteral("智能组卷"), QRect(120, 480, 4095, 3615));
    addFrame(QStringLiteral("Frame3"), QStringLiteral("手工组卷"), QRect(4440, 480, 4575, 3615));

    for (const GuideLabel &entry : guideLabels()) {
        QWidget *container = entry.frame.isEmpty() ? pages.at(entry.page) : frames.value(entry.frame);
        auto *label = new SongLabel(entry.name, entry.text, container);
        if (entry.font != Font::Default)
            label->setFont(fontFor(entry.font));
        applyColour(label, entry.colour);
        if (entry.frame.isEmpty())
            placeOnTab(label, entry.twips);
        else
            Look::place(label, entry.twips.x(), entry.twips.y(), entry.twips.width(), entry.twips.height());
    }

    // One exit for every page, at the free end of the tab row: the pages
    // fill the window and leave no room below them.
    auto *command5 = new QPushButton(QStringLiteral("退    出"), m_tabs);
    command5->setObjectName(QStringLiteral("Command5"));
    command5->setToolTip(QStringLiteral("退出"));
    command5->setAutoDefault(false);
    m_tabs->setCornerWidget(command5, Qt::TopRightCorner);
    connect(command5, &QPushButton::clicked, this, &GuideWindow::leave);

    if (auto *stack = m_tabs->findChild<QStackedWidget *>())
        stack->installEventFilter(this);
    m_tabs->setCurrentIndex(0);
}

void GuideWindow::leave()
{
    WindowRegistry::instance().unload(objectName());
}

void GuideWindow::placeOnTab(QWidget *widget, const QRect &twipsRect)
{
    m_tabPositions.insert(widget, twipsRect);
    Look::place(widget, twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
}

void GuideWindow::followPageOrigin()
{
    for (auto it = m_tabPositions.cbegin(); it != m_tabPositions.cend(); ++it) {
        QWidget *widget = it.key();
        const QPoint origin = widget->parentWidget()->mapTo(m_tabs, QPoint(0, 0));
        const QRect &t = it.value();
        widget->setGeometry(Look::twips(t.x()) - origin.x(), Look::twips(t.y()) - origin.y(),
                            Look::twips(t.width()), Look::twips(t.height()));
    }
}

bool GuideWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The page area moves when the tab row is laid out (on showing, or when
    // the font or style changes).
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        followPageOrigin();
    return ProgramWindow::eventFilter(watched, event);
}
