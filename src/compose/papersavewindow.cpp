#include "papersavewindow.h"

#include "boundfield.h"
#include "controls.h"
#include "folderlist.h"
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

PaperSaveWindow::PaperSaveWindow(const QString &windowName, PaperKind kind, PaperSource source, QWidget *parent)
    : ProgramWindow(windowName, parent), m_kind(kind), m_paperSource(std::move(source))
{
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(5310, 4380);

    QGroupBox *frame1 = frame(this, QStringLiteral("Frame1"), QStringLiteral("保存在："), 120, 120, 2415, 2775);
    m_driveList = new QComboBox(frame1);
    m_driveList->setObjectName(QStringLiteral("Drive1"));
    Look::place(m_driveList, 120, 240, 2175, 300);
    m_folderList = new FolderList(frame1);
    m_folderList->setObjectName(QStringLiteral("Dir1"));
    Look::place(m_folderList, 120, 680, 2175, 1980);

    QGroupBox *frame3 = frame(this, QStringLiteral("Frame3"), QStringLiteral("已有文件："), 2640, 120, 2535, 2775);
    m_fileList = new QListWidget(frame3);
    m_fileList->setObjectName(QStringLiteral("File1"));
    Look::place(m_fileList, 120, 240, 2295, 2430);

    QGroupBox *frame2 = frame(this, QStringLiteral("Frame2"), QStringLiteral("文件名："), 120, 3000, 5055, 735);
    m_nameBox = new QLineEdit(frame2);
    m_nameBox->setObjectName(QStringLiteral("Text4"));
    m_nameBox->setMaxLength(std::numeric_limits<int>::max()); // the name is used as typed, never cut
    Look::place(m_nameBox, 120, 240, 4815, 375);
    m_nameBox->installEventFilter(this);

    m_saveButton = button(this, QStringLiteral("Command1"), QStringLiteral("保    存"), QString(), 1080, 3840, 1215, 375);
    m_cancelButton = button(this, QStringLiteral("Command3"), QStringLiteral("取    消"), QString(), 2760, 3840, 1215, 375);

    // The extension and the full path of the last save, never seen.
    m_extensionBox = hiddenBox(this, QStringLiteral("Text3"), QString());
    m_pathBox = hiddenBox(this, QStringLiteral("Text1"), QString());
    m_pathBox->setMaxLength(std::numeric_limits<int>::max());

    // Read out by their frames' captions; the window of the random paper also shows tooltips.
    Look::nameForScreenReaders(m_driveList, QStringLiteral("保存在：驱动器"));
    Look::nameForScreenReaders(m_folderList, QStringLiteral("保存在：文件夹"));
    Look::nameForScreenReaders(m_fileList, QStringLiteral("已有文件："));
    Look::nameForScreenReaders(m_nameBox, QStringLiteral("文件名："));
    if (m_kind == PaperKind::RandomPaper) {
        m_saveButton->setToolTip(QStringLiteral("保存"));
        m_cancelButton->setToolTip(QStringLiteral("返回"));
        m_nameBox->setToolTip(QStringLiteral("输入文件名"));
        m_driveList->setToolTip(QStringLiteral("选择驱动器"));
        m_folderList->setToolTip(QStringLiteral("选择文件夹"));
        m_fileList->setToolTip(QStringLiteral("已有文件"));
    }

    setTabOrder(m_driveList, m_folderList);
    setTabOrder(m_folderList, m_fileList);
    setTabOrder(m_fileList, m_nameBox);
    setTabOrder(m_nameBox, m_saveButton);
    setTabOrder(m_saveButton, m_cancelButton);

    connect(m_driveList, qOverload<int>(&QComboBox::activated), this, &PaperSaveWindow::onDriveChanged);
    connect(m_folderList, &FolderList::changed, this, &PaperSaveWindow::onFolderChanged);
    connect(m_saveButton, &QPushButton::clicked, this, &PaperSaveWindow::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &PaperSaveWindow::cancel);
}

void PaperSaveWindow::onLoad()
{
    m_extensionBox->setText(QString::fromLatin1(PaperPath::kExtension));
    fillDriveList();
    const QString start = startFolder();
    showDriveOf(start);
    // Opening the folder fills the file list (onFolderChanged).
    if (!m_folderList->setPath(start))
        m_folderList->setPath(QDir::rootPath());

    if (m_kind == PaperKind::RandomPaper)
        m_saveButton->setFocus();
    else
        m_cancelButton->setFocus();
}

void PaperSaveWindow::fillDriveList()
{
    const QSignalBlocker quiet(m_driveList);
    m_driveList->clear();
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        m_driveList->addItem(QDir::toNativeSeparators(drive.absolutePath()).toLower(), drive.absolutePath());
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
        m_driveList->addItem(root, root);
#endif
}

void PaperSaveWindow::showDriveOf(const QString &folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    const int index = m_driveList->findData(root);
    if (index >= 0) {
        const QSignalBlocker quiet(m_driveList);
        m_driveList->setCurrentIndex(index);
    }
}

void PaperSaveWindow::onDriveChanged()
{
    // A drive that cannot be read is ignored: the folder list stays put.
    m_folderList->setPath(m_driveList->currentData().toString());
}

void PaperSaveWindow::onFolderChanged()
{
    m_fileList->clear();
    m_fileList->addItems(QDir(m_folderList->path()).entryList({kPattern}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

bool PaperSaveWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_nameBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onNameEntered();
            return true;
        }
    }
    return ProgramWindow::eventFilter(watched, event);
}

void PaperSaveWindow::onNameEntered()
{
    // Enter moves on to "保    存"; a second Enter presses it.
    m_saveButton->setFocus(Qt::TabFocusReason);
}

void PaperSaveWindow::sayPaperIsGone()
{
    MessageBox::show(this, QStringLiteral("“电脑组卷”窗口已经关闭，这份试卷已不存在，无法保存。"), kTitle);
}

void PaperSaveWindow::save()
{
    if (m_nameBox->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("请输入文件名！"), kTitle);
        m_nameBox->setFocus();
        return;
    }
    if (!m_paperSource()) {
        sayPaperIsGone();
        return;
    }
    if (MessageBox::show(this, QStringLiteral("真的要保存试卷和答案吗？"), kTitle, MessageBox::YesNo) != MessageBox::Yes)
        return;

    QString folder = m_folderList->path();
    if (PaperPath::hostPlatform() == PaperPath::Platform::Windows)
        folder = QDir::toNativeSeparators(folder);
    m_pathBox->setText(PaperPath::fullPath(folder, m_nameBox->text(), PaperPath::hostPlatform()));

    // The texts as they are at the moment of the answer Yes.
    const std::optional<PaperBuffers> texts = m_paperSource();
    if (!texts) {
        sayPaperIsGone();
        return;
    }
    // A name the file system refuses is said so before anything is created;
    // a "/" in it would otherwise lead into another folder.
    QString reason = PaperPath::refusedName(m_nameBox->text(), PaperPath::hostPlatform());
    if (reason.isEmpty() && Paper::writeFile(m_pathBox->text(), Paper::fileBytes(texts->questions, texts->answers), &reason)) {
        WindowRegistry::instance().hide(objectName());
        return;
    }
    // The window stays so that another name or folder can be chosen.
    MessageBox::show(this, QStringLiteral("无法保存文件“%1”：%2").arg(shownPath(m_pathBox->text()), reason), kTitle);
}

void PaperSaveWindow::cancel()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.unload(objectName());
    // Back to the composition window, unless it has been closed meanwhile.
    if (registry.isLoaded(kCompositionWindow))
        registry.show(kCompositionWindow);
}
