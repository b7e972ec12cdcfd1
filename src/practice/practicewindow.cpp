#include "practicewindow.h"

#include "bankexport.h"
#include "boundfield.h"
#include "catalogue.h"
#include "explanationwindow.h"
#include "learningrecord.h"
#include "ui_practicewindow.h"
#include "windowstyle.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "querytext.h"
#include "questionimportwindow.h"
#include "windowregistry.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kProgramTitle = QStringLiteral("Quorvane");
const QString kLetters = QStringLiteral("ABCD");

// Pressing Enter in the category box's text must not pick an entry: only a
// choice from the list filters the questions.
class SwallowReturn : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

void selectFirstTab(QWidget *form)
{
    if (!form)
        return;
    if (auto *tabs = form->findChild<QTabWidget *>(QStringLiteral("SSTab1")))
        tabs->setCurrentIndex(0);
}

} // namespace

PracticeWindow::PracticeWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("Form1"), parent)
{
    Ui::PracticeWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));

    // The menu bar above the client area, whose size is fixed.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("MenuBar"));
    layout->setMenuBar(menu);
    layout->addWidget(control<QWidget>(QStringLiteral("Client")));

    bindControls();
    buildMenu(menu);
}

void PracticeWindow::bindControls()
{
    m_questionBox = control<QPlainTextEdit>(QStringLiteral("Text1"));
    m_positionBox = control<QLineEdit>(QStringLiteral("Text2"));
    m_answerBox = control<QLineEdit>(QStringLiteral("Text3"));
    m_categoryBox = control<QLineEdit>(QStringLiteral("Text6"));
    m_currentNumberBox = control<QLineEdit>(QStringLiteral("Text7"));
    m_totalBox = control<QLineEdit>(QStringLiteral("Text8"));
    m_categoryList = control<QComboBox>(QStringLiteral("Combo1"));
    m_showAnswerButton = control<QPushButton>(QStringLiteral("Command1"));
    m_options = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k)
        m_options->addButton(control<QRadioButton>(QStringLiteral("Option1(%1)").arg(k)), k);

    WindowStyle::keepTextWhole(m_positionBox); // 第100000题 共100000题 as well
    m_categoryList->setCompleter(nullptr);
    m_categoryList->lineEdit()->installEventFilter(new SwallowReturn(m_categoryList));
    setBoxesLocked(true);
    applyAnswerColours(false);
    m_questionBox->setFocus();

    const auto onClick = [this](const char *name, void (PracticeWindow::*handler)()) {
        connect(control<QPushButton>(QString::fromLatin1(name)), &QPushButton::clicked, this, handler);
    };
    onClick("Command1", &PracticeWindow::toggleAnswer);
    onClick("Command2", &PracticeWindow::showFirstQuestion);
    onClick("Command3", &PracticeWindow::showPreviousQuestion);
    onClick("Command4", &PracticeWindow::showNextQuestion);
    onClick("Command5", &PracticeWindow::showLastQuestion);
    onClick("Command6", &PracticeWindow::openMarking);
    onClick("Command7", &PracticeWindow::openComposition);
    onClick("Command8", &PracticeWindow::confirmExit);
    onClick("Command9", &PracticeWindow::openGuide);
    connectOptions();
    connect(m_categoryList, qOverload<int>(&QComboBox::activated), this, &PracticeWindow::onCategoryPicked);
    connect(m_categoryBox, &QLineEdit::textChanged, this, &PracticeWindow::onCategoryChanged);

    new BoundField(m_cursor, QStringLiteral("试题"), m_questionBox);
    new BoundField(m_cursor, QStringLiteral("答案"), m_answerBox);
    new BoundField(m_cursor, QStringLiteral("备注"), m_categoryBox);
}

void PracticeWindow::buildMenu(QMenuBar *menu)
{
    const auto named = [](QAction *action, const QString &name) {
        action->setObjectName(name);
        return action;
    };
    QMenu *file = menu->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("FILE"));
    connect(named(file->addAction(QStringLiteral("导入试题…")), QStringLiteral("DRST")), &QAction::triggered, this,
            [this] { QuestionImportWindow::chooseFileAndPreview(this); });
    connect(named(file->addAction(QStringLiteral("导出题库…")), QStringLiteral("DCTK")), &QAction::triggered, this,
            [this] {
                storeCurrentRow(); // a correction not yet stored is exported too
                BankExport::chooseFileAndExport(this);
            });
    file->addSeparator();
    connect(named(file->addAction(QStringLiteral("退出")), QStringLiteral("EXIT")), &QAction::triggered,
            this, &PracticeWindow::confirmExit);
    QMenu *edit = menu->addMenu(QStringLiteral("编辑"));
    edit->setObjectName(QStringLiteral("EDIT"));
    connect(named(edit->addAction(QStringLiteral("修改试题")), QStringLiteral("XGST")), &QAction::triggered,
            this, &PracticeWindow::editQuestion);
    connect(named(edit->addAction(QStringLiteral("修改答案")), QStringLiteral("XGDA")), &QAction::triggered,
            this, &PracticeWindow::editAnswer);
    connect(named(edit->addAction(QStringLiteral("修改解析")), QStringLiteral("XGJX")), &QAction::triggered,
            this, &PracticeWindow::editExplanation);
    connect(named(menu->addAction(QStringLiteral("自动阅卷")), QStringLiteral("ZDYJ")), &QAction::triggered,
            this, &PracticeWindow::openMarking);
    connect(named(menu->addAction(QStringLiteral("电脑组卷")), QStringLiteral("ZJ")), &QAction::triggered,
            this, &PracticeWindow::openCompositionFirstPage);
    connect(named(menu->addAction(QStringLiteral("试题解析")), QStringLiteral("JX")), &QAction::triggered,
            this, &PracticeWindow::openExplanation);
    connect(named(menu->addAction(QStringLiteral("学习记录")), QStringLiteral("XXJL")), &QAction::triggered,
            this, &PracticeWindow::openLearningRecord);
    connect(named(menu->addAction(QStringLiteral("帮助")), QStringLiteral("HELP")), &QAction::triggered,
            this, &PracticeWindow::openGuide);
    connect(named(menu->addAction(QStringLiteral("关于")), QStringLiteral("ABOUT")), &QAction::triggered,
            this, &PracticeWindow::openAbout);
}

QRadioButton *PracticeWindow::optionButton(int index) const
{
    return qobject_cast<QRadioButton *>(m_options->button(index));
}

QPushButton *PracticeWindow::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

QAction *PracticeWindow::menuAction(const QString &name) const
{
    return findChild<QAction *>(name);
}

// ---- Load and the question set -------------------------------------------

void PracticeWindow::onLoad()
{
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAllQuestions));
    if (!m_cursor->refresh())
        MessageBox::show(this, m_cursor->lastError(), kProgramTitle);
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    m_currentNumberBox->setText(QStringLiteral("1"));
    refreshPositionText();

    const Catalogue::LoadResult catalogue = Catalogue::load(Catalogue::defaultPath());
    if (!catalogue.ok)
        MessageBox::show(this, catalogue.message, kProgramTitle);
    m_categoryList->addItems(catalogue.labels);
    m_categoryList->setEditText(m_categoryBox->text());

    connect(m_cursor, &QuestionCursor::storeFailed, this, [this](const QString &reason) {
        MessageBox::show(this, QStringLiteral("作答或修改暂时无法存入题库（%1），离开本题时将再次存入。").arg(reason),
                         kProgramTitle);
    });
}

void PracticeWindow::showQuestionSet(const QString &queryText)
{
    m_cursor->setRecordSource(queryText);
    m_cursor->refresh();
    m_currentNumberBox->setText(QStringLiteral("1"));
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void PracticeWindow::showWholeBank()
{
    showQuestionSet(QString::fromUtf8(QueryText::kAllQuestionsFromList));
}

void PracticeWindow::showImportedBank()
{
    const Catalogue::LoadResult catalogue = Catalogue::load(Catalogue::defaultPath());
    if (!catalogue.ok)
        MessageBox::show(this, catalogue.message, kProgramTitle);
    m_categoryList->clear();
    m_categoryList->addItems(catalogue.labels);
    showWholeBank();
    m_categoryList->setEditText(m_categoryBox->text());
}

void PracticeWindow::refreshPositionText()
{
    m_positionBox->setText(QStringLiteral("第") + m_currentNumberBox->text() + QStringLiteral("题 共") + m_totalBox->text()
                     + QStringLiteral("题"));
}

qint32 PracticeWindow::counter(QLineEdit *box) const
{
    return box->text().toInt();
}

void PracticeWindow::onCategoryChanged()
{
    m_categoryList->setEditText(m_categoryBox->text());
}

void PracticeWindow::onCategoryPicked(int index)
{
    showQuestionSet(QueryText::categoryQuery(m_categoryList->itemText(index)));
}

// ---- Navigation -------------------------------------------------------------

bool PracticeWindow::contentGuard(const QString &message, const QString &title)
{
    if (!m_questionBox->toPlainText().isEmpty() && !m_answerBox->text().isEmpty())
        return true;
    MessageBox::show(this, message, title);
    return false;
}

void PracticeWindow::showFirstQuestion()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->moveFirst();
    m_currentNumberBox->setText(QStringLiteral("1"));
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void PracticeWindow::showLastQuestion()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->moveLast();
    m_currentNumberBox->setText(QString::number(m_cursor->recordCount()));
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void PracticeWindow::showPreviousQuestion()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->movePrevious();
    m_currentNumberBox->setText(QString::number(counter(m_currentNumberBox) - 1));
    if (m_cursor->isBOF()) {
        MessageBox::show(this, QStringLiteral("已到第一道试题！"), kProgramTitle);
        m_cursor->moveNext();
        m_currentNumberBox->setText(QString::number(counter(m_currentNumberBox) + 1));
    }
    restoreOptions();
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void PracticeWindow::showNextQuestion()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请在试题或答案栏内输入相应内容！！"), QStringLiteral("出错啦！")))
        return;
    setBoxesLocked(true);
    m_cursor->moveNext();
    m_currentNumberBox->setText(QString::number(counter(m_currentNumberBox) + 1));
    if (m_cursor->isEOF()) {
        MessageBox::show(this, QStringLiteral("已到最后一道试题！"), kProgramTitle);
        m_cursor->movePrevious();
        m_currentNumberBox->setText(QString::number(counter(m_currentNumberBox) - 1));
    }
    restoreOptions();
    m_totalBox->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

// ---- Answering --------------------------------------------------------------

void PracticeWindow::restoreOptions()
{
    const QString picked = m_cursor->field(BankSchema::Picked).toString();
    if (picked == QLatin1String(BankSchema::kNoPick)) {
        clearOptions();
        return;
    }
    const int index = picked.size() == 1 ? int(kLetters.indexOf(picked)) : -1;
    if (index >= 0)
        selectOption(index);
    // Any other value leaves the buttons as they are.
}

void PracticeWindow::selectOption(int index)
{
    // Selecting from code is a choice like a click: the handling runs once.
    {
        const QSignalBlocker block(m_options);
        optionButton(index)->setChecked(true);
    }
    markPick(false); // a stored pick shown again: no new answer
}

void PracticeWindow::clearOptions()
{
    m_options->setExclusive(false);
    for (int k = 0; k < 4; ++k)
        optionButton(k)->setChecked(false);
    m_options->setExclusive(true);
}

void PracticeWindow::connectOptions()
{
    // Every way of operating an option is the same pick, handled once: a
    // click, the keyboard, or the accessible "Toggle" action (which checks the
    // button without clicking it). A click that checks a button toggles it
    // first, so a click is handled by itself only when it toggled nothing
    // (a click on the option already checked, which marks again).
    connect(m_options, &QButtonGroup::idPressed, this, [this] { m_pickHandled = false; });
    connect(m_options, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (!checked)
            return;
        m_pickHandled = true;
        onOptionPicked(index);
    });
    connect(m_options, &QButtonGroup::idClicked, this, [this](int index) {
        if (!m_pickHandled)
            onOptionPicked(index);
        m_pickHandled = false;
    });
}

void PracticeWindow::onOptionPicked(int)
{
    markPick(true);
}

void PracticeWindow::markPick(bool byUser)
{
    if (!m_cursor->hasCurrentRow())
        return; // an empty set has no row to mark
    const QString answer = m_answerBox->text();
    bool right = false;
    QString letter = QString::fromLatin1(BankSchema::kNoPick);
    for (int k = 0; k < 4; ++k) {
        if (!optionButton(k)->isChecked())
            continue;
        right = right || answer == QString(kLetters.at(k));
        if (letter == QLatin1String(BankSchema::kNoPick))
            letter = QString(kLetters.at(k));
    }
    const int mark = right ? BankSchema::Right : BankSchema::Wrong;
    m_cursor->setField(BankSchema::Mark, mark);
    m_cursor->setField(BankSchema::Picked, letter);
    // The user's answer goes into the learning record with the row's store
    // (never on a bank that cannot be written: nothing to tell beyond the mark).
    const QVariant number = m_cursor->field(BankSchema::Number);
    if (byUser && !m_cursor->isReadOnly() && number.typeId() == QMetaType::LongLong)
        m_cursor->setSideWrite(QString::fromLatin1(LearningRecord::kSideWriteKey),
                               LearningRecord::answerWrite(number.toLongLong(), letter, mark,
                                                           QDateTime::currentDateTime()));
    emit pickRecorded();
}

void PracticeWindow::toggleAnswer()
{
    const bool show = m_showAnswerButton->text() == QStringLiteral("显示");
    m_showAnswerButton->setText(show ? QStringLiteral("隐藏") : QStringLiteral("显示"));
    applyAnswerColours(show);
}

void PracticeWindow::applyAnswerColours(bool shown)
{
    QPalette pal = m_answerBox->palette();
    const QColor text = shown ? QColor(0, 0, 255) : WindowStyle::scrollBarColour();
    const QColor base = shown ? QColor(255, 255, 255) : WindowStyle::scrollBarColour();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::Base, base);
    }
    m_answerBox->setPalette(pal);
}

// ---- Editing ----------------------------------------------------------------

void PracticeWindow::setBoxesLocked(bool locked)
{
    m_questionBox->setReadOnly(locked);
    if (locked)
        m_questionBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_answerBox->setReadOnly(locked);
}

void PracticeWindow::editQuestion()
{
    m_questionBox->setReadOnly(false);
    m_questionBox->setFocus();
}

void PracticeWindow::editAnswer()
{
    m_answerBox->setReadOnly(false);
    m_answerBox->setFocus();
}

void PracticeWindow::editExplanation()
{
    if (auto *explanation = qobject_cast<ExplanationWindow *>(openExplanation()))
        explanation->startEditing();
}

// ---- Menu, command buttons and exit -----------------------------------------

void PracticeWindow::storeCurrentRow()
{
    // Leave the row and come back, so that a pick or an edit is in the bank.
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->moveNext();
    m_cursor->movePrevious();
}

void PracticeWindow::openMarking()
{
    storeCurrentRow();
    WindowRegistry::instance().show(QStringLiteral("Form2"));
}

void PracticeWindow::openComposition()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.hide(QStringLiteral("Form1"));
    if (!registry.show(QStringLiteral("Form3")))
        registry.show(QStringLiteral("Form1"));
}

void PracticeWindow::openCompositionFirstPage()
{
    openComposition();
    selectFirstTab(WindowRegistry::instance().find(QStringLiteral("Form3")));
}

void PracticeWindow::openGuide()
{
    selectFirstTab(WindowRegistry::instance().show(QStringLiteral("Form6")));
}

QWidget *PracticeWindow::openExplanation()
{
    return WindowRegistry::instance().show(QStringLiteral("frmExplain"));
}

void PracticeWindow::openAbout()
{
    WindowRegistry::instance().show(QStringLiteral("frmAbout"));
}

void PracticeWindow::openLearningRecord()
{
    storeCurrentRow(); // the pick just made counts in the record
    WindowRegistry::instance().show(QStringLiteral("frmRecord"));
}

void PracticeWindow::confirmExit()
{
    storeCurrentRow();
    if (MessageBox::show(this, QStringLiteral("真的要退出<<Quorvane>>吗?"), QStringLiteral("退出系统"),
                         MessageBox::YesNo)
        != MessageBox::Yes)
        return;
    WindowRegistry &registry = WindowRegistry::instance();
    QWidget *splash = registry.show(QStringLiteral("frmSplash"));
    resetMarks();
    if (splash) {
        if (auto *timer = splash->findChild<QTimer *>(QStringLiteral("Timer1")))
            timer->start();
    }
    registry.unload(QStringLiteral("Form1"));
}

void PracticeWindow::onUnload()
{
    WindowRegistry::instance().show(QStringLiteral("frmSplash"));
    // After a confirmed exit whose reset could not write the bank, the user
    // has been told; the window closes without waiting for the lock again.
    if (!m_resetFailed)
        resetMarks();
    // Whatever the close cannot store has been reported by the reset.
    const QSignalBlocker quiet(m_cursor);
    m_cursor->close();
}

void PracticeWindow::resetMarks()
{
    // Every marked row back to 0 / "E" in one transaction: either all marks
    // are reset or, should the program die half-way or the bank be locked by
    // another program past the busy timeout, none. The rows are selected
    // inside the transaction, so they are exactly the rows it resets.
    const QSignalBlocker quiet(m_cursor); // the boxes need not follow every row
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAnsweredQuestions));
    const bool read = m_cursor->refresh();
    if (!m_cursor->isOpen())
        return; // no bank: reported when the window loaded, nothing to reset
    const bool marked = !read || m_cursor->recordCount() > 0;
    if (!marked && m_cursor->unstoredRowCount() == 0)
        return;

    bool ok = m_cursor->beginBatch() && m_cursor->refresh();
    if (ok) {
        const qint32 n = m_cursor->recordCount();
        for (qint32 i = 0; i < n; ++i) {
            m_cursor->setField(BankSchema::Mark, BankSchema::NotAnswered);
            m_cursor->setField(BankSchema::Picked, QString::fromLatin1(BankSchema::kNoPick));
            m_cursor->moveNext();
        }
        ok = m_cursor->commitBatch();
    } else {
        m_cursor->rollbackBatch();
    }
    m_resetFailed = !ok;
    if (ok)
        return;

    // Picks that could not be stored are no loss (the reset would clear them);
    // marks left in the bank and corrections not stored are told.
    const int edits = m_cursor->unstoredEditCount();
    if (!marked && edits == 0)
        return;
    QString text = QStringLiteral("退出时无法写入题库（%1）。").arg(m_cursor->lastError());
    if (marked)
        text += QStringLiteral("作答标记没有清除，将在下次退出时清除。");
    if (edits > 0)
        text += QStringLiteral("有%1道试题的修改没有存入题库。").arg(edits);
    MessageBox::show(this, text, QStringLiteral("退出系统"));
}
