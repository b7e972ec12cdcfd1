#include "papersavewindow.h"

#include "boundfield.h"
#include "folderlist.h"
#include "ui_papersavewindow.h"
#include "windowstyle.h"
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
    Ui::PaperSaveWindow().setupUi(this);
    setObjectName(windowName); // one form serves both save windows
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_driveList = control<QComboBox>(QStringLiteral("Drive1"));
    m_folderList = control<FolderList>(QStringLiteral("Dir1"));
    m_fileList = control<QListWidget>(QStringLiteral("File1"));
    m_nameBox = control<QLineEdit>(QStringLiteral("Text4"));
    m_nameBox->installEventFilter(this);
    m_saveButton = control<QPushButton>(QStringLiteral("Command1"));
    m_cancelButton = control<QPushButton>(QStringLiteral("Command3"));
    // The extension and the full path of the last save, never seen.
    m_extensionBox = control<QLineEdit>(QStringLiteral("Text3"));
    m_pathBox = control<QLineEdit>(QStringLiteral("Text1"));

    // The window of the random paper also shows tooltips.
    if (m_kind == PaperKind::RandomPaper) {
        m_saveButton->setToolTip(QStringLiteral("保存"));
        m_cancelButton->setToolTip(QStringLiteral("返回"));
        m_nameBox->setToolTip(QStringLiteral("输入文件名"));
        m_driveList->setToolTip(QStringLiteral("选择驱动器"));
        m_folderList->setToolTip(QStringLiteral("选择文件夹"));
        m_fileList->setToolTip(QStringLiteral("已有文件"));
    }

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
