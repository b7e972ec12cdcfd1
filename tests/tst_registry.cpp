#include "programwindow.h"
#include "messagebox.h"
#include "windowregistry.h"

#include <QtTest>

namespace {

// A window that counts its handlers.
class CountingForm : public ProgramWindow
{
public:
    explicit CountingForm(const QString &name) : ProgramWindow(name) {}
    void onLoad() override { ++loads; }
    void onUnload() override
    {
        ++unloads;
        if (duringUnload)
            duringUnload();
    }
    void onActivate() override { ++activations; }
    int loads = 0;
    int unloads = 0;
    int activations = 0;
    std::function<void()> duringUnload;
};

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MessageBox::setTestMode(true);
        for (const QString &name : {QStringLiteral("Main"), QStringLiteral("Other"), QStringLiteral("Third")})
            reg().registerWindow(name, [name] { return new CountingForm(name); });
        reg().setMainWindow(QStringLiteral("Main"));
    }

    void init()
    {
        m_ends = 0;
        reg().setOnEmpty([this] { ++m_ends; });
    }

    void cleanup()
    {
        reg().reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void showLoadsOnceAndHideKeepsState()
    {
        QVERIFY(!reg().isLoaded(QStringLiteral("Other")));
        auto *form = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        QVERIFY(form && form->isVisible());
        QCOMPARE(form->loads, 1);
        form->setWindowTitle(QStringLiteral("kept"));
        reg().show(QStringLiteral("Main")); // keeps the program going while Other is hidden
        reg().hide(QStringLiteral("Other"));
        QVERIFY(!form->isVisible());
        QCOMPARE(reg().show(QStringLiteral("Other")), form);
        QCOMPARE(form->loads, 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("kept"));
        QVERIFY(!reg().find(QStringLiteral("Nobody")));
        QVERIFY(!reg().show(QStringLiteral("Nobody")));
    }

    void unloadRunsTheHandlerAndDestroysLater()
    {
        reg().show(QStringLiteral("Main"));
        QPointer<CountingForm> form = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        bool stillAliveInsideHandler = false;
        form->duringUnload = [&] { stillAliveInsideHandler = !form.isNull(); };
        reg().unload(QStringLiteral("Other"));
        QVERIFY(stillAliveInsideHandler);
        QVERIFY(!reg().isLoaded(QStringLiteral("Other")));
        QVERIFY(form); // a handler that unloaded its own window goes on to its end
        QCOMPARE(form->unloads, 1);
        reg().unload(QStringLiteral("Other")); // not loaded: nothing happens
        QCOMPARE(form->unloads, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);

        // Loaded again it starts afresh.
        auto *fresh = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        QCOMPARE(fresh->loads, 1);
        QCOMPARE(fresh->unloads, 0);
    }

    void theProgramEndsWhenNoWindowIsLoaded()
    {
        reg().show(QStringLiteral("Main"));
        auto *other = reg().show(QStringLiteral("Other"));
        other->close(); // the close box unloads
        QVERIFY(!reg().isLoaded(QStringLiteral("Other")));
        QCOMPARE(m_ends, 0);
        reg().unload(QStringLiteral("Main"));
        QCOMPARE(m_ends, 1);
    }

    void hiddenWindowsDoNotKeepTheProgramAlive()
    {
        // Main gone, one visible window and one hidden: the program goes on until
        // the visible one closes, then the hidden one is unloaded with it.
        reg().show(QStringLiteral("Main"));
        auto *hidden = static_cast<CountingForm *>(reg().show(QStringLiteral("Third")));
        reg().hide(QStringLiteral("Third"));
        reg().show(QStringLiteral("Other"));
        reg().unload(QStringLiteral("Main"));
        QCOMPARE(m_ends, 0);
        QVERIFY(reg().isLoaded(QStringLiteral("Third")));
        reg().unload(QStringLiteral("Other"));
        QCOMPARE(hidden->unloads, 1);
        QVERIFY(reg().loadedNames().isEmpty());
        QCOMPARE(m_ends, 1);
    }

    void activationCountsOnlyFromAnotherWindow()
    {
        auto *main = static_cast<CountingForm *>(reg().show(QStringLiteral("Main")));
        auto *other = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        const auto activate = [](QWidget *w) {
            QEvent e(QEvent::WindowActivate);
            QCoreApplication::sendEvent(w, &e);
        };
        const int before = other->activations;
        activate(other);
        activate(other); // back from its own message box: not an activation
        QCOMPARE(other->activations, before + 1);
        activate(main);
        activate(other);
        QCOMPARE(other->activations, before + 2);
        QVERIFY(main->activations >= 1);
    }

private:
    WindowRegistry &reg() { return WindowRegistry::instance(); }
    int m_ends = 0;
};

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
