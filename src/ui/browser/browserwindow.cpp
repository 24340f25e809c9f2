#include "browserwindow.h"

#include "browsergeometry.h"
#include "driveicon.h"
#include "numeric.h"
#include "picturefile.h"
#include "picturejob.h"
#include "progressbar.h"
#include "prompter.h"
#include "settingsstore.h"
#include "thumbnailrun.h"
#include "thumbnailstrip.h"
#include "uprightsize.h"
#include "paths.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <cmath>

namespace {

const char *const Title = "Rotafond";

// The add buttons are smileys, as the introduction tells the user; drawn on 32 x 32.
void drawSmileys(QPainter &painter, int faces) {
    const int size = faces == 1 ? 28 : 20;
    for (int face = 0; face < faces; ++face) {
        const QRectF box(face == 0 ? 2 : 10, face == 0 ? 2 : 10, size, size);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(255, 214, 0));
        painter.drawEllipse(box);
        painter.setBrush(Qt::black);
        const qreal eye = size / 10.0;
        painter.drawEllipse(QPointF(box.left() + size * 0.33, box.top() + size * 0.38), eye, eye);
        painter.drawEllipse(QPointF(box.left() + size * 0.67, box.top() + size * 0.38), eye, eye);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(box.adjusted(size * 0.22, size * 0.25, -size * 0.22, -size * 0.2), 200 * 16,
                        140 * 16);
    }
}

// Also drawn at a HiDPI screen's 64 pixels, so it is never scaled up.
QIcon smileyIcon(int faces) {
    QIcon icon;
    for (const int side : {32, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 32.0, side / 32.0);
        drawSmileys(painter, faces);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString driveWarning(const QString &type) {
    QString first;
    QString third;
    if (type == QLatin1String("CD-ROM Drive")) {
        first = QStringLiteral("I can add pictures from a CD-ROM...");
        third = QStringLiteral("The CD-ROM will not stay there for ever...");
    } else if (type == QLatin1String("Removable Drive")) {
        first = QStringLiteral("I can add pictures from a removable drive...");
        third = QStringLiteral("The media will not stay there for ever...");
    } else {
        first = QStringLiteral("I can add pictures from a network drive...");
        third = QStringLiteral("Is this a permanent connection...?");
    }
    return first + QStringLiteral("\nbut is that a good idea?\n") + third +
           QStringLiteral("\n\nBe sure there is a medium inserted and that the drive is "
                          "available.");
}

} // namespace

BrowserWindow::BrowserWindow(SettingsStore &settings, Prompter &prompter, Drives drives,
                             ThumbnailCache cache, AddFile addFile, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_prompter(prompter)
    , m_drives(std::move(drives))
    , m_cache(std::move(cache))
    , m_addFile(std::move(addFile)) {
    setWindowTitle(QStringLiteral("Thumb View"));
    buildActions();
    buildLayout();
    resize(691, 517);
    setMinimumSize(640, 517);

    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(10);
    connect(&m_startTimer, &QTimer::timeout, this, &BrowserWindow::startNavigation);
    connect(&m_scanner, &FolderScanner::scanned, this, &BrowserWindow::folderScanned);
    connect(&m_measure, &MeasureRun::measured, this, &BrowserWindow::pictureMeasured);
    connect(&m_measure, &MeasureRun::finished, this, &BrowserWindow::addingFinished);
}

BrowserWindow::~BrowserWindow() = default;

void BrowserWindow::buildActions() {
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_viewItem = m_fileMenu->addAction(QStringLiteral("View Selected Image"), this,
                                       &BrowserWindow::viewSelectedImage);
    m_addItem = m_fileMenu->addAction(QStringLiteral("Add Selected Image to Wallpaper List"), this,
                                      &BrowserWindow::addSelectedImage);
    m_fileMenu->addSeparator();
    m_exitItem =
        m_fileMenu->addAction(QStringLiteral("Return to Main Window"), this, &BrowserWindow::leave);
    m_viewItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    m_addItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    m_exitItem->setShortcut(QKeySequence(Qt::Key_Escape));
    m_viewItem->setEnabled(false);
    m_addItem->setEnabled(false);

    QToolBar *toolBar = addToolBar(QStringLiteral("Commands"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_exitButton =
        toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                           QStringLiteral("Return to Main Window"), this, &BrowserWindow::leave);
    m_exitButton->setToolTip(QStringLiteral("Return to Rotafonds main window"));
    toolBar->addSeparator();
    m_addButton = toolBar->addAction(smileyIcon(1), QStringLiteral("Add Selected Image to List"),
                                     this, [this] {
                                         m_busy = true;
                                         addSelectedImage();
                                         m_busy = false;
                                     });
    toolBar->addSeparator();
    m_addAllButton = toolBar->addAction(smileyIcon(2), QStringLiteral("Add ALL Images to List"),
                                        this, &BrowserWindow::addAllImages);
    m_addAllButton->setToolTip(
        QStringLiteral("Add all picture files in this directory to your wallpaper list"));
    m_addAllButton->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+A")));
    toolBar->addSeparator();
    m_stopButton = toolBar->addAction(style()->standardIcon(QStyle::SP_BrowserStop),
                                      QStringLiteral("Stop"), this, &BrowserWindow::stopThumbnails);
    m_stopButton->setToolTip(QStringLiteral("Stop making thumbnails"));
    m_stopButton->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    auto *spacer = new QWidget(toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
    m_count = new QLabel(toolBar);
    m_count->setMinimumWidth(111);
    m_count->setFrameShape(QFrame::StyledPanel);
    toolBar->addWidget(m_count);

    m_statusNarrow = new QLabel(statusBar());
    m_statusNarrow->setFixedWidth(25);
    m_statusText = new QLabel(statusBar());
    m_statusText->setMinimumWidth(96);
    statusBar()->addWidget(m_statusNarrow);
    statusBar()->addWidget(m_statusText, 1);
    m_progress = new ProgressBar(ProgressBar::TextPlacement::Left, statusBar());
    m_progress->hide();
}

void BrowserWindow::buildLayout() {
    auto *central = new QWidget(this);
    setCentralWidget(central);
    central->installEventFilter(this);

    m_driveList = new QComboBox(central);
    m_driveList->setFixedWidth(182);
    m_driveList->setToolTip(QStringLiteral("Drives"));
    connect(m_driveList, &QComboBox::activated, this, &BrowserWindow::driveActivated);
    // Escape in the open drive list closes the list, not the browser.
    m_driveList->view()->installEventFilter(this);
    m_folderList = new QListWidget(central);
    m_folderList->setFixedWidth(182);
    connect(m_folderList, &QListWidget::itemActivated, this, &BrowserWindow::folderActivated);

    m_dimensionsHeading = new QLabel(QStringLiteral("Image Dimensions"), central);
    QFont bold = m_dimensionsHeading->font();
    bold.setBold(true);
    m_dimensionsHeading->setFont(bold);
    m_dimensionsHeading->resize(130, 16);
    m_dimensions = new QLabel(central);
    m_dimensions->resize(130, 16);

    m_frame = new QFrame(central);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Sunken);
    m_frame->installEventFilter(this);
    auto *viewport = new QWidget(m_frame);
    viewport->setObjectName(QStringLiteral("viewport"));
    viewport->installEventFilter(this);
    m_strip = new ThumbnailStrip(viewport);
    m_strip->installEventFilter(this);
    m_scroll = new QScrollBar(Qt::Vertical, m_frame);
    m_scroll->setObjectName(QStringLiteral("stripScrollBar"));
    connect(m_scroll, &QScrollBar::valueChanged, this, &BrowserWindow::scrolled);

    connect(m_strip, &ThumbnailStrip::cellClicked, this, &BrowserWindow::selectThumb);
    connect(m_strip, &ThumbnailStrip::cellDoubleClicked, this, &BrowserWindow::viewSelectedImage);
    connect(m_strip, &ThumbnailStrip::cellMenuRequested, this, [this](int, QPoint position) {
        m_fileMenu->setDefaultAction(m_viewItem);
        m_fileMenu->popup(position);
    });
    connect(m_strip, &ThumbnailStrip::cellShown, this, [this](QRect cell) {
        const int visible = m_frame->contentsRect().height();
        if (cell.top() < m_scroll->value())
            m_scroll->setValue(cell.top());
        else if (cell.bottom() >= m_scroll->value() + visible)
            m_scroll->setValue(cell.bottom() + 1 - visible);
    });
}

void BrowserWindow::open() {
    if (isVisible()) {
        // Browse brings a minimised browser back, not only to the front.
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return;
    }
    m_strip->hide();
    m_dimensions->hide();
    m_leaving = false;
    setBusy(false);
    m_driveList->clear();
    m_volumes = m_drives.volumes();
    for (const Drives::Volume &volume : m_volumes) {
        m_driveList->addItem(driveIcon(volume, *style()), volume.label, volume.rootPath);
        m_driveList->setItemData(m_driveList->count() - 1, volume.rootPath, Qt::ToolTipRole);
    }
    placeOnScreen();
    show();
    m_currentPath = m_settings.read(SettingsKeys::LastPath);
    m_startTimer.start();
}

void BrowserWindow::placeOnScreen() {
    const std::optional<QRect> kept =
        readBrowserGeometry(m_settings.read(SettingsKeys::BrowserGeometry));
    // Back on the screen it was left on, while that screen is there.
    const QScreen *screen = kept ? QGuiApplication::screenAt(kept->topLeft()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The size kept is the inside of the window: leave room for the frame
    // once the window manager has told us how large it is.
    const QSize frame = frameGeometry().size() - size();
    const QRect area = screen->availableGeometry().adjusted(0, 0, -frame.width(), -frame.height());
    const QRect placed = browserGeometry(kept, area, minimumSize());
    resize(placed.size());
    move(placed.topLeft());
}

void BrowserWindow::rememberGeometry() {
    m_settings.write(SettingsKeys::BrowserGeometry, browserGeometryText(QRect(pos(), size())));
}

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
    const QString type = Drives::typeText(m_drives.typeOf(root));
    if (type == QLatin1String("Unknown") || type == QLatin1String("??")) {
        m_prompter.inform(Prompter::Icon::Critical, QStringLiteral("What the ..."),
                          QStringLiteral("What kind of drive is this???"));
        return false;
    }
    if (type == QLatin1String("CD-ROM Drive") || type == QLatin1String("Removable Drive") ||
        type == QLatin1String("Remote Drive"))
        return m_prompter.show(Prompter::Icon::Warning, QLatin1String(Title), driveWarning(type),
                               Prompter::Buttons::OkCancel) == Prompter::Answer::Ok;
    return type == QLatin1String("Fixed Drive");
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
    m_scroll->setValue(0);
    m_strip->move(0, 0);
    m_strip->hide();
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
    arrangeThumbnails();
    m_strip->show();
}

void BrowserWindow::stopThumbnails() {
    if (m_run)
        m_run->stop();
}

void BrowserWindow::finishRun() {
    unsetCursor();
    hideProgress();
    m_strip->show();
    const int made = m_strip->count();
    m_count->setText(QStringLiteral("Images: ") + grouped(made));
    m_thumbCount = made;
    setBusy(false);
    m_run.release()->deleteLater();
    Q_EMIT runFinished();
}

void BrowserWindow::setBusy(bool busy) {
    m_busy = busy;
    m_addButton->setEnabled(!busy);
    m_addAllButton->setEnabled(!busy);
    const bool cells = !busy && m_thumbCount > 0 && m_strip->count() > 0;
    m_viewItem->setEnabled(cells);
    m_addItem->setEnabled(cells);
    m_driveList->setEnabled(!busy);
    m_folderList->setEnabled(!busy);
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
            QString error;
            const std::unique_ptr<QFile> file = openPictureFile(path, &error);
            if (!file)
                return QSize();
            QImageReader reader(file.get());
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

void BrowserWindow::addSelectedImage() {
    const QString path = selectedPath();
    if (m_busy || path.isEmpty())
        return;
    startAdding({path}, false);
}

void BrowserWindow::addAllImages() {
    if (m_busy)
        return;
    m_currentPath = folderWithSlash();
    if (m_currentPath.isEmpty())
        return;
    // The paths are taken now: what happens on screen during the run
    // cannot change what is added.
    QStringList paths;
    const int cells = std::min(m_thumbCount, m_strip->count());
    for (int index = 0; index < cells; ++index)
        paths.append(m_currentPath + m_strip->tag(index));
    startProgress();
    startAdding(paths, true);
}

void BrowserWindow::startAdding(const QStringList &paths, bool all) {
    setBusy(true);
    m_addingAll = all;
    m_addTotal = int(paths.size());
    m_addErrors.clear();
    m_addDuplicates = 0;
    m_measure.start(paths);
}

void BrowserWindow::pictureMeasured(int index, const MeasuredPicture &picture) {
    if (m_addingAll) {
        const int number = index + 1;
        updateProgress(int(std::floor(double(number) / double(m_addTotal) * 100)),
                       QStringLiteral("Adding file number ") + QString::number(number));
    }
    const AddResult result = m_addFile(picture);
    if (result.alreadyInList)
        ++m_addDuplicates;
    else if (!result.added)
        m_addErrors.append(result.error);
}

void BrowserWindow::addingFinished() {
    setBusy(false);
    if (!m_addingAll) {
        updateProgress(100, m_addDuplicates > 0 ? QStringLiteral("Already in the list.")
                            : m_addErrors.isEmpty()
                                ? QStringLiteral("File succesfully added.")
                                : QStringLiteral("Not added: ") + m_addErrors.first());
        return;
    }
    if (m_addErrors.isEmpty() && m_addDuplicates == 0) {
        updateProgress(100, QStringLiteral("Files succesfully added"));
    } else {
        // Say what really happened: the count added, those the list had, the refused.
        QString report = QStringLiteral("%1 added, %2 already in the list")
                             .arg(m_addTotal - m_addErrors.size() - m_addDuplicates)
                             .arg(m_addDuplicates);
        if (!m_addErrors.isEmpty())
            report += QStringLiteral(". Not added: ") + m_addErrors.join(QStringLiteral("; "));
        updateProgress(100, report);
        m_progress->setToolTip(report);
    }
    Q_EMIT addAllFinished();
}

void BrowserWindow::leave() {
    m_leaving = true;
    close();
}

void BrowserWindow::closeEvent(QCloseEvent *event) {
    rememberGeometry();
    m_leaving = true;
    m_startTimer.stop();
    m_scanner.cancel();
    m_run.reset();
    m_measure.cancel();
    m_strip->clear();
    unsetCursor();
    hideProgress();
    event->accept();
}

void BrowserWindow::startProgress() {
    m_progress->reset();
    m_progress->setToolTip({});
}

void BrowserWindow::updateProgress(int percent, const QString &text) {
    // Laid over the status bar's second panel, wherever the panel is now.
    m_progress->setGeometry(m_statusText->geometry());
    m_progress->setProgress(percent, text);
    m_progress->show();
    m_progress->raise();
}

void BrowserWindow::hideProgress() {
    m_progress->hide();
}

void BrowserWindow::showStatus(const QString &text) {
    m_statusText->setText(text);
    m_statusText->setToolTip(text);
}

void BrowserWindow::arrangeBrowser() {
    if (isMinimized())
        return;
    const QWidget *central = centralWidget();
    const int width = central->width();
    const int height = central->height();
    const int listWidth = m_folderList->width();
    m_frame->setGeometry(listWidth + 10, 0, width - 10 - listWidth, height);
    m_driveList->move(5, 0);
    m_folderList->setGeometry(
        5, m_driveList->height(), listWidth,
        std::max(0, height - m_dimensionsHeading->height() - m_dimensions->height() - 50));
    m_dimensionsHeading->move(5, m_folderList->geometry().bottom() + 1 + 5);
    m_dimensions->move(5, m_dimensionsHeading->geometry().bottom() + 1);

    const QRect inner = m_frame->contentsRect();
    m_strip->parentWidget()->setGeometry(inner);
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_scroll->setGeometry(inner.left() + inner.width() - barWidth, inner.top(), barWidth,
                          inner.height());
    arrangeThumbnails();
}

void BrowserWindow::arrangeThumbnails() {
    const QRect inner = m_frame->contentsRect();
    m_strip->fitWidth(inner.width() - m_scroll->width());
    const int overflow = m_strip->height() - inner.height();
    if (overflow < 0) {
        m_scroll->setMaximum(0);
        m_scroll->setEnabled(false);
    } else {
        m_scroll->setMaximum(overflow);
        m_scroll->setEnabled(true);
        m_scroll->setSingleStep(ThumbnailStrip::CellSize.height());
        m_scroll->setPageStep(inner.height());
    }
    m_strip->move(0, -m_scroll->value());
}

void BrowserWindow::scrolled(int value) {
    m_strip->move(0, -value);
    if (!m_strip->hasFocus())
        m_strip->setFocus(Qt::OtherFocusReason);
}

bool BrowserWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride && watched == m_driveList->view() &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::Resize && watched == centralWidget())
        arrangeBrowser();
    else if (event->type() == QEvent::Wheel && watched != m_scroll) {
        QCoreApplication::sendEvent(m_scroll, event);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
