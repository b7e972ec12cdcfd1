#include "savewindow.h"

#include "boundfield.h"
#include "controls.h"
#include "folderlist.h"
#include "form3.h"
#include "look.h"
#include "messagebox.h"
#include "paper.h"
#include "paperpath.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <limits>

using namespace Controls;

namespace {

const QString kTitle = QStringLiteral("保存试卷和答案");
const QString kCompositionWindow = QStringLiteral("Form3");
const QString kPattern = QStringLiteral("*.txt");

// The folder the window opens on: drive C:'s current folder on Windows, the
// working folder where there are no drive letters.
QString startFolder()
{
#ifdef Q_OS_WIN
    const QString current = QDir::currentPath();
    if (current.startsWith(QLatin1String("c:"), Qt::CaseInsensitive))
        return current;
    return QStringLiteral("C:/");
#else
    return QDir::currentPath();
#endif
}

// A path as a message shows it: a very long one (a pasted name) is cut in
// the middle so the message stays readable.
QString shownPath(const QString &path)
{
    constexpr qsizetype kLongest = 300;
    if (path.size() <= kLongest)
        return path;
    return path.left(kLongest - 60) + QStringLiteral("…") + path.right(59);
}

} // namespace

SaveWindow::SaveWindow(const QString &formName, PaperSource source, QWidget *parent)
    : FormBase(formName, parent), m_source(source)
{
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(5310, 4380);

    QGroupBox *frame1 = frame(this, QStringLiteral("Frame1"), QStringLiteral("保存在："), 120, 120, 2415, 2775);
    m_drive1 = new QComboBox(frame1);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    Look::place(m_drive1, 120, 240, 2175, 300);
    m_dir1 = new FolderList(frame1);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    Look::place(m_dir1, 120, 680, 2175, 1980);

    QGroupBox *frame3 = frame(this, QStringLiteral("Frame3"), QStringLiteral("已有文件："), 2640, 120, 2535, 2775);
    m_file1 = new QListWidget(frame3);
    m_file1->setObjectName(QStringLiteral("File1"));
    Look::place(m_file1, 120, 240, 2295, 2430);

    QGroupBox *frame2 = frame(this, QStringLiteral("Frame2"), QStringLiteral("文件名："), 120, 3000, 5055, 735);
    m_text4 = new QLineEdit(frame2);
    m_text4->setObjectName(QStringLiteral("Text4"));
    m_text4->setMaxLength(std::numeric_limits<int>::max()); // the name is used as typed, never cut
    Look::place(m_text4, 120, 240, 4815, 375);
    m_text4->installEventFilter(this);

    m_command1 = button(this, QStringLiteral("Command1"), QStringLiteral("保    存"), QString(), 1080, 3840, 1215, 375);
    m_command3 = button(this, QStringLiteral("Command3"), QStringLiteral("取    消"), QString(), 2760, 3840, 1215, 375);

    // The extension and the full path of the last save, never seen.
    m_text3 = hiddenBox(this, QStringLiteral("Text3"), QString());
    m_text1 = hiddenBox(this, QStringLiteral("Text1"), QString());
    m_text1->setMaxLength(std::numeric_limits<int>::max());

    // Read out by their frames' captions; Form4 also shows tooltips.
    Look::nameForScreenReaders(m_drive1, QStringLiteral("保存在：驱动器"));
    Look::nameForScreenReaders(m_dir1, QStringLiteral("保存在：文件夹"));
    Look::nameForScreenReaders(m_file1, QStringLiteral("已有文件："));
    Look::nameForScreenReaders(m_text4, QStringLiteral("文件名："));
    if (m_source == PaperSource::IntelligentPaper) {
        m_command1->setToolTip(QStringLiteral("保存"));
        m_command3->setToolTip(QStringLiteral("返回"));
        m_text4->setToolTip(QStringLiteral("输入文件名"));
        m_drive1->setToolTip(QStringLiteral("选择驱动器"));
        m_dir1->setToolTip(QStringLiteral("选择文件夹"));
        m_file1->setToolTip(QStringLiteral("已有文件"));
    }

    setTabOrder(m_drive1, m_dir1);
    setTabOrder(m_dir1, m_file1);
    setTabOrder(m_file1, m_text4);
    setTabOrder(m_text4, m_command1);
    setTabOrder(m_command1, m_command3);

    connect(m_drive1, qOverload<int>(&QComboBox::activated), this, &SaveWindow::Drive1_Change);
    connect(m_dir1, &FolderList::changed, this, &SaveWindow::Dir1_Change);
    connect(m_command1, &QPushButton::clicked, this, &SaveWindow::Command1_Click);
    connect(m_command3, &QPushButton::clicked, this, &SaveWindow::Command3_Click);
}

void SaveWindow::Form_Load()
{
    m_text3->setText(QString::fromLatin1(PaperPath::kExtension));
    fillDriveList();
    const QString start = startFolder();
    showDriveOf(start);
    // Opening the folder fills the file list (Dir1_Change).
    if (!m_dir1->setPath(start))
        m_dir1->setPath(QDir::rootPath());

    if (m_source == PaperSource::IntelligentPaper)
        m_command1->setFocus();
    else
        m_command3->setFocus();
}

void SaveWindow::fillDriveList()
{
    const QSignalBlocker quiet(m_drive1);
    m_drive1->clear();
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        m_drive1->addItem(QDir::toNativeSeparators(drive.absolutePath()).toLower(), drive.absolutePath());
#else
    // Without drive letters the mounted file systems take their place, the
    // root first.
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    roots.removeAll(QDir::rootPath());
    roots.sort();
    roots.prepend(QDir::rootPath());
    for (const QString &root : roots)
        m_drive1->addItem(root, root);
#endif
}

void SaveWindow::showDriveOf(const QString &folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    const int index = m_drive1->findData(root);
    if (index >= 0) {
        const QSignalBlocker quiet(m_drive1);
        m_drive1->setCurrentIndex(index);
    }
}

void SaveWindow::Drive1_Change()
{
    // A drive that cannot be read is ignored: the folder list stays put.
    m_dir1->setPath(m_drive1->currentData().toString());
}

void SaveWindow::Dir1_Change()
{
    m_file1->clear();
    m_file1->addItems(QDir(m_dir1->path()).entryList({kPattern}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

bool SaveWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Text4_KeyPress();
            return true;
        }
    }
    return FormBase::eventFilter(watched, event);
}

void SaveWindow::Text4_KeyPress()
{
    // Enter moves on to "保    存"; a second Enter presses it.
    m_command1->setFocus(Qt::TabFocusReason);
}

std::optional<std::pair<QString, QString>> SaveWindow::paperTexts() const
{
    const Form3 *form3 = WindowRegistry::instance().findForm<Form3>(kCompositionWindow);
    if (!form3)
        return std::nullopt;
    if (m_source == PaperSource::IntelligentPaper)
        return std::make_pair(exactText(form3->Text3()), exactText(form3->Text4()));
    return std::make_pair(exactText(form3->Text10()), exactText(form3->Text11()));
}

void SaveWindow::sayPaperIsGone()
{
    MessageBox::show(this, QStringLiteral("“电脑组卷”窗口已经关闭，这份试卷已不存在，无法保存。"), kTitle);
}

void SaveWindow::Command1_Click()
{
    if (m_text4->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("请输入文件名！"), kTitle);
        m_text4->setFocus();
        return;
    }
    if (!paperTexts()) {
        sayPaperIsGone();
        return;
    }
    if (MessageBox::show(this, QStringLiteral("真的要保存试卷和答案吗？"), kTitle, MessageBox::YesNo) != MessageBox::Yes)
        return;

    QString folder = m_dir1->path();
    if (PaperPath::hostPlatform() == PaperPath::Platform::Windows)
        folder = QDir::toNativeSeparators(folder);
    m_text1->setText(PaperPath::fullPath(folder, m_text4->text(), PaperPath::hostPlatform()));

    // The texts as they are at the moment of the answer Yes.
    const auto texts = paperTexts();
    if (!texts) {
        sayPaperIsGone();
        return;
    }
    // A name the file system refuses is said so before anything is created;
    // a "/" in it would otherwise lead into another folder.
    QString reason = PaperPath::refusedName(m_text4->text(), PaperPath::hostPlatform());
    if (reason.isEmpty() && Paper::writeFile(m_text1->text(), Paper::fileBytes(texts->first, texts->second), &reason)) {
        WindowRegistry::instance().hide(objectName());
        return;
    }
    // The window stays so that another name or folder can be chosen.
    MessageBox::show(this, QStringLiteral("无法保存文件“%1”：%2").arg(shownPath(m_text1->text()), reason), kTitle);
}

void SaveWindow::Command3_Click()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.unload(objectName());
    // Back to the composition window, unless it has been closed meanwhile.
    if (registry.isLoaded(kCompositionWindow))
        registry.show(kCompositionWindow);
}
