#include "practicewindow.h"
#include "guidewindow.h"
#include "aboutwindow.h"
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

PracticeWindow *openPracticeWindow()
{
    setUpGuiTesting();
    resetProgramEnded();
    return qobject_cast<PracticeWindow *>(WindowRegistry::instance().show(QStringLiteral("Form1")));
}

GuideWindow *guide()
{
    return WindowRegistry::instance().findWindow<GuideWindow>(QStringLiteral("Form6"));
}

AboutWindow *about()
{
    return WindowRegistry::instance().findWindow<AboutWindow>(QStringLiteral("frmAbout"));
}

QLabel *label(QWidget *window, const char *name)
{
    return window->findChild<QLabel *>(QString::fromLatin1(name));
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
    void textsBreakWhereTheirBlanksSayAndFitTheirBoxes();
    void guideOpensOnTheFirstPageEveryTime();
    void guideClosesByItsButtonAndCloseBox();
    void aboutShowsItsPictureAndTexts();
    void aboutClosesOnBackgroundEnterAndEscOnly();
    void guideAboutAndMarkingOpenTogether();
    void everyControlIsNamedForScreenReaders();
};

void TestGuideAbout::textsBreakWhereTheirBlanksSayAndFitTheirBoxes()
{
    TempBank bank(sampleRows(3));
    PracticeWindow *form1 = openPracticeWindow();
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
    PracticeWindow *form1 = openPracticeWindow();
    form1->button(QStringLiteral("Command9"))->click();
    GuideWindow *form6 = guide();
    QCOMPARE(form6->tabs()->currentIndex(), 0);
    form6->tabs()->setCurrentIndex(3); // left on "如何修改"
    QVERIFY(label(form6, "Label33")->isVisible());

    form1->menuAction(QStringLiteral("HELP"))->trigger();
    QCOMPARE(guide(), form6); // the same window, brought forward
    QCOMPARE(form6->tabs()->currentIndex(), 0);
    QVERIFY(label(form6, "Label23")->isVisible());
    QVERIFY(!label(form6, "Label33")->isVisible());

    form6->tabs()->setCurrentIndex(2);
    form1->button(QStringLiteral("Command9"))->click();
    QCOMPARE(form6->tabs()->currentIndex(), 0);
}

void TestGuideAbout::guideClosesByItsButtonAndCloseBox()
{
    TempBank bank(sampleRows(3));
    PracticeWindow *form1 = openPracticeWindow();
    form1->button(QStringLiteral("Command9"))->click();
    QPushButton *exit = guide()->findChild<QPushButton *>(QStringLiteral("Command5"));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("退    出"));
    QCOMPARE(exit->toolTip(), QStringLiteral("退出"));
    // Reachable from every page.
    for (int page = 0; page < 4; ++page) {
        guide()->tabs()->setCurrentIndex(page);
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
    openPracticeWindow()->menuAction(QStringLiteral("ABOUT"))->trigger();
    AboutWindow *form = about();
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

    QPushButton *ok = form->closeButton();
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
    PracticeWindow *form1 = openPracticeWindow();
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
        QTest::keyClick(about()->closeButton(), key);
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
    PracticeWindow *form1 = openPracticeWindow();
    form1->button(QStringLiteral("Command6"))->click();
    form1->button(QStringLiteral("Command9"))->click();
    form1->menuAction(QStringLiteral("ABOUT"))->trigger();
    for (const QString &name : {QStringLiteral("Form1"), QStringLiteral("Form2"), QStringLiteral("Form6"),
                                QStringLiteral("frmAbout")}) {
        ProgramWindow *form = WindowRegistry::instance().find(name);
        QVERIFY2(form && form->isVisible(), qPrintable(name));
        QVERIFY2(!form->isModal(), qPrintable(name));
    }
    QVERIFY(!QApplication::activeModalWidget());
    // PracticeWindow goes on working beside them.
    form1->button(QStringLiteral("Command4"))->click();
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共3题"));
    // Closing one leaves the others.
    about()->closeButton()->click();
    QVERIFY(guide());
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
}

void TestGuideAbout::everyControlIsNamedForScreenReaders()
{
    TempBank bank(sampleRows(3));
    PracticeWindow *form1 = openPracticeWindow();
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
    QCOMPARE(QAccessible::queryAccessibleInterface(about()->closeButton())->text(QAccessible::Name),
             QStringLiteral("退    出"));
}

QTEST_MAIN(TestGuideAbout)
#include "tst_guide_about.moc"
