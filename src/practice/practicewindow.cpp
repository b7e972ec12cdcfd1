#include "practicewindow.h"

#include "boundfield.h"
#include "catalogue.h"
#include "controls.h"
#include "look.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "querytext.h"
#include "windowregistry.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
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

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        const QString &tooltip, int l, int t, int w, int h)
{
    return Controls::button(parent, name, caption, tooltip, l, t, w, h);
}

QGroupBox *makeFrame(QWidget *parent, const QString &name, const QString &caption,
                     const QString &tooltip, int l, int t, int w, int h)
{
    QGroupBox *frame = Controls::frame(parent, name, caption, l, t, w, h);
    frame->setToolTip(tooltip);
    return frame;
}

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
    setWindowTitle(QStringLiteral("Quorvane（智能组卷系统）"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("MenuBar"));
    layout->setMenuBar(menu);
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(Look::twips(9360), Look::twips(4125));
    layout->addWidget(client);

    buildControls(client);
    buildMenu(menu);
}

void PracticeWindow::buildControls(QWidget *client)
{
    m_questionBox = new QPlainTextEdit(client);
    m_questionBox->setObjectName(QStringLiteral("Text1"));
    m_questionBox->setToolTip(QStringLiteral("试题区"));
    m_questionBox->setFont(Look::songti(12));
    m_questionBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
        QPalette pal = m_questionBox->palette();
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::Base, Qt::white);
        m_questionBox->setPalette(pal);
    }
    Look::place(m_questionBox, 120, 120, 7815, 3015);

    Controls::panel(client, QStringLiteral("Text5"), 8040, 120, 1215, 3015);

    QGroupBox *frame2 = makeFrame(client, QStringLiteral("Frame2"), QStringLiteral("答案区"),
                                  QStringLiteral("试题答案区"), 8160, 240, 975, 1215);
    m_answerBox = new QLineEdit(frame2);
    m_answerBox->setObjectName(QStringLiteral("Text3"));
    m_answerBox->setToolTip(QStringLiteral("试题答案区"));
    m_answerBox->setAlignment(Qt::AlignCenter);
    m_answerBox->setFont(Look::songti(10.5));
    Look::place(m_answerBox, 120, 240, 735, 375);
    m_showAnswerButton = makeButton(frame2, QStringLiteral("Command1"), QStringLiteral("显示"),
                            QStringLiteral("显示/隐藏试题答案"), 120, 720, 735, 375);

    QPushButton *command6 = makeButton(client, QStringLiteral("Command6"), QStringLiteral("自动阅卷"),
                                       QStringLiteral("自动批阅"), 8160, 1560, 975, 375);
    QPushButton *command7 = makeButton(client, QStringLiteral("Command7"), QStringLiteral("电脑组卷"),
                                       QStringLiteral("电脑组卷"), 8160, 1920, 975, 375);
    QPushButton *command9 = makeButton(client, QStringLiteral("Command9"), QStringLiteral("操作向导"),
                                       QStringLiteral("操作向导"), 8160, 2280, 975, 375);
    QPushButton *command8 = makeButton(client, QStringLiteral("Command8"), QStringLiteral("退出系统"),
                                       QStringLiteral("退出系统"), 8160, 2640, 975, 375);

    Controls::panel(client, QStringLiteral("Text4"), 120, 3240, 9135, 795);

    QGroupBox *frame3 = makeFrame(client, QStringLiteral("Frame3"), QString(), QString(), 220, 3300, 3420, 615);
    m_positionBox = new QLineEdit(QStringLiteral("第1题 共1题"), frame3);
    m_positionBox->setObjectName(QStringLiteral("Text2"));
    m_positionBox->setToolTip(QStringLiteral("试题数目"));
    m_positionBox->setAlignment(Qt::AlignCenter);
    m_positionBox->setReadOnly(true);
    {
        QPalette pal = m_positionBox->palette();
        pal.setColor(QPalette::Base, Qt::white);
        m_positionBox->setPalette(pal);
    }
    Look::place(m_positionBox, 110, 210, 1620, 300);
    Look::keepTextWhole(m_positionBox); // 第100000题 共100000题 as well

    m_categoryList = new QComboBox(frame3);
    m_categoryList->setObjectName(QStringLiteral("Combo1"));
    m_categoryList->setToolTip(QStringLiteral("选择试题"));
    m_categoryList->setEditable(true);
    m_categoryList->setInsertPolicy(QComboBox::NoInsert);
    m_categoryList->setCompleter(nullptr);
    m_categoryList->lineEdit()->installEventFilter(new SwallowReturn(m_categoryList));
    Look::place(m_categoryList, 1800, 210, 1545, 300);

    QGroupBox *frame1 = makeFrame(client, QStringLiteral("Frame1"), QString(),
                                  QStringLiteral("请选择A、B、C、D，做好后点击‘按钮>>> ’，继续做下一题。"),
                                  3720, 3300, 5415, 615);
    m_options = new QButtonGroup(this);
    const int lefts[] = {120, 720, 1320, 1920};
    for (int k = 0; k < 4; ++k) {
        auto *option = new QRadioButton(QString(kLetters.at(k)), frame1);
        option->setObjectName(QStringLiteral("Option1(%1)").arg(k));
        option->setToolTip(QStringLiteral("如果答案是‘%1’请单击选中！").arg(kLetters.at(k)));
        Look::place(option, lefts[k], 240, 615, 255);
        m_options->addButton(option, k);
    }
    QPushButton *command4 = makeButton(frame1, QStringLiteral("Command4"), QStringLiteral("下一题"),
                                       QStringLiteral("转到下一试题"), 2400, 160, 735, 375);
    QPushButton *command3 = makeButton(frame1, QStringLiteral("Command3"), QStringLiteral("上一题"),
                                       QStringLiteral("转到上一试题"), 3120, 160, 735, 375);
    QPushButton *command2 = makeButton(frame1, QStringLiteral("Command2"), QStringLiteral("第一题"),
                                       QStringLiteral("转到第一道试题"), 3840, 160, 735, 375);
    QPushButton *command5 = makeButton(frame1, QStringLiteral("Command5"), QStringLiteral("最后题"),
                                       QStringLiteral("转到最后试题"), 4560, 160, 735, 375);

    m_categoryBox = Controls::hiddenBox(client, QStringLiteral("Text6"), QString());
    m_currentNumberBox = Controls::hiddenBox(client, QStringLiteral("Text7"), QStringLiteral("1"));
    m_totalBox = Controls::hiddenBox(client, QStringLiteral("Text8"), QStringLiteral("1"));

    setBoxesLocked(true);
    applyAnswerColours(false);

    // Tab order as designed; questionBox has the focus when the window opens.
    QWidget *order[] = {m_questionBox, m_answerBox, m_showAnswerButton, optionButton(0), optionButton(1), optionButton(2), optionButton(3),
                        command5, command4, command3, command2, command6, command7, command8,
                        command9, m_categoryList, m_positionBox};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    m_questionBox->setFocus();

    connect(m_showAnswerButton, &QPushButton::clicked, this, &PracticeWindow::toggleAnswer);
    connect(command2, &QPushButton::clicked, this, &PracticeWindow::showFirstQuestion);
    connect(command3, &QPushButton::clicked, this, &PracticeWindow::showPreviousQuestion);
    connect(command4, &QPushButton::clicked, this, &PracticeWindow::showNextQuestion);
    connect(command5, &QPushButton::clicked, this, &PracticeWindow::showLastQuestion);
    connect(command6, &QPushButton::clicked, this, &PracticeWindow::openMarking);
    connect(command7, &QPushButton::clicked, this, &PracticeWindow::openComposition);
    connect(command8, &QPushButton::clicked, this, &PracticeWindow::confirmExit);
    connect(command9, &QPushButton::clicked, this, &PracticeWindow::openGuide);
    connect(m_options, &QButtonGroup::idClicked, this, &PracticeWindow::onOptionPicked);
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
    connect(named(file->addAction(QStringLiteral("退出")), QStringLiteral("EXIT")), &QAction::triggered,
            this, &PracticeWindow::confirmExit);
    QMenu *edit = menu->addMenu(QStringLiteral("编辑"));
    edit->setObjectName(QStringLiteral("EDIT"));
    connect(named(edit->addAction(QStringLiteral("修改试题")), QStringLiteral("XGST")), &QAction::triggered,
            this, &PracticeWindow::editQuestion);
    connect(named(edit->addAction(QStringLiteral("修改答案")), QStringLiteral("XGDA")), &QAction::triggered,
            this, &PracticeWindow::editAnswer);
    connect(named(menu->addAction(QStringLiteral("自动阅卷")), QStringLiteral("ZDYJ")), &QAction::triggered,
            this, &PracticeWindow::openMarking);
    connect(named(menu->addAction(QStringLiteral("电脑组卷")), QStringLiteral("ZJ")), &QAction::triggered,
            this, &PracticeWindow::openCompositionFirstPage);
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
    onOptionPicked(index);
}

void PracticeWindow::clearOptions()
{
    m_options->setExclusive(false);
    for (int k = 0; k < 4; ++k)
        optionButton(k)->setChecked(false);
    m_options->setExclusive(true);
}

void PracticeWindow::onOptionPicked(int)
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
    m_cursor->setField(BankSchema::Mark, right ? BankSchema::Right : BankSchema::Wrong);
    m_cursor->setField(BankSchema::Picked, letter);
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
    const QColor text = shown ? QColor(0, 0, 255) : Look::scrollBarColour();
    const QColor base = shown ? QColor(255, 255, 255) : Look::scrollBarColour();
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

void PracticeWindow::openAbout()
{
    WindowRegistry::instance().show(QStringLiteral("frmAbout"));
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
