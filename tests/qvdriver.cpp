// qvdriver: the program's windows, offscreen, in a process of their own, for tests that need the program beside
// themselves: two instances on one bank, a kill in the middle of the exit, another program holding the bank
// locked. It runs in its working folder (the bank's, with mulu.txt); message boxes take their default button.
//
// One command a line on stdin, one answer line on stdout ("ok ..." or "error ..."); texts carry LF as \n.
// These answer "ok <Text2>", the position: start (shows PracticeWindow), click NAME (its button NAME), picks N
// (N times: pick A, B, C, D in turn, 下一题), skip N (N times 下一题), all (the whole-bank entry of the category
// list), explain N TEXT (修改解析 to N times TEXT, then 下一题). The others:
//   marking        自动阅卷, the marking window's 自动阅卷, 继续练习 -> ok <right> <wrong>
//   picked         the letter of the checked option       -> ok <A..D or ->
//   edit TEXT      corrects the question text (修改试题)    -> ok
//   question       the question box's text                -> ok <text>
//   messages       the message boxes shown since last asked -> ok <count> <text> | <text> ...
//   exit           answers ok, then 退出系统 and Yes: "reset done", and "ended" when the program ends
//   hold [MS]      another program's write transaction (BEGIN IMMEDIATE, UPDATE), ended after MS ms if given -> ok
//   release        ends it (COMMIT)                       -> ok
//   record         opens 学习记录                   -> ok <answers> <right> <days> <notebook>
//   stall WHERE    the next store stops, prints "stalled" and waits to be killed: WHERE is zk (its row
//                  updated), lx (its record inserted) or commit (both, before the commit) -> ok
#include "catalogue.h"
#include "learningrecordwindow.h"
#include "practicewindow.h"
#include "markingwindow.h"
#include "allwindows.h"
#include "messagebox.h"
#include "querytext.h"
#include "windowregistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSocketNotifier>
#include <QSqlDriver>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>
#include <unistd.h>

namespace {

void answer(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The stall of a store: tells the test, then waits for the kill.
[[noreturn]] void stallForever()
{
    answer(QStringLiteral("stalled"));
    for (;;)
        ::pause();
}

QByteArray stallTable;

// The practice window's cursor connection (the only cursor open at that point).
sqlite3 *practiceConnection()
{
    for (const QString &name : QSqlDatabase::connectionNames()) {
        const QVariant handle = QSqlDatabase::database(name, false).driver()->handle();
        if (name.startsWith(QLatin1String("qv_cursor_")) && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            return *static_cast<sqlite3 *const *>(handle.constData());
    }
    return nullptr;
}

// The other program's connection for hold and release; closed as the driver ends.
sqlite3 *holder = nullptr;

bool release()
{
    return holder && sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString handle(const QString &command, const QString &argument)
{
    WindowRegistry &registry = WindowRegistry::instance();
    if (command == QLatin1String("hold")) {
        if (!holder && sqlite3_open_v2("english.db", &holder, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return QStringLiteral("error cannot open");
        sqlite3_busy_timeout(holder, 10000);
        const char *sql = "BEGIN IMMEDIATE; UPDATE zk SET \"批阅\" = \"批阅\" WHERE rowid = 1;";
        if (sqlite3_exec(holder, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            return QStringLiteral("error ") + QString::fromUtf8(sqlite3_errmsg(holder));
        if (argument.toInt() > 0)
            QTimer::singleShot(argument.toInt(), [] { release(); });
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("release"))
        return release() ? QStringLiteral("ok") : QStringLiteral("error nothing held");
    if (command == QLatin1String("messages")) {
        QStringList texts;
        for (const MessageBox::Shown &box : MessageBox::shown())
            texts << QString(box.text).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        MessageBox::clearShown();
        return QStringLiteral("ok %1 %2").arg(texts.size()).arg(texts.join(QStringLiteral(" | ")));
    }
    if (command == QLatin1String("start"))
        registry.show(QStringLiteral("Form1"));
    PracticeWindow *form = registry.findWindow<PracticeWindow>(QStringLiteral("Form1"));
    if (!form)
        return QStringLiteral("error the practice window is not open");
    const auto position = [form] { return QStringLiteral("ok ") + form->positionBox()->text(); };
    const auto next = [form] { form->button(QStringLiteral("Command4"))->click(); };
    const QString text = QString(argument).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    if (command == QLatin1String("start"))
        return position();
    if (command == QLatin1String("click")) {
        QPushButton *button = form->button(argument);
        if (!button)
            return QStringLiteral("error no button ") + argument;
        button->click();
        return position();
    }
    if (command == QLatin1String("picks") || command == QLatin1String("skip")) {
        for (int i = 0; i < argument.toInt(); ++i) {
            if (command == QLatin1String("picks"))
                form->optionButton(i % 4)->click();
            next();
        }
        return position();
    }
    if (command == QLatin1String("marking")) {
        form->button(QStringLiteral("Command6"))->click();
        auto *form2 = registry.findWindow<MarkingWindow>(QStringLiteral("Form2"));
        if (!form2)
            return QStringLiteral("error no marking window");
        form2->button(QStringLiteral("Command6"))->click();
        const QString result = QStringLiteral("ok %1 %2").arg(form2->rightBox()->text(), form2->wrongBox()->text());
        if (registry.isLoaded(QStringLiteral("Form2")))
            form2->button(QStringLiteral("Command1"))->click();
        return result;
    }
    if (command == QLatin1String("all")) {
        const int index = form->categoryList()->findText(QString::fromUtf8(QueryText::kWholeBankLabel));
        if (index < 0)
            return QStringLiteral("error no whole-bank entry");
        form->categoryList()->setCurrentIndex(index);
        emit form->categoryList()->activated(index);
        return position();
    }
    if (command == QLatin1String("picked")) {
        for (int k = 0; k < 4; ++k)
            if (form->optionButton(k)->isChecked())
                return QStringLiteral("ok ") + QChar(u'A' + k);
        return QStringLiteral("ok -");
    }
    if (command == QLatin1String("edit")) {
        form->menuAction(QStringLiteral("XGST"))->trigger();
        form->questionBox()->selectAll();
        form->questionBox()->insertPlainText(text);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("question"))
        return QStringLiteral("ok ") + form->questionBox()->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    if (command == QLatin1String("explain")) {
        form->menuAction(QStringLiteral("XGJX"))->trigger();
        auto *box = registry.find(QStringLiteral("frmExplain"))->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        box->setPlainText(text.section(QLatin1Char(' '), 1).repeated(argument.section(QLatin1Char(' '), 0, 0).toInt()));
        next();
        return position();
    }
    if (command == QLatin1String("record")) {
        form->menuAction(QStringLiteral("XXJL"))->trigger();
        auto *record = registry.findWindow<LearningRecordWindow>(QStringLiteral("frmRecord"));
        if (!record)
            return QStringLiteral("error no record window");
        record->recompute();
        return QStringLiteral("ok %1 %2 %3 %4")
            .arg(record->answersBox()->text(), record->rightBox()->text(), record->daysBox()->text(),
                 record->notebookBox()->text());
    }
    if (command == QLatin1String("stall")) {
        sqlite3 *db = practiceConnection();
        if (!db)
            return QStringLiteral("error no cursor connection");
        stallTable = argument.toUtf8();
        if (argument == QLatin1String("commit"))
            sqlite3_commit_hook(db, [](void *) -> int { stallForever(); }, nullptr);
        else
            sqlite3_update_hook(db, [](void *, int, const char *, const char *table, sqlite3_int64) {
                if (stallTable == table)
                    stallForever();
            }, nullptr);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("exit")) {
        answer(QStringLiteral("ok"));
        MessageBox::queueAnswer(MessageBox::Yes);
        form->button(QStringLiteral("Command8"))->click();
        return QStringLiteral("reset done");
    }
    return QStringLiteral("error unknown command ") + command;
}

// The offscreen platform's notes that it cannot raise a window are noise here.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietOffscreenNotes);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Catalogue::setPathOverride(QDir::current().filePath(QString::fromLatin1(Catalogue::kFileName)));
    MessageBox::setTestMode(true);
    registerAllWindows();
    WindowRegistry::instance().setOnEmpty([] {
        answer(QStringLiteral("ended"));
        QCoreApplication::exit(0);
    });

    // One command a line, run in turn by the event loop.
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) { // the test has gone: end as a log-off would
            input.setEnabled(false);
            WindowRegistry::instance().unload(QStringLiteral("Form1"));
            QCoreApplication::exit(0);
            return;
        }
        pending.append(buffer, n);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QString text = QString::fromUtf8(pending.left(end));
            answer(handle(text.section(' ', 0, 0), text.section(' ', 1)));
        }
    });
    const int status = QApplication::exec();
    sqlite3_close(holder);
    return status;
}
