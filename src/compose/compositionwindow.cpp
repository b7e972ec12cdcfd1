#include "compositionwindow.h"

#include "boundfield.h"
#include "catalogue.h"
#include "controls.h"
#include "countinput.h"
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

CompositionWindow::CompositionWindow(PracticeLink practice, QWidget *parent)
    : ProgramWindow(QStringLiteral("Form3"), parent), m_practice(std::move(practice))
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

void CompositionWindow::buildIntelligentPage(QWidget *page)
{
    QGroupBox *frame2 = frame(page, QStringLiteral("Frame2"), QStringLiteral("试卷"), 60, 60, 9060, 2040);
    m_paperBox = textArea(frame2, QStringLiteral("Text3"), QStringLiteral("试卷部分"), true, 120, 270, 8820, 1680);
    m_paperBox->setFont(Look::songti(10.5));
    QGroupBox *frame7 = frame(page, QStringLiteral("Frame7"), QStringLiteral("答案"), 60, 2160, 4860, 1500);
    m_paperAnswerBox = textArea(frame7, QStringLiteral("Text4"), QStringLiteral("答案部分"), false, 120, 270, 4620, 1140);
    m_paperAnswerBox->setFont(Look::songti(10.5));

    panel(page, QStringLiteral("Text7"), 5040, 2220, 4080, 1440);
    QLineEdit *text5 = plainText(page, QStringLiteral("Text5"), QStringLiteral("请输入试题数目"), 5100, 2400, 1440, 330);
    text5->setAlignment(Qt::AlignCenter);
    Look::nameForScreenReaders(text5, text5->text());

    m_countBox = new QLineEdit(page);
    m_countBox->setObjectName(QStringLiteral("Text1"));
    m_countBox->setToolTip(QStringLiteral("输入试题总数"));
    m_countBox->setAlignment(Qt::AlignCenter);
    m_countBox->setMaxLength(std::numeric_limits<int>::max()); // whatever is typed is judged whole
    Look::place(m_countBox, 6600, 2370, 780, 360);
    m_countBox->installEventFilter(this);

    m_bankSizeCaption = plainText(page, QStringLiteral("Text6"), QStringLiteral("共有       题"), 7500, 2400, 1500, 330);
    Look::nameForScreenReaders(m_bankSizeCaption, QStringLiteral("共有题"));
    m_bankSizeCaptionFont = m_bankSizeCaption->font();
    m_bankSizeShown = plainText(page, QStringLiteral("Text8"), QStringLiteral("0"), 7500, 2400, 1500, 330);
    m_bankSizeShown->setAlignment(Qt::AlignCenter);
    Look::nameForScreenReaders(m_bankSizeShown, QStringLiteral("题库中的试题数"));
    QPalette pal = m_bankSizeShown->palette(); // see-through: it never hides a letter of the caption
    pal.setColor(QPalette::Base, Qt::transparent);
    m_bankSizeShown->setPalette(pal);
    fitBankSizeBox();

    m_composeButton = Controls::button(page, QStringLiteral("Command20"), QStringLiteral("智能组卷"),
                                         QStringLiteral("自动组卷(继续单击可以生成另一份试卷)"),
                                         5160, 3060, 1200, 420);
    QPushButton *command2 = Controls::button(page, QStringLiteral("Command2"), QStringLiteral("保    存"),
                                                   QStringLiteral("保存试卷及答案"), 6480, 3060, 1200, 420);
    QPushButton *command1 = Controls::button(page, QStringLiteral("Command1"), QStringLiteral("返    回"),
                                                   QStringLiteral("返回系统主界面"), 7800, 3060, 1200, 420);

    setTabOrder(m_countBox, m_composeButton);
    setTabOrder(m_composeButton, command2);
    setTabOrder(command2, command1);
    setTabOrder(command1, m_paperBox);
    setTabOrder(m_paperBox, m_paperAnswerBox);

    connect(m_composeButton, &QPushButton::clicked, this, &CompositionWindow::composeRandomPaper);
    connect(command2, &QPushButton::clicked, this, &CompositionWindow::saveRandomPaper);
    connect(command1, &QPushButton::clicked, this, &CompositionWindow::returnToWholeBank);
}

void CompositionWindow::fitBankSizeBox()
{
    // bankSizeShown lies over the seven blanks between 共有 and 题 of the caption; the
    // letters of the caption are spaced so that the bank size fits, five digits at
    // least and as many as the bank has.
    QFont font = m_bankSizeCaptionFont;
    const QString head = QStringLiteral("共有");
    const QString blanks(7, QLatin1Char(' '));
    const qsizetype digits = qMax<qsizetype>(5, m_bankSizeShown->text().size());
    const int room = QFontMetrics(font).horizontalAdvance(QString(digits, QLatin1Char('0'))) + 6;
    const int plain = QFontMetrics(font).horizontalAdvance(blanks);
    if (room > plain)
        font.setLetterSpacing(QFont::AbsoluteSpacing, std::ceil(qreal(room - plain) / blanks.size()));
    m_bankSizeCaption->setFont(font);
    const QFontMetrics metrics(font);
    const int textMargin = 2; // a frameless line edit's own inner margin
    const int headWidth = metrics.horizontalAdvance(head);
    const int blanksEnd = metrics.horizontalAdvance(head + blanks);
    m_bankSizeCaption->resize(2 * textMargin + metrics.horizontalAdvance(m_bankSizeCaption->text()) + 4, m_bankSizeCaption->height());
    m_bankSizeShown->setGeometry(m_bankSizeCaption->x() + textMargin + headWidth, m_bankSizeCaption->y(), blanksEnd - headWidth,
                         m_bankSizeCaption->height());
    m_bankSizeShown->raise();
}

void CompositionWindow::buildManualPage(QWidget *page)
{
    label(page, QStringLiteral("Label1"), QStringLiteral("试题"), 120, 60, 1200, 240);
    m_browseBox = textArea(page, QStringLiteral("Text9"), QStringLiteral("试题区"), true, 120, 300, 6360, 1260);
    m_browseBox->setFont(Look::songti(12));
    label(page, QStringLiteral("Label6"), QStringLiteral("试卷"), 120, 1600, 1200, 240);
    m_manualPaperBox = textArea(page, QStringLiteral("Text10"), QStringLiteral("电脑生成的试卷"), false, 120, 1840, 6360, 960);
    label(page, QStringLiteral("Label7"), QStringLiteral("试卷答案"), 120, 2840, 1200, 240);
    m_manualAnswerBox = textArea(page, QStringLiteral("Text11"), QStringLiteral("试卷答案区"), false, 120, 3080, 4200, 600);

    m_browsePositionBox = new QLineEdit(page);
    m_browsePositionBox->setObjectName(QStringLiteral("Text13"));
    m_browsePositionBox->setToolTip(QStringLiteral("试题数目"));
    m_browsePositionBox->setAlignment(Qt::AlignCenter);
    m_browsePositionBox->setReadOnly(true); // shows the counter; nothing reads it back
    Look::place(m_browsePositionBox, 4440, 3080, 2040, 300);
    Look::keepTextWhole(m_browsePositionBox);

    m_browseCategoryList = new QComboBox(page);
    m_browseCategoryList->setObjectName(QStringLiteral("Combo1"));
    m_browseCategoryList->setToolTip(QStringLiteral("选择试题"));
    m_browseCategoryList->setEditable(true);
    m_browseCategoryList->setInsertPolicy(QComboBox::NoInsert);
    m_browseCategoryList->setCompleter(nullptr);
    // Only a choice from the list changes the range; Enter in its text does not.
    m_browseCategoryList->lineEdit()->installEventFilter(this);
    Look::place(m_browseCategoryList, 4440, 3400, 2040, 300);

    panel(page, QStringLiteral("Text12"), 6600, 60, 2520, 3640);
    const struct
    {
        const char *name;
        QString caption;
        QString tooltip;
        void (CompositionWindow::*handler)();
    } buttons[] = {
        {"Command3", QStringLiteral("第一题"), QStringLiteral("第一试题"), &CompositionWindow::browseFirst},
        {"Command4", QStringLiteral("最后题"), QStringLiteral("最后试题"), &CompositionWindow::browseLast},
        {"Command5", QStringLiteral("上一题"), QStringLiteral("转到上一试题"), &CompositionWindow::browsePrevious},
        {"Command6", QStringLiteral("下一题"), QStringLiteral("转到下一试题"), &CompositionWindow::browseNext},
        {"Command7", QStringLiteral("添  加"), QStringLiteral("试题此题添加到试卷中!"), &CompositionWindow::addToManualPaper},
        {"Command8", QStringLiteral("保  存"), QStringLiteral("保存生成的试卷和答案"), &CompositionWindow::saveManualPaper},
        {"Command9", QStringLiteral("退  出"), QStringLiteral("退出"), &CompositionWindow::closeToPractice},
    };
    int top = 200;
    for (const auto &b : buttons) {
        QPushButton *pb =
            Controls::button(page, QString::fromLatin1(b.name), b.caption, b.tooltip, 6780, top, 2160, 400);
        connect(pb, &QPushButton::clicked, this, b.handler);
        top += 500;
    }

    m_browseCategoryBox = hiddenBox(page, QStringLiteral("Text14"), QStringLiteral("0"));
    m_manualCountBox = hiddenBox(page, QStringLiteral("Text15"), QStringLiteral("0"));
    m_browseAnswerBox = hiddenBox(page, QStringLiteral("Text16"), QString());

    connect(m_browseCategoryList, qOverload<int>(&QComboBox::activated), this, &CompositionWindow::onBrowseCategoryPicked);
    new BoundField(m_cursor, QStringLiteral("试题"), m_browseBox);
    new BoundField(m_cursor, QStringLiteral("答案"), m_browseAnswerBox);
    new BoundField(m_cursor, QStringLiteral("备注"), m_browseCategoryBox);
}

void CompositionWindow::buildHelpPage(QWidget *page)
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
    connect(command10, &QPushButton::clicked, this, &CompositionWindow::hideToPractice);

    // The holder of the bank size, never seen.
    m_bankSizeBox = hiddenBox(page, QStringLiteral("Text2"), QString());
}

QPushButton *CompositionWindow::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void CompositionWindow::setUniformSourceFactory(std::function<RandomDraw::UniformSource()> factory)
{
    m_uniformSourceFactory = std::move(factory);
}

// ---- Load and unload ----------------------------------------------------------

void CompositionWindow::onLoad()
{
    m_tabs->setCurrentIndex(0);

    // The bank size: the practice window's question set as it is now.
    const QuestionCursor *practiceCursor = m_practice.cursor();
    m_bankSizeBox->setText(QString::number(practiceCursor ? practiceCursor->recordCount() : 0));
    m_bankSizeShown->setText(m_bankSizeBox->text());
    fitBankSizeBox();

    // The manual page: its own cursor on the whole bank.
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAllQuestions));
    if (!m_cursor->refresh())
        MessageBox::show(this, m_cursor->lastError(), windowTitle());
    m_position = 1;
    m_total = m_cursor->recordCount();
    refreshCounter();
    // The practice window has already reported a missing catalogue; the list simply stays empty.
    m_browseCategoryList->addItems(Catalogue::load(Catalogue::defaultPath()).labels);
    m_browseCategoryList->setEditText(m_browseCategoryBox->text());

    m_countBox->setFocus();
}

void CompositionWindow::onUnload()
{
    m_cursor->close();
    // At the program's end the practice window is gone and stays gone.
    showPracticeWindowIfLoaded();
}

void CompositionWindow::showPracticeWindowIfLoaded()
{
    WindowRegistry &registry = WindowRegistry::instance();
    if (registry.isLoaded(kPracticeWindow))
        registry.show(kPracticeWindow);
}

// ---- Intelligent composition ---------------------------------------------------

bool CompositionWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (isEnter(event)) {
        if (watched == m_countBox) {
            onCountEntered();
            return true;
        }
        if (watched == m_browseCategoryList->lineEdit())
            return true;
    }
    return ProgramWindow::eventFilter(watched, event);
}

void CompositionWindow::onCountEntered()
{
    // Enter only moves on to the compose button; it composes nothing itself.
    m_composeButton->setFocus(Qt::TabFocusReason);
}

void CompositionWindow::reselectCountBox()
{
    m_countBox->setFocus(Qt::OtherFocusReason);
    m_countBox->setCursorPosition(0);
    m_countBox->selectAll();
}

PaperBuffers CompositionWindow::randomPaper() const
{
    return {exactText(m_paperBox), exactText(m_paperAnswerBox)};
}

PaperBuffers CompositionWindow::manualPaper() const
{
    return {exactText(m_manualPaperBox), exactText(m_manualAnswerBox)};
}

void CompositionWindow::composeRandomPaper()
{
    // A refused count clears the previous paper as well.
    m_paperBox->clear();
    m_paperAnswerBox->clear();

    const qint32 n = m_bankSizeBox->text().toInt();
    const CountInput::Check check = CountInput::check(m_countBox->text(), n);
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
                         QStringLiteral("题库中只有") + m_bankSizeBox->text() + QStringLiteral("道试题,您输入的数据必须小于(或等于)")
                             + m_bankSizeBox->text() + QStringLiteral("！"),
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
    PaperBuffers paper;
    if (QuestionCursor *cursor = m_practice.cursor()) {
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
    m_paperBox->setPlainText(Paper::toBoxText(paper.questions));
    m_paperAnswerBox->setPlainText(Paper::toBoxText(paper.answers));
}

void CompositionWindow::saveRandomPaper()
{
    WindowRegistry::instance().show(QStringLiteral("Form4"));
}

void CompositionWindow::returnToWholeBank()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.unload(objectName());
    if (!registry.isLoaded(kPracticeWindow))
        return;
    registry.show(kPracticeWindow);
    m_practice.showWholeBank();
}

void CompositionWindow::hideToPractice()
{
    // Only hides: both papers and every box wait for the next showing.
    WindowRegistry::instance().hide(objectName());
    showPracticeWindowIfLoaded();
}

// ---- Manual composition ---------------------------------------------------------

void CompositionWindow::refreshCounter()
{
    m_browsePositionBox->setText(QStringLiteral("第%1题 共%2题").arg(m_position).arg(m_total));
}

void CompositionWindow::onBrowseCategoryPicked(int index)
{
    m_cursor->setRecordSource(QueryText::categoryQuery(m_browseCategoryList->itemText(index)));
    m_cursor->refresh();
    m_position = 1;
    m_total = m_cursor->recordCount();
    refreshCounter();
}

void CompositionWindow::browseFirst()
{
    if (!m_cursor->hasCurrentRow())
        return; // an empty range has nowhere to go
    m_cursor->moveFirst();
    m_position = 1;
    refreshCounter();
}

void CompositionWindow::browseLast()
{
    if (!m_cursor->hasCurrentRow())
        return;
    m_cursor->moveLast();
    m_position = m_cursor->recordCount();
    refreshCounter();
}

void CompositionWindow::browsePrevious()
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

void CompositionWindow::browseNext()
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

void CompositionWindow::addToManualPaper()
{
    if (!m_cursor->hasCurrentRow())
        return; // nothing to add from an empty range
    if (MessageBox::show(this, QStringLiteral("真的加入试卷吗？"), QStringLiteral("加入试卷"), MessageBox::OkCancel)
        != MessageBox::Ok)
        return;
    const qint32 number = m_manualCountBox->text().toInt() + 1;
    m_manualCountBox->setText(QString::number(number));
    appendText(m_manualPaperBox, Paper::questionEntry(number, exactText(m_browseBox)));
    appendText(m_manualAnswerBox, Paper::answerEntry(number, m_browseAnswerBox->text()));
}

void CompositionWindow::saveManualPaper()
{
    WindowRegistry::instance().show(QStringLiteral("Form5"));
}

void CompositionWindow::closeToPractice()
{
    WindowRegistry::instance().unload(objectName());
    showPracticeWindowIfLoaded();
}
