#include "form1.h"
#include "form6.h"
#include "frmabout.h"
#include "messagebox.h"
#include "songlabel.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

Form1 *openForm1()
{
    setUpGuiTesting();
    resetProgramEnded();
    return qobject_cast<Form1 *>(WindowRegistry::instance().show(QStringLiteral("Form1")));
}

Form6 *guide()
{
    return WindowRegistry::instance().findForm<Form6>(QStringLiteral("Form6"));
}

frmAbout *about()
{
    return WindowRegistry::instance().findForm<frmAbout>(QStringLiteral("frmAbout"));
}

QLabel *label(QWidget *window, const char *name)
{
    return window->findChild<QLabel *>(QString::fromLatin1(name));
}

// Where a control stands, in pixels, measured from the tab container's corner.
QRect onTab(QWidget *widget, QTabWidget *tabs)
{
    return QRect(widget->parentWidget()->mapTo(tabs, widget->pos()), widget->size());
}

QRect pixels(int l, int t, int w, int h)
{
    return QRect((l + 7) / 15, (t + 7) / 15, (w + 7) / 15, (h + 7) / 15);
}

} // namespace

class TestGuideAbout : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void guideHasItsPagesAndExactTexts();
    void guideLooksAsDesigned();
    void textsBreakWhereTheirBlanksSayAndFitTheirBoxes();
    void guideOpensOnTheFirstPageEveryTime();
    void guideClosesByItsButtonAndCloseBox();
    void aboutShowsItsPictureAndTexts();
    void aboutClosesOnBackgroundEnterAndEscOnly();
    void guideAboutAndMarkingOpenTogether();
    void everyControlIsNamedForScreenReaders();
};

void TestGuideAbout::guideHasItsPagesAndExactTexts()
{
    TempBank bank(sampleRows(3));
    openForm1()->button(QStringLiteral("Command9"))->click();
    Form6 *form6 = guide();
    QVERIFY(form6);
    QCOMPARE(form6->windowTitle(), QStringLiteral("操作向导"));
    QTabWidget *tabs = form6->SSTab1();
    QCOMPARE(tabs->objectName(), QStringLiteral("SSTab1"));
    QCOMPARE(tabs->count(), 4);
    const QStringList captions{QStringLiteral("功能简介"), QStringLiteral("如何做题"), QStringLiteral("如何组卷"),
                               QStringLiteral("如何修改")};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(tabs->tabText(i), captions.at(i));

    // The blanks inside the texts are kept, one by one.
    const QString label23 = label(form6, "Label23")->text();
    QVERIFY(label23.startsWith(QStringLiteral("一、自动阅卷。") + QString(73, QLatin1Char(' ')) + QStringLiteral("软件收录")));
    QVERIFY(!label23.contains(QString(74, QLatin1Char(' '))));
    QVERIFY(label23.endsWith(QStringLiteral("直到做对为止。")));
    QCOMPARE(label(form6, "Label25")->text(),
             QStringLiteral("（1）智能组卷：只需输入试题数目，电脑就会智能生成相应的英语试卷，每次生成的试卷各      不相同。"));
    QCOMPARE(label(form6, "Label26")->text(),
             QStringLiteral("（2）手工组卷：可以将题库中的试题有选择地添加到试卷中，生成新的试卷，并可以将此试      卷保存和打印等。"));
    QCOMPARE(label(form6, "Label17")->text(),
             QStringLiteral("3.选好后单击‘添加’按钮,此试题和答案将被加入试    卷和答案卷中."));
    QCOMPARE(label(form6, "Label11")->text(), QStringLiteral(" 件保存."));
    QCOMPARE(label(form6, "Label7")->text().left(5), QStringLiteral("    本"));
    QCOMPARE(label(form6, "Label33")->text().left(5), QStringLiteral("    在"));
    // The numbering of the left list goes from 3 to 5.
    QCOMPARE(label(form6, "Label4")->text(), QStringLiteral("3.连续点击‘智能组卷’,可生成不同的试卷;"));
    QCOMPARE(label(form6, "Label5")->text(), QStringLiteral("5.点击‘保存’按钮,将试题保存至相应位置."));

    // Every label on its page (or in its frame on the third page), with its text.
    const struct
    {
        const char *name;
        int page;
        const char *frame;
        QString text;
    } expected[] = {
        {"Label1", 0, nullptr, QStringLiteral("欢迎使用《Quorvane—智能组卷系统》")},
        {"Label6", 0, nullptr, QStringLiteral("版本：2.1")},
        {"Label24", 0, nullptr, QStringLiteral("二、电脑组卷。")},
        {"Label27", 1, nullptr, QStringLiteral("一、选择试题")},
        {"Label28", 1, nullptr, QStringLiteral("点击主界面右下侧的下拉按钮，若选择‘03年北京海淀’，则显示2003年北京市海淀区中考英语试题。")},
        {"Label29", 1, nullptr, QStringLiteral("二、选择答案")},
        {"Label30", 1, nullptr, QStringLiteral("通过鼠标选择A、B、C、D四个答案，选好后再点击‘下一题’按钮，继续做题。")},
        {"Label31", 1, nullptr, QStringLiteral("三、自动阅卷")},
        {"Label2", 2, "Frame1", QStringLiteral("1.在相应栏内输入试卷的试题数目;")},
        {"Label3", 2, "Frame1", QStringLiteral("2.点击‘智能组卷’按钮;")},
        {"Label8", 2, "Frame1", QStringLiteral("注意:")},
        {"Label9", 2, "Frame1", QStringLiteral("1.输入的试题数目只能小于200,且为整数;")},
        {"Label10", 2, "Frame1", QStringLiteral("2.单击‘保存’按钮后,试卷和答案将以一份文")},
        {"Label14", 2, "Frame3", QStringLiteral("1.点击界面右下侧的按钮,以选择试题范围.")},
        {"Label15", 2, "Frame3", QStringLiteral("2.通过界面右侧的四个按钮:第一题,最后题,上一题,")},
        {"Label16", 2, "Frame3", QStringLiteral("下一题这四个按钮,来定位试题.")},
        {"Label18", 2, "Frame3", QStringLiteral("4.重复第2、第3步,将更多的试题添加入试卷中.")},
        {"Label19", 2, "Frame3", QStringLiteral("5.添加结束后,点单击‘保存’按钮,将试题答案保存.")},
        {"Label20", 2, "Frame3", QStringLiteral("注意:")},
        {"Label21", 2, "Frame3", QStringLiteral("1.若跳过第一步,则当前试题范围为题库中所有试题;")},
        {"Label22", 2, "Frame3", QStringLiteral("2.试卷和答案的保存见左侧‘注意’部分.")},
        {"Label34", 3, nullptr, QStringLiteral("一、修改试题：")},
        {"Label35", 3, nullptr, QStringLiteral("1、单击菜单：编辑-修改试题；2、在试题栏内输入正确内容即可。")},
        {"Label36", 3, nullptr, QStringLiteral("二、修改答案：")},
        {"Label37", 3, nullptr, QStringLiteral("1、单击菜单：编辑-修改答案；2、在答案栏内输入正确答案即可。")},
        {"Label38", 3, nullptr, QStringLiteral("注意：")},
        {"Label40", 3, nullptr, QStringLiteral("2、答案栏内只能输入A、B、C、D四个选项。")},
    };
    for (const auto &e : expected) {
        QLabel *l = label(form6, e.name);
        QVERIFY2(l, e.name);
        QCOMPARE(l->text(), e.text);
        QVERIFY2(tabs->widget(e.page)->isAncestorOf(l), e.name);
        if (e.frame)
            QCOMPARE(l->parentWidget()->objectName(), QString::fromLatin1(e.frame));
    }
    QVERIFY(label(form6, "Label32")->text().startsWith(QStringLiteral("练习结束后，点击‘自动阅卷’按钮")));
    QVERIFY(label(form6, "Label32")->text().endsWith(QStringLiteral("返回主界面后就可以继续做题了。")));
    QCOMPARE(form6->findChildren<QLabel *>().size(), 37);

    auto *frame1 = form6->findChild<QGroupBox *>(QStringLiteral("Frame1"));
    auto *frame3 = form6->findChild<QGroupBox *>(QStringLiteral("Frame3"));
    QVERIFY(frame1 && frame3);
    QCOMPARE(frame1->title(), QStringLiteral("智能组卷"));
    QCOMPARE(frame3->title(), QStringLiteral("手工组卷"));
}

void TestGuideAbout::guideLooksAsDesigned()
{
    TempBank bank(sampleRows(3));
    openForm1()->menuAction(QStringLiteral("HELP"))->trigger();
    Form6 *form6 = guide();
    QVERIFY(form6 && form6->isVisible());
    QCOMPARE(form6->size(), QSize(622, 292));
    QVERIFY(!(form6->windowFlags() & Qt::WindowMaximizeButtonHint));
    QTabWidget *tabs = form6->SSTab1();
    QCOMPARE(tabs->geometry(), pixels(120, 120, 9135, 4215));

    // Positions count from the tab container's corner, tab row included.
    QCOMPARE(onTab(label(form6, "Label1"), tabs), pixels(1560, 480, 5775, 375));
    QCOMPARE(onTab(label(form6, "Label23"), tabs), pixels(240, 1800, 8655, 855));
    for (int page : {2, 3})
        tabs->setCurrentIndex(page); // pages shown later are placed alike
    QCOMPARE(onTab(label(form6, "Label40"), tabs), pixels(720, 3720, 8055, 255));
    QCOMPARE(onTab(form6->findChild<QGroupBox *>(QStringLiteral("Frame3")), tabs), pixels(4440, 480, 4575, 3615));
    QCOMPARE(label(form6, "Label17")->geometry(), pixels(120, 1200, 4335, 375)); // inside its frame

    // Fonts and colours.
    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    const QColor black = QApplication::palette().color(QPalette::WindowText);
    const struct
    {
        const char *name;
        double points; // 0: the window's font
        QColor colour;
    } looks[] = {
        {"Label1", 15, blue}, {"Label6", 12, blue}, {"Label7", 10.5, black}, {"Label23", 10.5, black},
        {"Label32", 10.5, black}, {"Label2", 0, black}, {"Label22", 0, black}, {"Label38", 10.5, red},
        {"Label40", 0, red},
    };
    for (const auto &look : looks) {
        QLabel *l = label(form6, look.name);
        QCOMPARE(l->palette().color(QPalette::WindowText), look.colour);
        if (look.points > 0) {
            QCOMPARE(l->font().pointSizeF(), look.points);
            QCOMPARE(l->font().families().value(0), QStringLiteral("宋体"));
        } else {
            QCOMPARE(l->font(), form6->font());
        }
    }
    QVERIFY(label(form6, "Label23")->wordWrap());
}

void TestGuideAbout::textsBreakWhereTheirBlanksSayAndFitTheirBoxes()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    form1->button(QStringLiteral("Command9"))->click();
    form1->menuAction(QStringLiteral("ABOUT"))->trigger();

    // The 73 blanks end the first line of Label23; the rest starts the second.
    const QStringList label23 = guide()->findChild<SongLabel *>(QStringLiteral("Label23"))->lineTexts();
    QVERIFY(label23.size() >= 2);
    QCOMPARE(label23.at(0), QStringLiteral("一、自动阅卷。") + QString(73, QLatin1Char(' ')));
    QVERIFY(label23.at(1).startsWith(QStringLiteral("软件收录")));
    // Label11 goes on from Label10 on a line of its own.
    QCOMPARE(guide()->findChild<SongLabel *>(QStringLiteral("Label11"))->lineTexts(),
             QStringList{QStringLiteral(" 件保存.")});

    // Every text's lines, a character high each, fit the text's box.
    for (QWidget *window : {static_cast<QWidget *>(guide()), static_cast<QWidget *>(about())}) {
        const QList<SongLabel *> labels = window->findChildren<SongLabel *>();
        QVERIFY(labels.size() >= 5);
        for (SongLabel *l : labels) {
            const int em = QFontInfo(l->font()).pixelSize();
            QVERIFY2(l->lineTexts().size() * em <= l->height(), qPrintable(l->objectName()));
            QCOMPARE(l->lineTexts().join(QString()), l->text());
        }
    }
}

void TestGuideAbout::guideOpensOnTheFirstPageEveryTime()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    form1->button(QStringLiteral("Command9"))->click();
    Form6 *form6 = guide();
    QCOMPARE(form6->SSTab1()->currentIndex(), 0);
    form6->SSTab1()->setCurrentIndex(3); // left on "如何修改"
    QVERIFY(label(form6, "Label33")->isVisible());

    form1->menuAction(QStringLiteral("HELP"))->trigger();
    QCOMPARE(guide(), form6); // the same window, brought forward
    QCOMPARE(form6->SSTab1()->currentIndex(), 0);
    QVERIFY(label(form6, "Label23")->isVisible());
    QVERIFY(!label(form6, "Label33")->isVisible());

    form6->SSTab1()->setCurrentIndex(2);
    form1->button(QStringLiteral("Command9"))->click();
    QCOMPARE(form6->SSTab1()->currentIndex(), 0);
}

void TestGuideAbout::guideClosesByItsButtonAndCloseBox()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    form1->button(QStringLiteral("Command9"))->click();
    QPushButton *exit = guide()->findChild<QPushButton *>(QStringLiteral("Command5"));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("退    出"));
    QCOMPARE(exit->toolTip(), QStringLiteral("退出"));
    // Reachable from every page.
    for (int page = 0; page < 4; ++page) {
        guide()->SSTab1()->setCurrentIndex(page);
        QVERIFY(exit->isVisible());
    }
    exit->click();
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form6")));
    QVERIFY(form1->isVisible());

    form1->button(QStringLiteral("Command9"))->click();
    QVERIFY(guide());
    guide()->close();
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form6")));
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
}

void TestGuideAbout::aboutShowsItsPictureAndTexts()
{
    TempBank bank(sampleRows(3));
    openForm1()->menuAction(QStringLiteral("ABOUT"))->trigger();
    frmAbout *form = about();
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("关于……"));
    QCOMPARE(form->size(), QSize(382, 237));
    QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    QLabel *image = label(form, "Image1");
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(8, 24, 65, 66));
    const QImage picture = image->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(65, 66));
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3)
            colours.insert(picture.pixel(x, y));
    QVERIFY2(colours.size() > 10, "the picture is drawn, not blank");

    QCOMPARE(label(form, "lblTitle")->text(), QStringLiteral("《Quorvane-智能组卷系统》"));
    QCOMPARE(label(form, "lblTitle")->font().pointSizeF(), 15.0);
    QCOMPARE(label(form, "lblVersion")->text(), QStringLiteral("版本：2.1"));
    QCOMPARE(label(form, "lblDescription")->text(),
             QStringLiteral("   此软件收集了近几年全国各地几千道英语中考试题，可作为初三学生英语方面的复习资料，也可作为初中英语老师的教学参考资料。"));
    QCOMPARE(label(form, "Label1")->text(),
             QStringLiteral("   利用本软件可以轻松生成各种试卷，做题后电脑实行自动批阅，电脑根据做题结果，打出相应的评语；也可将题库中试题智能生成各种试卷。"));
    QVERIFY(label(form, "lblDisclaimer")->text().startsWith(QStringLiteral("警告:")));
    QCOMPARE(label(form, "lblDisclaimer")->geometry(), pixels(255, 2640, 3630, 825));

    // The etched separator: grey over the upper pixel of a white pair.
    auto *white = form->findChild<QWidget *>(QStringLiteral("Line1(0)"));
    auto *grey = form->findChild<QWidget *>(QStringLiteral("Line1(1)"));
    QVERIFY(white && grey);
    QCOMPARE(white->geometry(), QRect(8, 168, 368, 2));
    QCOMPARE(grey->geometry(), QRect(6, 168, 371, 1));
    QCOMPARE(white->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(grey->palette().color(QPalette::Window), QColor(128, 128, 128));
    const QImage shot = form->grab().toImage();
    QCOMPARE(shot.pixelColor(100, 168), QColor(128, 128, 128));
    QCOMPARE(shot.pixelColor(100, 169), QColor(Qt::white));

    QPushButton *ok = form->cmdOK();
    QCOMPARE(ok->objectName(), QStringLiteral("cmdOK"));
    QCOMPARE(ok->text(), QStringLiteral("退    出"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->geometry(), pixels(4125, 2760, 1500, 345));
    ok->click();
    QVERIFY(!about());
}

void TestGuideAbout::aboutClosesOnBackgroundEnterAndEscOnly()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    QAction *open = form1->menuAction(QStringLiteral("ABOUT"));

    // Labels and the picture keep their clicks; the window stays.
    open->trigger();
    for (const char *name : {"lblTitle", "lblDescription", "Label1", "lblDisclaimer", "Image1"}) {
        QLabel *l = label(about(), name);
        QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
        QVERIFY2(about(), name);
    }
    // Other keys do nothing.
    QTest::keyClick(about(), Qt::Key_A);
    QTest::keyClick(about(), Qt::Key_Space);
    QVERIFY(about());

    // The free background between the labels closes it.
    QTest::mouseClick(about(), Qt::LeftButton, {}, QPoint(40, 120));
    QVERIFY(!about());

    // So does a click on the separator, which is drawn on the background.
    open->trigger();
    QTest::mouseClick(about(), Qt::LeftButton, {}, QPoint(200, 168));
    QVERIFY(!about());

    // Enter and Esc, whether the button has the focus or the window itself.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        open->trigger();
        QTest::keyClick(about()->cmdOK(), key);
        QVERIFY(!about());
        open->trigger();
        QTest::keyClick(about(), key);
        QVERIFY(!about());
    }
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
}

void TestGuideAbout::guideAboutAndMarkingOpenTogether()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    form1->button(QStringLiteral("Command6"))->click();
    form1->button(QStringLiteral("Command9"))->click();
    form1->menuAction(QStringLiteral("ABOUT"))->trigger();
    for (const QString &name : {QStringLiteral("Form1"), QStringLiteral("Form2"), QStringLiteral("Form6"),
                                QStringLiteral("frmAbout")}) {
        FormBase *form = WindowRegistry::instance().find(name);
        QVERIFY2(form && form->isVisible(), qPrintable(name));
        QVERIFY2(!form->isModal(), qPrintable(name));
    }
    QVERIFY(!QApplication::activeModalWidget());
    // Form1 goes on working beside them.
    form1->button(QStringLiteral("Command4"))->click();
    QCOMPARE(form1->Text2()->text(), QStringLiteral("第2题 共3题"));
    // Closing one leaves the others.
    about()->cmdOK()->click();
    QVERIFY(guide());
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
}

void TestGuideAbout::everyControlIsNamedForScreenReaders()
{
    TempBank bank(sampleRows(3));
    Form1 *form1 = openForm1();
    form1->button(QStringLiteral("Command9"))->click();
    form1->menuAction(QStringLiteral("ABOUT"))->trigger();
    for (QWidget *window : {static_cast<QWidget *>(guide()), static_cast<QWidget *>(about())}) {
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus)
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY(iface);
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(about()->cmdOK())->text(QAccessible::Name),
             QStringLiteral("退    出"));
}

QTEST_MAIN(TestGuideAbout)
#include "tst_guide_about.moc"
