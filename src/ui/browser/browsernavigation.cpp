#include "browserwindow.h"

#include "driveicon.h"
#include "numeric.h"
#include "paths.h"
#include "picturefile.h"
#include "picturejob.h"
#include "prompter.h"
#include "settingsstore.h"
#include "thumbnailrun.h"
#include "thumbnailstrip.h"
#include "uprightsize.h"

#include <QComboBox>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QStyle>

// Walking the drives and folders, and the thumbnails of the folder on screen.

QString BrowserWindow::defaultFolder() const {
    const QString pictures = m_settings.fallbackText(SettingsKeys::LastPath);
    return QDir(pictures).exists() ? pictures : QDir::homePath();
}

void BrowserWindow::startNavigation() {
    if (m_drives.typeOf(m_currentPath) != Drives::InvalidRoot) {
        // A folder on another drive meets that drive's warning first; the
        // remembered folder is opened whatever the answer.
        const int previous = m_driveList->currentIndex();
        selectDrive(m_currentPath);
        if (m_driveList->currentIndex() != previous && previous >= 0)
            driveChanged(m_driveList->currentData().toString());
        requestFolder(m_currentPath, Navigation::Start);
        return;
    }
    selectDrive(defaultFolder());
    requestFolder(defaultFolder(), Navigation::StartFallback);
}

void BrowserWindow::selectDrive(const QString &path) {
    const int index = Drives::indexHolding(m_volumes, path);
    if (index >= 0)
        m_driveList->setCurrentIndex(index);
}

void BrowserWindow::driveActivated(int index) {
    const QString root = m_driveList->itemData(index).toString();
    if (driveChanged(root))
        requestFolder(root, Navigation::User);
}

bool BrowserWindow::driveChanged(const QString &root) {
    const Drives::Type type = m_drives.typeOf(root);
    switch (type) {
    case Drives::Fixed:
        return true;
    case Drives::CdRom:
    case Drives::Removable:
    case Drives::Remote:
        return m_prompter.show(Prompter::Icon::Warning, QStringLiteral("Rotafond"),
                               driveWarning(type),
                               Prompter::Buttons::OkCancel) == Prompter::Answer::Ok;
    case Drives::Unknown:
    case Drives::InvalidRoot:
        m_prompter.inform(Prompter::Icon::Critical, QStringLiteral("What the ..."),
                          QStringLiteral("What kind of drive is this???"));
        return false;
    case Drives::RamDisk: // never in the drive list
        break;
    }
    return false;
}

void BrowserWindow::requestFolder(const QString &path, Navigation navigation) {
    if (m_busy)
        return;
    m_navigation = navigation;
    m_driveList->setEnabled(false);
    m_folderList->setEnabled(false);
    m_scanner.scan(path);
}

void BrowserWindow::folderScanned(const FolderContents &contents) {
    if (m_leaving)
        return;
    m_driveList->setEnabled(true);
    m_folderList->setEnabled(true);
    if (!contents.ok) {
        // A remembered folder that is gone is not worth a message: start
        // in the default folder instead.
        if (m_navigation == Navigation::Start) {
            selectDrive(defaultFolder());
            requestFolder(defaultFolder(), Navigation::StartFallback);
            return;
        }
        showStatus(contents.error);
        m_prompter.inform(Prompter::Icon::Information,
                          QStringLiteral("Toto, I've got a feeling we're not in Kansas anymore"),
                          QStringLiteral("Maybe try putting something in the right places..."));
        return;
    }
    m_currentPath = contents.folder;
    if (contents.folder != m_fileListFolder) {
        m_fileListFolder = contents.folder;
        m_currentPath = addBackslash(m_fileListFolder);
        showStatus(m_currentPath);
        m_count->setText(QStringLiteral("Images: 0"));
    }
    m_settings.write(SettingsKeys::LastPath, m_currentPath);
    selectDrive(contents.folder);
    showFolders(contents);
    m_files = contents.files;
    makeThumbnails();
}

void BrowserWindow::showFolders(const FolderContents &contents) {
    m_folderList->clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirIcon);
    QStringList parts = contents.folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    auto *root = new QListWidgetItem(openFolder, QStringLiteral("/"), m_folderList);
    root->setData(Qt::UserRole, path);
    QListWidgetItem *current = root;
    for (int depth = 0; depth < parts.size(); ++depth) {
        path = addBackslash(path) + parts.at(depth);
        current = new QListWidgetItem(
            openFolder, QString(2 * (depth + 1), QLatin1Char(' ')) + parts.at(depth), m_folderList);
        current->setData(Qt::UserRole, path);
    }
    const QString indent(2 * (int(parts.size()) + 1), QLatin1Char(' '));
    for (const QString &name : contents.subfolders) {
        auto *item = new QListWidgetItem(closedFolder, indent + name, m_folderList);
        item->setData(Qt::UserRole, addBackslash(contents.folder) + name);
    }
    m_folderList->setCurrentItem(current);
}

void BrowserWindow::folderActivated(QListWidgetItem *item) {
    openFolder(item->data(Qt::UserRole).toString());
}

void BrowserWindow::openFolder(const QString &path) {
    requestFolder(path, Navigation::User);
}

QString BrowserWindow::grouped(int number) {
    // "#,##0": thousands grouped with commas whatever the locale.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

void BrowserWindow::makeThumbnails() {
    setCursor(Qt::WaitCursor);
    setBusy(true);
    m_strip->clear();
    m_strip->setSelected(m_selectedThumb);
    // The size shown belongs to a picture of the folder left behind.
    m_dimensions->clear();

    m_currentPath = folderWithSlash();
    const int total = int(m_files.size());
    m_count->setText(QStringLiteral("Files: ") + grouped(total));
    startProgress();
    m_run = std::make_unique<ThumbnailRun>(
        m_currentPath, m_files, m_cache, ThumbnailStrip::CanvasSize,
        m_strip->palette().color(QPalette::Button), ThumbnailRun::defaultPool());
    connect(m_run.get(), &ThumbnailRun::fileStarted, this,
            [this, total](int index, const QString &name) {
                const double share = double(float(index + 1)) / double(float(total));
                updateProgress(roundHalfEven(share * 100), name);
            });
    connect(
        m_run.get(), &ThumbnailRun::thumbnailMade, this,
        [this](int, const QString &name, const QImage &canvas) { thumbnailMade(name, canvas); });
    connect(m_run.get(), &ThumbnailRun::finished, this, &BrowserWindow::finishRun);
    m_run->start();
}

void BrowserWindow::thumbnailMade(const QString &name, const QImage &canvas) {
    m_strip->append(name, canvas);
}

void BrowserWindow::stopThumbnails() {
    if (m_run)
        m_run->stop();
}

void BrowserWindow::finishRun() {
    unsetCursor();
    hideProgress();
    const int made = m_strip->count();
    m_count->setText(QStringLiteral("Images: ") + grouped(made));
    m_thumbCount = made;
    setBusy(false);
    m_run.release()->deleteLater();
    Q_EMIT runFinished();
}

QString BrowserWindow::folderWithSlash() const {
    // Empty until a folder was listed, so that nothing acts on a folder of "/".
    return m_fileListFolder.isEmpty() ? QString() : addBackslash(m_fileListFolder);
}

QString BrowserWindow::selectedPath() const {
    // Only cells of the folder on screen: after a move to a folder with
    // fewer pictures the old index designates nothing.
    if (folderWithSlash().isEmpty() || m_selectedThumb < 0 || m_selectedThumb >= m_strip->count())
        return {};
    return folderWithSlash() + m_strip->tag(m_selectedThumb);
}

void BrowserWindow::selectThumb(int index) {
    if (index < 0 || index >= m_strip->count())
        return;
    hideProgress();
    m_currentPath = folderWithSlash();
    m_selectedThumb = index;
    m_strip->setSelected(index);
    showStatus(m_currentPath + m_strip->tag(index));
    m_dimensions->clear();
    m_dimensions->show();
    const QString path = selectedPath();
    runPictureJob(
        this,
        [path] {
            const Result<std::unique_ptr<QFile>> file = openPictureFile(path);
            if (!file)
                return QSize();
            QImageReader reader(file->get());
            return uprightSize(reader);
        },
        [this, path](const std::optional<QSize> &size) {
            showDimensions(path, size.value_or(QSize()));
        });
}

void BrowserWindow::showDimensions(const QString &path, QSize size) {
    // Another cell may have been selected meanwhile.
    if (path != selectedPath())
        return;
    m_dimensions->setText(size.isValid()
                              ? QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())
                              : QString());
}

void BrowserWindow::viewSelectedImage() {
    const QString path = selectedPath();
    if (!path.isEmpty())
        Q_EMIT viewRequested(path);
}
