// Every way of operating a control is the same user action; Tab follows the reading order; every box is named.
#include "practicewindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

namespace {

QRect inWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// Frames are read as blocks: at a given depth, the depth-th frame around a control (outermost first), or the control.
QRect blockAt(const QWidget *w, int depth)
{
    QList<const QWidget *> frames;
    for (const QWidget *p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        if (qobject_cast<const QGroupBox *>(p))
            frames.prepend(p);
    }
    return inWindow(depth < frames.size() ? frames.at(depth) : w);
}

// Reading order by recursive cuts at the widest free strip across the controls, upper or left part first.
QList<QWidget *> readingOrder(QList<QWidget *> widgets, int depth = 0)
{
    if (widgets.size() < 2)
        return widgets;
    // All in one frame: read inside it.
    const QRect frame = blockAt(widgets.first(), depth);
    if (frame != inWindow(widgets.first())
        && std::all_of(widgets.cbegin(), widgets.cend(), [&](QWidget *w) { return blockAt(w, depth) == frame; }))
        return readingOrder(widgets, depth + 1);
    int widest = -1; // a cut between rows wins a tie
    QList<QWidget *> first, second;
    for (const bool rows : {true, false}) {
        const auto lo = [rows, depth](QWidget *w) { return rows ? blockAt(w, depth).top() : blockAt(w, depth).left(); };
        const auto hi = [rows, depth](QWidget *w) {
            return rows ? blockAt(w, depth).bottom() + 1 : blockAt(w, depth).right() + 1;
        };
        QList<QWidget *> sorted = widgets;
        std::stable_sort(sorted.begin(), sorted.end(), [&](QWidget *a, QWidget *b) { return lo(a) < lo(b); });
        int reach = hi(sorted.first());
        for (qsizetype i = 1; i < sorted.size(); ++i) {
            if (lo(sorted[i]) - reach > widest) {
                widest = lo(sorted[i]) - reach;
                first = sorted.mid(0, i);
                second = sorted.mid(i);
            }
            reach = std::max(reach, hi(sorted[i]));
        }
    }
    if (widest < 0) { // overlapping controls: top to bottom
        std::stable_sort(widgets.begin(), widgets.end(),
                         [](QWidget *a, QWidget *b) { return inWindow(a).top() < inWindow(b).top(); });
        return widgets;
    }
    return readingOrder(first, depth) + readingOrder(second, depth);
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList list;
    for (QWidget *w : widgets)
        list << w->objectName();
    return list;
}

// A box, or any other control that takes the focus, is told by name.
bool needsName(const QWidget *w)
{
    if (qobject_cast<const QComboBox *>(w->parentWidget()) || qobject_cast<const QAbstractItemView *>(w->parentWidget()))
        return false; // a combo box's own editor, a table's own headers
    return w->focusPolicy() != Qt::NoFocus || qobject_cast<const QLineEdit *>(w)
           || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
           || qobject_cast<const QAbstractItemView *>(w);
}

// Tabs through the window as a user does: the stops come in reading order and reach every control taking keys.
void checkTabOrderAndNames(QWidget *window, const QString &where)
{
    QApplication::setActiveWindow(window);
    QVERIFY2(QTest::qWaitForWindowActive(window), qPrintable(where));
    if (!QApplication::focusWidget() || QApplication::focusWidget()->window() != window)
        QTest::keyClick(window, Qt::Key_Tab);
    QList<QWidget *> stops;
    for (QWidget *w = QApplication::focusWidget(); w && !stops.contains(w) && stops.size() < 100;
         w = QApplication::focusWidget()) {
        stops << w;
        QTest::keyClick(w, Qt::Key_Tab);
    }
    // The stops form a ring: read it from the control that comes first.
    const QList<QWidget *> expected = readingOrder(stops);
    if (!stops.isEmpty())
        std::rotate(stops.begin(), std::find(stops.begin(), stops.end(), expected.first()), stops.end());
    QVERIFY2(stops == expected, qPrintable(QStringLiteral("%1: Tab goes %2, reading order is %3")
                                               .arg(where, names(stops).join(QLatin1Char(' ')),
                                                    names(expected).join(QLatin1Char(' ')))));
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const QString name = where + QLatin1Char(' ') + w->objectName();
        if (w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) // takes Tab
            QVERIFY2(stops.contains(w), qPrintable(name + QStringLiteral(" is never reached by Tab")));
        if (needsName(w)) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(iface && !(iface->text(QAccessible::Name) + iface->text(QAccessible::Description)).isEmpty(),
                     qPrintable(name + QStringLiteral(" has no accessible name")));
        }
    }
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void everyWayOfPickingOrEditingIsTheSameUserAction();
    void everyWindowTabsInReadingOrderAndNamesItsBoxes();
};

void TestAccessibility::everyWayOfPickingOrEditingIsTheSameUserAction()
{
    TempBank bank(sampleRows(3)); // question 1: answer A
    PracticeWindow *form = showPracticeWindow();
    QSignalSpy picks(form, &PracticeWindow::pickRecorded);
    const auto action = [form](int k) {
        return QAccessible::queryAccessibleInterface(form->optionButton(k))->actionInterface();
    };
    action(2)->doAction(QAccessibleActionInterface::toggleAction()); // checks C without a click
    QVERIFY(form->optionButton(2)->isChecked());
    QCOMPARE(picks.count(), 1);
    QCOMPARE(form->cursor()->field(BankSchema::Picked).toString(), QStringLiteral("C"));

    QTest::keyClick(form->optionButton(2), Qt::Key_Space); // C again: marked again
    QCOMPARE(picks.count(), 2);
    QTest::mouseClick(form->optionButton(1), Qt::LeftButton); // B: toggled and clicked, one pick
    QCOMPARE(picks.count(), 3);
    QCOMPARE(form->cursor()->field(BankSchema::Picked).toString(), QStringLiteral("B"));
    action(0)->doAction(QAccessibleActionInterface::pressAction()); // an animated click on A
    QTRY_COMPARE(picks.count(), 4);
    QTest::qWait(50);
    QCOMPARE(picks.count(), 4);

    form->showNextQuestion();
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("A"));

    // A box set back to what was loaded changes nothing: another program's correction of the row is kept.
    const QVariant second = bank.stored(2, QStringLiteral("试题"));
    form->editQuestion();
    form->questionBox()->setPlainText(QStringLiteral("changed"));
    form->questionBox()->setPlainText(second.toString());
    bank.exec(QStringLiteral("UPDATE zk SET 试题 = 'changed elsewhere' WHERE 题号 = 2"));
    form->showPreviousQuestion();
    QCOMPARE(bank.stored(2, QStringLiteral("试题")).toString(), QStringLiteral("changed elsewhere"));

    // Text set through the accessible interface (no "modified" flag set) is stored all the same.
    form->editQuestion();
    form->editAnswer();
    QAccessible::queryAccessibleInterface(form->questionBox())->setText(QAccessible::Value, QStringLiteral("读屏软件改的题"));
    QAccessibleEditableTextInterface *answer =
        QAccessible::queryAccessibleInterface(form->answerBox())->editableTextInterface();
    QVERIFY(answer);
    answer->replaceText(0, 1, QStringLiteral("C"));
    QCOMPARE(form->answerBox()->text(), QStringLiteral("C"));
    form->showPreviousQuestion(); // the first row: stored although the move ends on it again
    QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), QStringLiteral("读屏软件改的题"));
    QCOMPARE(bank.stored(1, QStringLiteral("答案")).toString(), QStringLiteral("C"));
}

void TestAccessibility::everyWindowTabsInReadingOrderAndNamesItsBoxes()
{
    TempBank bank(sampleRows(12), {QStringLiteral("全部中考试题"), QStringLiteral("甲类")});
    PracticeWindow *form1 = showPracticeWindow();
    form1->optionButton(0)->click(); // a recorded answer fills the record's table, which Tab must pass in one step
    form1->showNextQuestion();
    form1->editQuestion(); // Tab leaves the question box while it is edited, too
    WindowRegistry &registry = WindowRegistry::instance();
    // Form1 first: the other windows read from it.
    for (const QString &name :
         QStringList{QStringLiteral("Form1"), QStringLiteral("Form3")} + registry.registeredNames()) {
        QWidget *window = registry.show(name);
        QVERIFY2(window, qPrintable(name));
        QTabWidget *tabs = window->findChild<QTabWidget *>(); // one at most: every page is walked
        for (int page = 0; page < (tabs ? tabs->count() : 1); ++page) {
            if (tabs)
                tabs->setCurrentIndex(page);
            checkTabOrderAndNames(window, name + QStringLiteral(" page %1").arg(page));
        }
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
