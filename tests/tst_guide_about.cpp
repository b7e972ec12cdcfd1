#include "practicewindow.h"
#include "guidewindow.h"
#include "aboutwindow.h"
#include "songlabel.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

GuideWindow *guide()
{
    return WindowRegistry::instance().findWindow<GuideWindow>(QStringLiteral("Form6"));
}

AboutWindow *about()
{
    return WindowRegistry::instance().findWindow<AboutWindow>(QStringLiteral("frmAbout"));
}

} // namespace

class TestGuideAbout : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }

    void guideAndAboutOpenBesideTheOthersTheGuideOnItsFirstPageAboutClosingOnBackgroundEnterAndEsc()
    {
        TempBank bank(sampleRows(3));
        PracticeWindow *form1 = showPracticeWindow();
        // Guide, about and marking open together, none of them modal.
        clickButton(form1, QStringLiteral("Command6"));
        clickButton(form1, QStringLiteral("Command9"));
        form1->menuAction(QStringLiteral("ABOUT"))->trigger();
        for (const QString &name : {QStringLiteral("Form1"), QStringLiteral("Form2"), QStringLiteral("Form6"),
                                    QStringLiteral("frmAbout")}) {
            ProgramWindow *form = WindowRegistry::instance().find(name);
            QVERIFY2(form && form->isVisible() && !form->isModal(), qPrintable(name));
        }

        // The 73 blanks end the first line of Label23; the rest starts the second.
        const QStringList label23 = guide()->findChild<SongLabel *>(QStringLiteral("Label23"))->lineTexts();
        QVERIFY(label23.size() >= 2);
        QCOMPARE(label23.at(0), QStringLiteral("一、自动阅卷。") + QString(73, QLatin1Char(' ')));
        QVERIFY(label23.at(1).startsWith(QStringLiteral("软件收录")));
        // Label11 goes on from Label10 on a line of its own.
        QCOMPARE(guide()->findChild<SongLabel *>(QStringLiteral("Label11"))->lineTexts(),
                 QStringList{QStringLiteral(" 件保存.")});
        // Every text's lines, a character high each, fit the text's box: none is clipped.
        for (QWidget *window : {static_cast<QWidget *>(guide()), static_cast<QWidget *>(about())}) {
            const QList<SongLabel *> labels = window->findChildren<SongLabel *>();
            QVERIFY(labels.size() >= 5);
            for (SongLabel *l : labels) {
                const int em = QFontInfo(l->font()).pixelSize();
                QVERIFY2(l->lineTexts().size() * em <= l->height(), qPrintable(l->objectName()));
                QCOMPARE(l->lineTexts().join(QString()), l->text());
            }
        }

        clickButton(form1, QStringLiteral("Command4")); // the practice window goes on working beside them
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共3题"));
        about()->closeButton()->click(); // closing one leaves the others
        QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));

        GuideWindow *form6 = guide();
        QCOMPARE(form6->tabs()->currentIndex(), 0);
        form6->tabs()->setCurrentIndex(3); // left on "如何修改"
        form1->menuAction(QStringLiteral("HELP"))->trigger();
        QCOMPARE(guide(), form6); // the same window, brought forward
        QCOMPARE(form6->tabs()->currentIndex(), 0);
        form6->tabs()->setCurrentIndex(2);
        clickButton(form1, QStringLiteral("Command9"));
        QCOMPARE(form6->tabs()->currentIndex(), 0);

        // Its button unloads it; the practice window stays.
        clickButton(form6, QStringLiteral("Command5"));
        QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form6")));
        QVERIFY(form1->isVisible());

        QAction *open = form1->menuAction(QStringLiteral("ABOUT"));
        open->trigger();
        QVERIFY(about() && about()->isVisible());
        // The emblem is drawn at run time: many colours, not a blank square.
        const QImage picture = about()->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3)
            for (int x = 0; x < picture.width(); x += 3)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() > 10, "the picture is drawn, not blank");

        // Labels and the picture keep their clicks, other keys do nothing; the window stays.
        for (const char *name : {"lblTitle", "lblDescription", "Label1", "lblDisclaimer", "Image1"}) {
            QLabel *l = about()->findChild<QLabel *>(QString::fromLatin1(name));
            QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
            QVERIFY2(about(), name);
        }
        QTest::keyClick(about(), Qt::Key_A);
        QTest::keyClick(about(), Qt::Key_Space);
        QVERIFY(about());

        // The free background between the labels closes it, and so does the separator drawn on it.
        for (const QPoint at : {QPoint(40, 120), QPoint(200, 168)}) {
            QTest::mouseClick(about(), Qt::LeftButton, {}, at);
            QVERIFY2(!about(), qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
            open->trigger();
        }

        // Its button, and Enter and Esc, whether the button has the focus or the window itself.
        clickButton(about(), QStringLiteral("cmdOK"));
        QVERIFY(!about());
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            for (const bool onButton : {true, false}) {
                open->trigger();
                QTest::keyClick(onButton ? static_cast<QWidget *>(about()->closeButton()) : about(), key);
                QVERIFY2(!about(), onButton ? "on the button" : "on the window");
            }
        }
    }
};

QTEST_MAIN(TestGuideAbout)
#include "tst_guide_about.moc"
