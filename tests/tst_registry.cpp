#include "programwindow.h"
#include "messagebox.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QtTest>

namespace {

// A window that counts its load and unload handlers.
class CountingForm : public ProgramWindow
{
public:
    explicit CountingForm(const QString &name) : ProgramWindow(name) {}
    void onLoad() override { ++loads; }
    void onUnload() override { ++unloads; }
    int loads = 0;
    int unloads = 0;
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
        reg().setOnEmpty([this] { ++m_ends; });
    }

    void cleanup() { closeAllWindows(); }

    void windowsAreDestroyedLaterAndTheProgramEndsWithTheLastVisibleOne()
    {
        reg().show(QStringLiteral("Main"));
        QPointer<CountingForm> form = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        reg().unload(QStringLiteral("Other"));
        QVERIFY(!reg().isLoaded(QStringLiteral("Other")));
        QVERIFY(form); // destroyed later, so that a handler that unloads its own window goes on to its end
        QCOMPARE(form->unloads, 1);
        reg().unload(QStringLiteral("Other")); // not loaded: nothing happens
        QCOMPARE(form->unloads, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);

        // Loaded again it starts afresh.
        auto *fresh = static_cast<CountingForm *>(reg().show(QStringLiteral("Other")));
        QCOMPARE(fresh->loads, 1);

        // Main gone, one window visible, one hidden: closing the visible one unloads both and ends the program.
        auto *hidden = static_cast<CountingForm *>(reg().show(QStringLiteral("Third")));
        reg().hide(QStringLiteral("Third"));
        reg().unload(QStringLiteral("Main"));
        QCOMPARE(m_ends, 0);
        QVERIFY(reg().isLoaded(QStringLiteral("Third")));
        fresh->close();
        QCOMPARE(hidden->unloads, 1);
        QVERIFY(reg().loadedNames().isEmpty());
        QCOMPARE(m_ends, 1);
    }

private:
    WindowRegistry &reg() { return WindowRegistry::instance(); }
    int m_ends = 0;
};

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
