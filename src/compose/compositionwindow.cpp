#include "compositionwindow.h"

#include "boundfield.h"
#include "catalogue.h"
#include "countinput.h"
#include "ui_compositionwindow.h"
#include "windowstyle.h"
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
    Ui::CompositionWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));
    m_tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    m_bankSizeBox = control<QLineEdit>(QStringLiteral("Text2"));
    bindRandomPage();
    bindManualPage();
    connect(control<QPushButton>(QStringLiteral("Command10")), &QPushButton::clicked, this,
            &CompositionWindow::hideToPractice);
}

void CompositionWindow::bindRandomPage()
{
    m_paperBox = control<QPlainTextEdit>(QStringLiteral("Text3"));
    m_paperAnswerBox = control<QPlainTextEdit>(QStringLiteral("Text4"));
    m_countBox = control<QLineEdit>(QStringLiteral("Text1"));
    m_countBox->installEventFilter(this);
    m_bankSizeCaption = control<QLineEdit>(QStringLiteral("Text6"));
    m_bankSizeCaptionFont = m_bankSizeCaption->font();
    m_bankSizeShown = control<QLineEdit>(QStringLiteral("Text8"));
    QPalette pal = m_bankSizeShown->palette(); // see-through: it never hides a letter of the caption
    pal.setColor(QPalette::Base, Qt::transparent);
    m_bankSizeShown->setPalette(pal);
    fitBankSizeBox();

    m_composeButton = control<QPushButton>(QStringLiteral("Command20"));
    connect(m_composeButton, &QPushButton::clicked, this, &CompositionWindow::composeRandomPaper);
    connect(control<QPushButton>(QStringLiteral("Command2")), &QPushButton::clicked, this,
            &CompositionWindow::saveRandomPaper);
    connect(control<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, this,
            &CompositionWindow::returnToWholeBank);
    connect(control<QPushButton>(QStringLiteral("Command21")), &QPushButton::clicked, this,
            &CompositionWindow::printRandomPaper);
    connect(control<QPushButton>(QStringLiteral("Command22")), &QPushButton::clicked, this,
            &CompositionWindow::exportRandomPaper);
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

void CompositionWindow::bindManualPage()
{
    m_browseBox = control<QPlainTextEdit>(QStringLiteral("Text9"));
    m_manualPaperBox = control<QPlainTextEdit>(QStringLiteral("Text10"));
    m_manualAnswerBox = control<QPlainTextEdit>(QStringLiteral("Text11"));
    m_browsePositionBox = control<QLineEdit>(QStringLiteral("Text13"));
    WindowStyle::keepTextWhole(m_browsePositionBox);
    m_browseCategoryList = control<QComboBox>(QStringLiteral("Combo1"));
    m_browseCategoryList->setCompleter(nullptr);
    // Only a choice from the list changes the range; Enter in its text does not.
    m_browseCategoryList->lineEdit()->installEventFilter(this);
    m_browseCategoryBox = control<QLineEdit>(QStringLiteral("Text14"));
    m_manualCountBox = control<QLineEdit>(QStringLiteral("Text15"));
    m_browseAnswerBox = control<QLineEdit>(QStringLiteral("Text16"));

    const std::pair<const char *, void (CompositionWindow::*)()> buttons[] = {
        {"Command3", &CompositionWindow::browseFirst},      {"Command4", &CompositionWindow::browseLast},
        {"Command5", &CompositionWindow::browsePrevious},   {"Command6", &CompositionWindow::browseNext},
        {"Command7", &CompositionWindow::addToManualPaper}, {"Command8", &CompositionWindow::saveManualPaper},
        {"Command9", &CompositionWindow::closeToPractice},
        {"Command23", &CompositionWindow::printManualPaper}, {"Command24", &CompositionWindow::exportManualPaper},
    };
    for (const auto &[name, handler] : buttons)
        connect(control<QPushButton>(QString::fromLatin1(name)), &QPushButton::clicked, this, handler);

    connect(m_browseCategoryList, qOverload<int>(&QComboBox::activated), this,
            &CompositionWindow::onBrowseCategoryPicked);
    new BoundField(m_cursor, QStringLiteral("试题"), m_browseBox);
    new BoundField(m_cursor, QStringLiteral("答案"), m_browseAnswerBox);
    new BoundField(m_cursor, QStringLiteral("备注"), m_browseCategoryBox);
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

void CompositionWindow::printRandomPaper()
{
    m_printing.print(this, randomPaper());
}

void CompositionWindow::exportRandomPaper()
{
    m_printing.exportPdf(this, randomPaper());
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

void CompositionWindow::printManualPaper()
{
    m_printing.print(this, manualPaper());
}

void CompositionWindow::exportManualPaper()
{
    m_printing.exportPdf(this, manualPaper());
}

void CompositionWindow::closeToPractice()
{
    WindowRegistry::instance().unload(objectName());
    showPracticeWindowIfLoaded();
}
