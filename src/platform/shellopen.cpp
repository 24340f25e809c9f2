#include "shellopen.h"

#include "desktopentry.h"
#include "picturefile.h"
#include "prompter.h"

#include <QDesktopServices>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int Accepted = 42;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int InvalidExecutable = 11;
constexpr int NoValidAssociation = 27;
constexpr int NoAssociation = 31;
constexpr int GeneralFailure = 1;

// xdg-open usually returns at once; one that waits for the application it
// started has been accepted all the same.
constexpr int OpenerAnswerMs = 3000;

bool isLink(const QString &target) {
    const QUrl url(target);
    return url.isValid() && url.scheme().size() > 1 && !url.isLocalFile() &&
           !target.startsWith(QLatin1Char('/'));
}

// Files are handed on only when they exist, can be read and are pictures.
int checkPicture(const QString &path) {
    const QFileInfo file(path);
    if (!file.exists())
        return QFileInfo(file.absolutePath()).isDir() ? FileNotFound : PathNotFound;
    if (!file.isFile() || !file.isReadable())
        return AccessDenied;
    const Result<std::unique_ptr<QFile>> picture = openPictureFile(path);
    if (!picture)
        return AccessDenied;
    if (!QImageReader(picture->get()).canRead())
        return NoValidAssociation;
    return 0;
}

} // namespace

ShellOpen::ShellOpen(Prompter &prompter, QStringList applicationFolders)
    : m_prompter(prompter)
    , m_applicationFolders(std::move(applicationFolders)) {}

QStringList ShellOpen::defaultApplicationFolders() {
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

QString ShellOpen::failureText(int code) {
    switch (code) {
    case 0:
    case 8:
        return QStringLiteral("Out of memory");
    case 2:
        return QStringLiteral("File not found");
    case 3:
        return QStringLiteral("Path not found");
    case 5:
        return QStringLiteral("Path/file access error");
    case 11:
        return QStringLiteral("The executable file is invalid or corrupt");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("This file type does not have a valid file association.");
    case 28:
        return QStringLiteral(
            "The file could not be opened due to time out. Please try again in a moment.");
    case 29:
        return QStringLiteral("The file could not be opened because the DDE transaction failed. "
                              "Please try again in a moment.");
    case 30:
        return QStringLiteral("The file could not be opened because the target application is "
                              "busy. Please try again in a moment.");
    case 31:
        return QStringLiteral("No application is associated with this file type.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral(
            "An error occurred whilst trying to open or print the selected file.");
    }
}

namespace {

bool succeeded(int result) {
    return result < 0 || result > 32;
}

} // namespace

Result<void> ShellOpen::open(const QString &target, const QString &verb) {
    const int result = execute(target, verb);
    if (succeeded(result))
        return {};
    // Nothing else is tried afterwards, so the message promises nothing more.
    m_prompter.inform(Prompter::Icon::Information, QStringLiteral("Oops ..."),
                      QStringLiteral("Can not do this!\n") + failureText(result));
    return Failure{failureText(result)};
}

void ShellOpen::editOrOpen(const QString &path) {
    const int edited = execute(path, QStringLiteral("Edit"));
    if (succeeded(edited))
        return;
    // One message, telling what happened to both attempts.
    const int opened = execute(path, QStringLiteral("Open"));
    m_prompter.inform(
        Prompter::Icon::Information, QStringLiteral("Oops ..."),
        QStringLiteral("Can not do this!\n") + failureText(edited) +
            (succeeded(opened)
                 ? QStringLiteral("\nWill try to \"Open\" it...")
                 : QStringLiteral("\nOpening it did not work either: ") + failureText(opened)));
}

int ShellOpen::execute(const QString &target, const QString &verb) {
    const bool edit = verb.compare(QLatin1String("edit"), Qt::CaseInsensitive) == 0;
    const bool open = verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0;
    if (!edit && !open)
        return NoAssociation;
    if (isLink(target))
        return open ? openWithDesktop(target) : NoAssociation;
    if (const int refused = checkPicture(target))
        return refused;
    return edit ? this->edit(target) : openWithDesktop(target);
}

int ShellOpen::openWithDesktop(const QString &target) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        const QUrl url = isLink(target) ? QUrl(target) : QUrl::fromLocalFile(target);
        return QDesktopServices::openUrl(url) ? Accepted : NoAssociation;
    }
    auto *process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, &QObject::deleteLater);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(opener, {target});
    if (!process->waitForStarted())
        return InvalidExecutable;
    if (!process->waitForFinished(OpenerAnswerMs))
        return Accepted;
    if (process->exitStatus() != QProcess::NormalExit)
        return GeneralFailure;
    // xdg-open: 0 done, 2 no such file, 3 no tool for it, 4 the action failed.
    switch (process->exitCode()) {
    case 0:
        return Accepted;
    case 2:
        return FileNotFound;
    case 3:
        return NoAssociation;
    default:
        return GeneralFailure;
    }
}

int ShellOpen::edit(const QString &path) {
    const QString mimeType = QMimeDatabase().mimeTypeForFile(path).name();
    const QString editor = findEditor(mimeType);
    if (editor.isEmpty())
        return NoAssociation;
    QStringList command = DesktopEntry::read(editor).command(path);
    if (command.isEmpty())
        return InvalidExecutable;
    const QString program = QStandardPaths::findExecutable(command.takeFirst());
    if (program.isEmpty())
        return NoAssociation;
    return QProcess::startDetached(program, command) ? Accepted : InvalidExecutable;
}

QString ShellOpen::findEditor(const QString &mimeType) const {
    const QString family = mimeType.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/*");
    QStringList seenIds;
    for (const QString &folder : m_applicationFolders) {
        QStringList files;
        QDirIterator entries(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                             QDirIterator::Subdirectories);
        while (entries.hasNext())
            files.append(entries.next());
        files.sort();
        for (const QString &file : files) {
            // The same entry in a less important folder is hidden by the first.
            const QString id =
                file.mid(folder.size() + 1).replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.append(id);
            const DesktopEntry entry = DesktopEntry::read(file);
            if (!entry.isValid() ||
                entry.value(QStringLiteral("Type")) != QLatin1String("Application") ||
                entry.flag(QStringLiteral("Hidden")))
                continue;
            const QStringList types = entry.list(QStringLiteral("MimeType"));
            if (!types.contains(mimeType) && !types.contains(family))
                continue;
            // Editors say they work on pictures; viewers say they only show them.
            const QStringList categories = entry.list(QStringLiteral("Categories"));
            const bool graphics = categories.contains(QLatin1String("RasterGraphics")) ||
                                  categories.contains(QLatin1String("2DGraphics"));
            if (!graphics || categories.contains(QLatin1String("Viewer")))
                continue;
            const QString tryExec = entry.value(QStringLiteral("TryExec"));
            if (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty())
                continue;
            return file;
        }
    }
    return {};
}
