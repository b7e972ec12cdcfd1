#include "form1.h"

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

Form1::Form1(QWidget *parent)
    : FormBase(QStringLiteral("Form1"), parent)
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

void Form1::buildControls(QWidget *client)
{
    m_text1 = new QPlainTextEdit(client);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setToolTip(QStringLiteral("试题区"));
    m_text1->setFont(Look::songti(12));
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
        QPalette pal = m_text1->palette();
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::Base, Qt::white);
        m_text1->setPalette(pal);
    }
    Look::place(m_text1, 120, 120, 7815, 3015);

    Controls::panel(client, QStringLiteral("Text5"), 8040, 120, 1215, 3015);

    QGroupBox *frame2 = makeFrame(client, QStringLiteral("Frame2"), QStringLiteral("答案区"),
                                  QStringLiteral("试题答案区"), 8160, 240, 975, 1215);
    m_text3 = new QLineEdit(frame2);
    m_text3->setObjectName(QStringLiteral("Text3"));
    m_text3->setToolTip(QStringLiteral("试题答案区"));
    m_text3->setAlignment(Qt::AlignCenter);
    m_text3->setFont(Look::songti(10.5));
    Look::place(m_text3, 120, 240, 735, 375);
    m_command1 = makeButton(frame2, QStringLiteral("Command1"), QStringLiteral("显示"),
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
    m_text2 = new QLineEdit(QStringLiteral("第1题 共1题"), frame3);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setToolTip(QStringLiteral("试题数目"));
    m_text2->setAlignment(Qt::AlignCenter);
    m_text2->setReadOnly(true);
    {
        QPalette pal = m_text2->palette();
        pal.setColor(QPalette::Base, Qt::white);
        m_text2->setPalette(pal);
    }
    Look::place(m_text2, 110, 210, 1620, 300);
    Look::keepTextWhole(m_text2); // 第100000题 共100000题 as well

    m_combo1 = new QComboBox(frame3);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setToolTip(QStringLiteral("选择试题"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr);
    m_combo1->lineEdit()->installEventFilter(new SwallowReturn(m_combo1));
    Look::place(m_combo1, 1800, 210, 1545, 300);

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

    m_text6 = Controls::hiddenBox(client, QStringLiteral("Text6"), QString());
    m_text7 = Controls::hiddenBox(client, QStringLiteral("Text7"), QStringLiteral("1"));
    m_text8 = Controls::hiddenBox(client, QStringLiteral("Text8"), QStringLiteral("1"));

    setBoxesLocked(true);
    applyAnswerColours(false);

    // Tab order as designed; Text1 has the focus when the window opens.
    QWidget *order[] = {m_text1, m_text3, m_command1, Option1(0), Option1(1), Option1(2), Option1(3),
                        command5, command4, command3, command2, command6, command7, command8,
                        command9, m_combo1, m_text2};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    m_text1->setFocus();

    connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(m_options, &QButtonGroup::idClicked, this, &Form1::Option1_Click);
    connect(m_combo1, qOverload<int>(&QComboBox::activated), this, &Form1::Combo1_Click);
    connect(m_text6, &QLineEdit::textChanged, this, &Form1::Text6_Change);

    new BoundField(m_cursor, QStringLiteral("试题"), m_text1);
    new BoundField(m_cursor, QStringLiteral("答案"), m_text3);
    new BoundField(m_cursor, QStringLiteral("备注"), m_text6);
}

void Form1::buildMenu(QMenuBar *menu)
{
    const auto named = [](QAction *action, const QString &name) {
        action->setObjectName(name);
        return action;
    };
    QMenu *file = menu->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("FILE"));
    connect(named(file->addAction(QStringLiteral("退出")), QStringLiteral("EXIT")), &QAction::triggered,
            this, &Form1::Command8_Click);
    QMenu *edit = menu->addMenu(QStringLiteral("编辑"));
    edit->setObjectName(QStringLiteral("EDIT"));
    connect(named(edit->addAction(QStringLiteral("修改试题")), QStringLiteral("XGST")), &QAction::triggered,
            this, &Form1::XGST_Click);
    connect(named(edit->addAction(QStringLiteral("修改答案")), QStringLiteral("XGDA")), &QAction::triggered,
            this, &Form1::XGDA_Click);
    connect(named(menu->addAction(QStringLiteral("自动阅卷")), QStringLiteral("ZDYJ")), &QAction::triggered,
            this, &Form1::Command6_Click);
    connect(named(menu->addAction(QStringLiteral("电脑组卷")), QStringLiteral("ZJ")), &QAction::triggered,
            this, &Form1::ZJ_Click);
    connect(named(menu->addAction(QStringLiteral("帮助")), QStringLiteral("HELP")), &QAction::triggered,
            this, &Form1::Command9_Click);
    connect(named(menu->addAction(QStringLiteral("关于")), QStringLiteral("ABOUT")), &QAction::triggered,
            this, &Form1::ABOUT_Click);
}

QRadioButton *Form1::Option1(int index) const
{
    return qobject_cast<QRadioButton *>(m_options->button(index));
}

QPushButton *Form1::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

QAction *Form1::menuAction(const QString &name) const
{
    return findChild<QAction *>(name);
}

// ---- Load and the question set -------------------------------------------

void Form1::Form_Load()
{
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAllQuestions));
    if (!m_cursor->refresh())
        MessageBox::show(this, m_cursor->lastError(), kProgramTitle);
    m_text8->setText(QString::number(m_cursor->recordCount()));
    m_text7->setText(QStringLiteral("1"));
    refreshPositionText();

    const Catalogue::LoadResult catalogue = Catalogue::load(Catalogue::defaultPath());
    if (!catalogue.ok)
        MessageBox::show(this, catalogue.message, kProgramTitle);
    m_combo1->addItems(catalogue.labels);
    m_combo1->setEditText(m_text6->text());

    connect(m_cursor, &QuestionCursor::storeFailed, this, [this](const QString &reason) {
        MessageBox::show(this, QStringLiteral("作答或修改暂时无法存入题库（%1），离开本题时将再次存入。").arg(reason),
                         kProgramTitle);
    });
}

void Form1::ShowQuestionSet(const QString &queryText)
{
    m_cursor->setRecordSource(queryText);
    m_cursor->refresh();
    m_text7->setText(QStringLiteral("1"));
    m_text8->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void Form1::refreshPositionText()
{
    m_text2->setText(QStringLiteral("第") + m_text7->text() + QStringLiteral("题 共") + m_text8->text()
                     + QStringLiteral("题"));
}

qint32 Form1::counter(QLineEdit *box) const
{
    return box->text().toInt();
}

void Form1::Text6_Change()
{
    m_combo1->setEditText(m_text6->text());
}

void Form1::Combo1_Click(int index)
{
    ShowQuestionSet(QueryText::categoryQuery(m_combo1->itemText(index)));
}

// ---- Navigation -------------------------------------------------------------

bool Form1::contentGuard(const QString &message, const QString &title)
{
    if (!m_text1->toPlainText().isEmpty() && !m_text3->text().isEmpty())
        return true;
    MessageBox::show(this, message, title);
    return false;
}

void Form1::Command2_Click()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->moveFirst();
    m_text7->setText(QStringLiteral("1"));
    m_text8->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void Form1::Command5_Click()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->moveLast();
    m_text7->setText(QString::number(m_cursor->recordCount()));
    m_text8->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void Form1::Command3_Click()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"), QStringLiteral("出错了")))
        return;
    m_cursor->movePrevious();
    m_text7->setText(QString::number(counter(m_text7) - 1));
    if (m_cursor->isBOF()) {
        MessageBox::show(this, QStringLiteral("已到第一道试题！"), kProgramTitle);
        m_cursor->moveNext();
        m_text7->setText(QString::number(counter(m_text7) + 1));
    }
    restoreOptions();
    m_text8->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

void Form1::Command4_Click()
{
    if (!contentGuard(QStringLiteral("试题和答案不能为空，请在试题或答案栏内输入相应内容！！"), QStringLiteral("出错啦！")))
        return;
    setBoxesLocked(true);
    m_cursor->moveNext();
    m_text7->setText(QString::number(counter(m_text7) + 1));
    if (m_cursor->isEOF()) {
        MessageBox::show(this, QStringLiteral("已到最后一道试题！"), kProgramTitle);
        m_cursor->movePrevious();
        m_text7->setText(QString::number(counter(m_text7) - 1));
    }
    restoreOptions();
    m_text8->setText(QString::number(m_cursor->recordCount()));
    refreshPositionText();
}

// ---- Answering --------------------------------------------------------------

void Form1::restoreOptions()
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

void Form1::selectOption(int index)
{
    // Selecting from code is a choice like a click: the handling runs once.
    {
        const QSignalBlocker block(m_options);
        Option1(index)->setChecked(true);
    }
    Option1_Click(index);
}

void Form1::clearOptions()
{
    m_options->setExclusive(false);
    for (int k = 0; k < 4; ++k)
        Option1(k)->setChecked(false);
    m_options->setExclusive(true);
}

void Form1::Option1_Click(int)
{
    if (!m_cursor->hasCurrentRow())
        return; // an empty set has no row to mark
    const QString answer = m_text3->text();
    bool right = false;
    QString letter = QString::fromLatin1(BankSchema::kNoPick);
    for (int k = 0; k < 4; ++k) {
        if (!Option1(k)->isChecked())
            continue;
        right = right || answer == QString(kLetters.at(k));
        if (letter == QLatin1String(BankSchema::kNoPick))
            letter = QString(kLetters.at(k));
    }
    m_cursor->setField(BankSchema::Mark, right ? BankSchema::Right : BankSchema::Wrong);
    m_cursor->setField(BankSchema::Picked, letter);
}

void Form1::Command1_Click()
{
    const bool show = m_command1->text() == QStringLiteral("显示");
    m_command1->setText(show ? QStringLiteral("隐藏") : QStringLiteral("显示"));
    applyAnswerColours(show);
}

void Form1::applyAnswerColours(bool shown)
{
    QPalette pal = m_text3->palette();
    const QColor text = shown ? QColor(0, 0, 255) : Look::scrollBarColour();
    const QColor base = shown ? QColor(255, 255, 255) : Look::scrollBarColour();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::Base, base);
    }
    m_text3->setPalette(pal);
}

// ---- Editing ----------------------------------------------------------------

void Form1::setBoxesLocked(bool locked)
{
    m_text1->setReadOnly(locked);
    if (locked)
        m_text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text3->setReadOnly(locked);
}

void Form1::XGST_Click()
{
    m_text1->setReadOnly(false);
    m_text1->setFocus();
}

void Form1::XGDA_Click()
{
    m_text3->setReadOnly(false);
    m_text3->setFocus();
}

// ---- Menu, command buttons and exit -----------------------------------------

void Form1::storeCurrentRow()
{
    // Leave the row and come back, so that a pick or an edit is in the bank.
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->moveNext();
    m_cursor->movePrevious();
}

void Form1::Command6_Click()
{
    storeCurrentRow();
    WindowRegistry::instance().show(QStringLiteral("Form2"));
}

void Form1::Command7_Click()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.hide(QStringLiteral("Form1"));
    if (!registry.show(QStringLiteral("Form3")))
        registry.show(QStringLiteral("Form1"));
}

void Form1::ZJ_Click()
{
    Command7_Click();
    selectFirstTab(WindowRegistry::instance().find(QStringLiteral("Form3")));
}

void Form1::Command9_Click()
{
    selectFirstTab(WindowRegistry::instance().show(QStringLiteral("Form6")));
}

void Form1::ABOUT_Click()
{
    WindowRegistry::instance().show(QStringLiteral("frmAbout"));
}

void Form1::Command8_Click()
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

void Form1::Form_Unload()
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

void Form1::resetMarks()
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
