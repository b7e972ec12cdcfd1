#include "form3.h"

#include "boundfield.h"
#include "catalogue.h"
#include "controls.h"
#include "countinput.h"
#include "form1.h"
#include "look.h"
#include "messagebox.h"
#include "paper.h"
#include "questioncursor.h"
#include "querytext.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

using namespace Controls;

namespace {

const QString kPracticeWindow = QStringLiteral("Form1");
const QString kComposeTitle = QStringLiteral("智能组卷");
const QString kBoundaryTitle = QStringLiteral("Quorvane");

bool isEnter(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

Form3::Form3(QWidget *parent)
    : FormBase(QStringLiteral("Form3"), parent)
{
    setWindowTitle(QStringLiteral("电脑组卷"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(9360, 4410);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    Look::nameForScreenReaders(m_tabs, windowTitle());
    Look::place(m_tabs, 60, 60, 9240, 4290);
    const QString captions[] = {QStringLiteral("智能组卷"), QStringLiteral("手工组卷"), QStringLiteral("组卷帮助")};
    QWidget *pages[3];
    for (int i = 0; i < 3; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QStringLiteral("SSTab1_Page%1").arg(i));
        m_tabs->addTab(pages[i], captions[i]);
    }
    buildIntelligentPage(pages[0]);
    buildManualPage(pages[1]);
    buildHelpPage(pages[2]);
}

void Form3::buildIntelligentPage(QWidget *page)
{
    QGroupBox *frame2 = frame(page, QStringLiteral("Frame2"), QStringLiteral("试卷"), 60, 60, 9060, 2040);
    m_text3 = textArea(frame2, QStringLiteral("Text3"), QStringLiteral("试卷部分"), true, 120, 270, 8820, 1680);
    m_text3->setFont(Look::songti(10.5));
    QGroupBox *frame7 = frame(page, QStringLiteral("Frame7"), QStringLiteral("答案"), 60, 2160, 4860, 1500);
    m_text4 = textArea(frame7, QStringLiteral("Text4"), QStringLiteral("答案部分"), false, 120, 270, 4620, 1140);
    m_text4->setFont(Look::songti(10.5));

    panel(page, QStringLiteral("Text7"), 5040, 2220, 4080, 1440);
    QLineEdit *text5 = plainText(page, QStringLiteral("Text5"), QStringLiteral("请输入试题数目"), 5100, 2400, 1440, 330);
    text5->setAlignment(Qt::AlignCenter);
    Look::nameForScreenReaders(text5, text5->text());

    m_text1 = new QLineEdit(page);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setToolTip(QStringLiteral("输入试题总数"));
    m_text1->setAlignment(Qt::AlignCenter);
    m_text1->setMaxLength(std::numeric_limits<int>::max()); // whatever is typed is judged whole
    Look::place(m_text1, 6600, 2370, 780, 360);
    m_text1->installEventFilter(this);

    m_text6 = plainText(page, QStringLiteral("Text6"), QStringLiteral("共有       题"), 7500, 2400, 1500, 330);
    Look::nameForScreenReaders(m_text6, QStringLiteral("共有题"));
    m_text6Font = m_text6->font();
    m_text8 = plainText(page, QStringLiteral("Text8"), QStringLiteral("0"), 7500, 2400, 1500, 330);
    m_text8->setAlignment(Qt::AlignCenter);
    Look::nameForScreenReaders(m_text8, QStringLiteral("题库中的试题数"));
    QPalette pal = m_text8->palette(); // see-through: it never hides a letter of Text6
    pal.setColor(QPalette::Base, Qt::transparent);
    m_text8->setPalette(pal);
    fitBankSizeBox();

    m_command20 = Controls::button(page, QStringLiteral("Command20"), QStringLiteral("智能组卷"),
                                         QStringLiteral("自动组卷(继续单击可以生成另一份试卷)"),
                                         5160, 3060, 1200, 420);
    QPushButton *command2 = Controls::button(page, QStringLiteral("Command2"), QStringLiteral("保    存"),
                                                   QStringLiteral("保存试卷及答案"), 6480, 3060, 1200, 420);
    QPushButton *command1 = Controls::button(page, QStringLiteral("Command1"), QStringLiteral("返    回"),
                                                   QStringLiteral("返回系统主界面"), 7800, 3060, 1200, 420);

    setTabOrder(m_text1, m_command20);
    setTabOrder(m_command20, command2);
    setTabOrder(command2, command1);
    setTabOrder(command1, m_text3);
    setTabOrder(m_text3, m_text4);

    connect(m_command20, &QPushButton::clicked, this, &Form3::Command20_Click);
    connect(command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::fitBankSizeBox()
{
    // Text8 lies over the seven blanks between 共有 and 题 of Text6; the
    // letters of Text6 are spaced so that the bank size fits, five digits at
    // least and as many as the bank has.
    QFont font = m_text6Font;
    const QString head = QStringLiteral("共有");
    const QString blanks(7, QLatin1Char(' '));
    const qsizetype digits = qMax<qsizetype>(5, m_text8->text().size());
    const int room = QFontMetrics(font).horizontalAdvance(QString(digits, QLatin1Char('0'))) + 6;
    const int plain = QFontMetrics(font).horizontalAdvance(blanks);
    if (room > plain)
        font.setLetterSpacing(QFont::AbsoluteSpacing, std::ceil(qreal(room - plain) / blanks.size()));
    m_text6->setFont(font);
    const QFontMetrics metrics(font);
    const int textMargin = 2; // a frameless line edit's own inner margin
    const int headWidth = metrics.horizontalAdvance(head);
    const int blanksEnd = metrics.horizontalAdvance(head + blanks);
    m_text6->resize(2 * textMargin + metrics.horizontalAdvance(m_text6->text()) + 4, m_text6->height());
    m_text8->setGeometry(m_text6->x() + textMargin + headWidth, m_text6->y(), blanksEnd - headWidth,
                         m_text6->height());
    m_text8->raise();
}

void Form3::buildManualPage(QWidget *page)
{
    label(page, QStringLiteral("Label1"), QStringLiteral("试题"), 120, 60, 1200, 240);
    m_text9 = textArea(page, QStringLiteral("Text9"), QStringLiteral("试题区"), true, 120, 300, 6360, 1260);
    m_text9->setFont(Look::songti(12));
    label(page, QStringLiteral("Label6"), QStringLiteral("试卷"), 120, 1600, 1200, 240);
    m_text10 = textArea(page, QStringLiteral("Text10"), QStringLiteral("电脑生成的试卷"), false, 120, 1840, 6360, 960);
    label(page, QStringLiteral("Label7"), QStringLiteral("试卷答案"), 120, 2840, 1200, 240);
    m_text11 = textArea(page, QStringLiteral("Text11"), QStringLiteral("试卷答案区"), false, 120, 3080, 4200, 600);

    m_text13 = new QLineEdit(page);
    m_text13->setObjectName(QStringLiteral("Text13"));
    m_text13->setToolTip(QStringLiteral("试题数目"));
    m_text13->setAlignment(Qt::AlignCenter);
    m_text13->setReadOnly(true); // shows the counter; nothing reads it back
    Look::place(m_text13, 4440, 3080, 2040, 300);
    Look::keepTextWhole(m_text13);

    m_combo1 = new QComboBox(page);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setToolTip(QStringLiteral("选择试题"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr);
    // Only a choice from the list changes the range; Enter in its text does not.
    m_combo1->lineEdit()->installEventFilter(this);
    Look::place(m_combo1, 4440, 3400, 2040, 300);

    panel(page, QStringLiteral("Text12"), 6600, 60, 2520, 3640);
    const struct
    {
        const char *name;
        QString caption;
        QString tooltip;
        void (Form3::*handler)();
    } buttons[] = {
        {"Command3", QStringLiteral("第一题"), QStringLiteral("第一试题"), &Form3::Command3_Click},
        {"Command4", QStringLiteral("最后题"), QStringLiteral("最后试题"), &Form3::Command4_Click},
        {"Command5", QStringLiteral("上一题"), QStringLiteral("转到上一试题"), &Form3::Command5_Click},
        {"Command6", QStringLiteral("下一题"), QStringLiteral("转到下一试题"), &Form3::Command6_Click},
        {"Command7", QStringLiteral("添  加"), QStringLiteral("试题此题添加到试卷中!"), &Form3::Command7_Click},
        {"Command8", QStringLiteral("保  存"), QStringLiteral("保存生成的试卷和答案"), &Form3::Command8_Click},
        {"Command9", QStringLiteral("退  出"), QStringLiteral("退出"), &Form3::Command9_Click},
    };
    int top = 200;
    for (const auto &b : buttons) {
        QPushButton *pb =
            Controls::button(page, QString::fromLatin1(b.name), b.caption, b.tooltip, 6780, top, 2160, 400);
        connect(pb, &QPushButton::clicked, this, b.handler);
        top += 500;
    }

    m_text14 = hiddenBox(page, QStringLiteral("Text14"), QStringLiteral("0"));
    m_text15 = hiddenBox(page, QStringLiteral("Text15"), QStringLiteral("0"));
    m_text16 = hiddenBox(page, QStringLiteral("Text16"), QString());

    connect(m_combo1, qOverload<int>(&QComboBox::activated), this, &Form3::Combo1_Click);
    new BoundField(m_cursor, QStringLiteral("试题"), m_text9);
    new BoundField(m_cursor, QStringLiteral("答案"), m_text16);
    new BoundField(m_cursor, QStringLiteral("备注"), m_text14);
}

void Form3::buildHelpPage(QWidget *page)
{
    auto *columns = new QHBoxLayout(page);
    const auto helpFrame = [&](const QString &name, const QString &caption,
                               const QList<std::pair<const char *, QString>> &texts) {
        auto *f = new QGroupBox(caption, page);
        f->setObjectName(name);
        auto *rows = new QVBoxLayout(f);
        rows->setSpacing(2);
        rows->setContentsMargins(8, 4, 8, 4);
        for (const auto &[labelName, text] : texts) {
            auto *l = new QLabel(text, f);
            l->setObjectName(QString::fromLatin1(labelName));
            l->setWordWrap(true);
            rows->addWidget(l);
        }
        columns->addWidget(f, 1);
        return std::make_pair(f, rows);
    };
    helpFrame(QStringLiteral("Frame1"), QStringLiteral("智能组卷"),
              {{"Label2", QStringLiteral("1.在相应栏内输入试卷的试题数目;")},
               {"Label3", QStringLiteral("2.点击‘智能组卷’按钮;")},
               {"Label4", QStringLiteral("3.连续点击‘智能组卷’,可生成不同的试卷;")},
               {"Label5", QStringLiteral("5.点击‘保存’按钮,将试题保存至相应位置.")},
               {"Label8", QStringLiteral("注意:")},
               {"Label9", QStringLiteral("1.输入的试题数目只能小于200,且为整数;")},
               {"Label10", QStringLiteral("2.单击‘保存’按钮后,试卷和答案将以一份文")},
               {"Label11", QStringLiteral("件保存.")}})
        .second->addStretch();
    auto [frame3, rows3] = helpFrame(
        QStringLiteral("Frame3"), QStringLiteral("手工组卷"),
        {{"Label14", QStringLiteral("1.点击界面右下侧的按钮,以选择试题范围.")},
         {"Label15", QStringLiteral("2.通过界面右侧的四个按钮:第一题,最后题,上一题,")},
         {"Label16", QStringLiteral("下一题这四个按钮,来定位试题.")},
         {"Label17", QStringLiteral("3.选好后单击‘添加’按钮,此试题和答案将被加入试    卷和答案卷中.")},
         {"Label18", QStringLiteral("4.重复第2、第3步,将更多的试题添加入试卷中.")},
         {"Label19", QStringLiteral("5.添加结束后,点单击‘保存’按钮,将试题答案保存.")},
         {"Label20", QStringLiteral("注意:")},
         {"Label21", QStringLiteral("1.若跳过第一步,则当前试题范围为题库中所有试题;")},
         {"Label22", QStringLiteral("2.试卷和答案的保存见左侧‘注意’部分.")}});
    rows3->addStretch();
    // The exit button on its small panel, beside the last line of the help.
    QLayoutItem *lastLine = rows3->takeAt(rows3->count() - 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lastLine->widget(), 1, Qt::AlignTop);
    delete lastLine;
    QFrame *text17 = panel(frame3, QStringLiteral("Text17"), 0, 0, 1260, 510);
    text17->setFixedSize(text17->size());
    QPushButton *command10 = Controls::button(text17, QStringLiteral("Command10"), QStringLiteral("退出"),
                                                    QString(), 90, 75, 1080, 360);
    bottom->addWidget(text17, 0, Qt::AlignBottom);
    rows3->insertLayout(rows3->count() - 1, bottom);
    connect(command10, &QPushButton::clicked, this, &Form3::Command10_Click);

    // The holder of the bank size, never seen.
    m_text2 = hiddenBox(page, QStringLiteral("Text2"), QString());
}

QPushButton *Form3::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void Form3::setUniformSourceFactory(std::function<RandomDraw::UniformSource()> factory)
{
    m_uniformSourceFactory = std::move(factory);
}

// ---- Load and unload ----------------------------------------------------------

void Form3::Form_Load()
{
    m_tabs->setCurrentIndex(0);

    // The bank size: the practice window's question set as it is now.
    const Form1 *form1 = WindowRegistry::instance().findForm<Form1>(kPracticeWindow);
    m_text2->setText(QString::number(form1 ? form1->Adodc1()->recordCount() : 0));
    m_text8->setText(m_text2->text());
    fitBankSizeBox();

    // The manual page: its own cursor on the whole bank.
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAllQuestions));
    if (!m_cursor->refresh())
        MessageBox::show(this, m_cursor->lastError(), windowTitle());
    m_position = 1;
    m_total = m_cursor->recordCount();
    refreshCounter();
    // Form1 has already reported a missing catalogue; the list simply stays empty.
    m_combo1->addItems(Catalogue::load(Catalogue::defaultPath()).labels);
    m_combo1->setEditText(m_text14->text());

    m_text1->setFocus();
}

void Form3::Form_Unload()
{
    m_cursor->close();
    // At the program's end the practice window is gone and stays gone.
    showPracticeWindowIfLoaded();
}

void Form3::showPracticeWindowIfLoaded()
{
    WindowRegistry &registry = WindowRegistry::instance();
    if (registry.isLoaded(kPracticeWindow))
        registry.show(kPracticeWindow);
}

// ---- Intelligent composition ---------------------------------------------------

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    if (isEnter(event)) {
        if (watched == m_text1) {
            Text1_KeyPress();
            return true;
        }
        if (watched == m_combo1->lineEdit())
            return true;
    }
    return FormBase::eventFilter(watched, event);
}

void Form3::Text1_KeyPress()
{
    // Enter only moves on to the compose button; it composes nothing itself.
    m_command20->setFocus(Qt::TabFocusReason);
}

void Form3::reselectCountBox()
{
    m_text1->setFocus(Qt::OtherFocusReason);
    m_text1->setCursorPosition(0);
    m_text1->selectAll();
}

void Form3::Command20_Click()
{
    // A refused count clears the previous paper as well.
    m_text3->clear();
    m_text4->clear();

    const qint32 n = m_text2->text().toInt();
    const CountInput::Check check = CountInput::check(m_text1->text(), n);
    switch (check.verdict) {
    case CountInput::Verdict::NotANumber:
        MessageBox::show(this, QStringLiteral("请输入数字！"), kComposeTitle);
        reselectCountBox();
        return;
    case CountInput::Verdict::AboveLimit:
        MessageBox::show(this, QStringLiteral("请输入小于200的数！"), kComposeTitle);
        return;
    case CountInput::Verdict::AboveBankSize:
        MessageBox::show(this,
                         QStringLiteral("题库中只有") + m_text2->text() + QStringLiteral("道试题,您输入的数据必须小于(或等于)")
                             + m_text2->text() + QStringLiteral("！"),
                         kComposeTitle);
        reselectCountBox();
        return;
    case CountInput::Verdict::BelowOne:
        MessageBox::show(this, QStringLiteral("请输入大于等于1的整数！"), kComposeTitle);
        reselectCountBox();
        return;
    case CountInput::Verdict::Accepted:
        break;
    }

    // Every number is drawn before the first question is fetched.
    const RandomDraw::UniformSource uniform =
        m_uniformSourceFactory ? m_uniformSourceFactory() : RandomDraw::clockSeededSource();
    const QList<qint32> numbers = RandomDraw::distinctNumbers(check.count, n, uniform);

    // Each question is fetched by its number through the practice window's
    // cursor and read as its question and answer boxes show it; a number
    // without a row gives an empty question and answer. The boxes themselves
    // are refilled once, for the last row, instead of laying out every
    // question on the way.
    Form1 *form1 = WindowRegistry::instance().findForm<Form1>(kPracticeWindow);
    PaperBuffers paper;
    if (form1) {
        QuestionCursor *cursor = form1->Adodc1();
        {
            const QSignalBlocker quiet(cursor);
            for (qsizetype i = 0; i < numbers.size(); ++i) {
                cursor->setRecordSource(QueryText::numberQuery(numbers.at(i)));
                cursor->refresh();
                paper.append(qint32(i + 1), BoundField::textOf(cursor->value(QStringLiteral("试题"))),
                             BoundField::textOf(cursor->value(QStringLiteral("答案"))));
            }
        }
        cursor->showCurrent();
    } else {
        for (qsizetype i = 0; i < numbers.size(); ++i)
            paper.append(qint32(i + 1), QString(), QString());
    }
    m_text3->setPlainText(Paper::toBoxText(paper.questions));
    m_text4->setPlainText(Paper::toBoxText(paper.answers));
}

void Form3::Command2_Click()
{
    WindowRegistry::instance().show(QStringLiteral("Form4"));
}

void Form3::Command1_Click()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.unload(objectName());
    Form1 *form1 = registry.findForm<Form1>(kPracticeWindow);
    if (!form1)
        return;
    registry.show(kPracticeWindow);
    form1->ShowQuestionSet(QString::fromUtf8(QueryText::kAllQuestionsFromList));
}

void Form3::Command10_Click()
{
    // Only hides: both papers and every box wait for the next showing.
    WindowRegistry::instance().hide(objectName());
    showPracticeWindowIfLoaded();
}

// ---- Manual composition ---------------------------------------------------------

void Form3::refreshCounter()
{
    m_text13->setText(QStringLiteral("第%1题 共%2题").arg(m_position).arg(m_total));
}

void Form3::Combo1_Click(int index)
{
    m_cursor->setRecordSource(QueryText::categoryQuery(m_combo1->itemText(index)));
    m_cursor->refresh();
    m_position = 1;
    m_total = m_cursor->recordCount();
    refreshCounter();
}

void Form3::Command3_Click()
{
    if (!m_cursor->hasCurrentRow())
        return; // an empty range has nowhere to go
    m_cursor->moveFirst();
    m_position = 1;
    refreshCounter();
}

void Form3::Command4_Click()
{
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->moveLast();
    m_position = m_cursor->recordCount();
    refreshCounter();
}

void Form3::Command5_Click()
{
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->movePrevious();
    --m_position;
    if (m_cursor->isBOF()) {
        MessageBox::show(this, QStringLiteral("已到第一道试题！"), kBoundaryTitle);
        m_cursor->moveNext();
        ++m_position;
    }
    refreshCounter();
}

void Form3::Command6_Click()
{
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->moveNext();
    ++m_position;
    if (m_cursor->isEOF()) {
        MessageBox::show(this, QStringLiteral("已到最后一道试题！"), kBoundaryTitle);
        m_cursor->movePrevious();
        --m_position;
    }
    refreshCounter();
}

void Form3::Command7_Click()
{
    if (!m_cursor->hasCurrentRow())
        return; // nothing to add from an empty range
    if (MessageBox::show(this, QStringLiteral("真的加入试卷吗？"), QStringLiteral("加入试卷"), MessageBox::OkCancel)
        != MessageBox::Ok)
        return;
    const qint32 number = m_text15->text().toInt() + 1;
    m_text15->setText(QString::number(number));
    appendText(m_text10, Paper::questionEntry(number, exactText(m_text9)));
    appendText(m_text11, Paper::answerEntry(number, m_text16->text()));
}

void Form3::Command8_Click()
{
    WindowRegistry::instance().show(QStringLiteral("Form5"));
}

void Form3::Command9_Click()
{
    WindowRegistry::instance().unload(objectName());
    showPracticeWindowIfLoaded();
}
