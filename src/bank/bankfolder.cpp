#include "bankfolder.h"

#include "bankfile.h"
#include "catalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace BankFolder {

namespace {

// The templates' folder seen from the program's: set by the build from the
// install layout (bin/ and share/quorvane/ by default).
const char kTemplatesFromProgram[] = QV_TEMPLATES_FROM_PROGRAM;

Result failure(const QString &message)
{
    Result result;
    result.ok = false;
    result.message = message + QStringLiteral("\n也可以在存有题库 english.db 的文件夹中启动本程序。");
    return result;
}

} // namespace

QString templatesFolder(const QString &programFolder)
{
    const QString folder = QDir::cleanPath(QDir(programFolder).filePath(QString::fromUtf8(kTemplatesFromProgram)));
    return QFileInfo::exists(QDir(folder).filePath(QString::fromLatin1(BankFile::kFileName))) ? folder : QString();
}

QString userFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quorvane"));
}

QString copyIfMissing(const QString &file, const QString &folder)
{
    const QString name = QFileInfo(file).fileName();
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target))
        return QString();

    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    // Written under a name of its own first, so that a copy cut short (a full
    // disk, a crash) never stands as the user's bank.
    const QString partName =
        QDir(folder).filePath(QStringLiteral(".%1.%2.part").arg(name).arg(QCoreApplication::applicationPid()));
    QFile part(partName);
    part.remove(); // a leftover of an earlier start of this same process id
    if (!part.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return part.errorString();
    QString reason;
    while (reason.isEmpty() && !source.atEnd()) {
        const QByteArray block = source.read(1 << 16);
        if (block.isEmpty() && source.error() != QFile::NoError)
            reason = source.errorString();
        else if (part.write(block) != block.size())
            reason = part.errorString();
    }
    if (reason.isEmpty() && (!part.flush() || ::fsync(part.handle()) != 0))
        reason = part.errorString().isEmpty() ? qt_error_string(errno) : part.errorString();
    part.close();
    // rename() never replaces a file: a bank that another start has just
    // copied stays as it is.
    if (reason.isEmpty() && !part.rename(target) && !QFileInfo::exists(target))
        reason = part.errorString();
    QFile::remove(partName);
    return reason;
}

Result settle(const QString &programFolder, const QString &userFolder)
{
    if (QFileInfo::exists(QString::fromLatin1(BankFile::kFileName)))
        return Result{};
    const QString templates = templatesFolder(programFolder);
    if (templates.isEmpty())
        return Result{};

    const QString shown = QDir::toNativeSeparators(userFolder);
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(userFolder).toStdString(), error);
    if (error || !QFileInfo(userFolder).isDir())
        return failure(QStringLiteral("无法建立存放个人题库的文件夹“%1”：%2。")
                           .arg(shown, error ? QString::fromLocal8Bit(error.message()) : QStringLiteral("同名的文件已存在")));
    for (const char *name : {BankFile::kFileName, Catalogue::kFileName}) {
        const QString file = QDir(templates).filePath(QString::fromLatin1(name));
        if (!QFileInfo::exists(file))
            continue; // no catalogue bundled: told when the list is filled
        const QString reason = copyIfMissing(file, userFolder);
        if (!reason.isEmpty())
            return failure(QStringLiteral("无法把“%1”复制到个人题库文件夹“%2”：%3。")
                               .arg(QDir::toNativeSeparators(file), shown, reason));
    }
    if (::chdir(QFile::encodeName(userFolder).constData()) != 0)
        return failure(QStringLiteral("无法进入个人题库文件夹“%1”：%2。").arg(shown, qt_error_string(errno)));
    Result result;
    result.userBank = true;
    return result;
}

} // namespace BankFolder
