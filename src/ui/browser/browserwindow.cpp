#include "browserwindow.h"

#include "browsergeometry.h"
#include "driveicon.h"
#include "progressbar.h"
#include "settingsstore.h"
#include "thumbnailrun.h"
#include "thumbnailstrip.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

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
    , m_adder(std::move(addFile)) {
    setWindowTitle(QStringLiteral("Thumb View"));
    buildActions();
    buildLayout();
    resize(691, 517);
    setMinimumSize(640, 517);

    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(10);
    connect(&m_startTimer, &QTimer::timeout, this, &BrowserWindow::startNavigation);
    connect(&m_scanner, &FolderScanner::scanned, this, &BrowserWindow::folderScanned);
    connect(&m_adder, &PictureAdder::progress, this, &BrowserWindow::updateProgress);
    connect(&m_adder, &PictureAdder::oneAdded, this, &BrowserWindow::oneAdded);
    connect(&m_adder, &PictureAdder::allAdded, this, &BrowserWindow::allAdded);
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

    auto *heading = new QLabel(QStringLiteral("Image Dimensions"), central);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_dimensions = new QLabel(central);
    // The heading stays where it is while no size is shown.
    QSizePolicy keepPlace = m_dimensions->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_dimensions->setSizePolicy(keepPlace);

    m_strip = new ThumbnailStrip(central);
    connect(m_strip, &ThumbnailStrip::cellClicked, this, &BrowserWindow::selectThumb);
    connect(m_strip, &ThumbnailStrip::cellDoubleClicked, this, &BrowserWindow::viewSelectedImage);
    connect(m_strip, &ThumbnailStrip::cellMenuRequested, this, [this](int, QPoint position) {
        m_fileMenu->setDefaultAction(m_viewItem);
        m_fileMenu->popup(position);
    });

    heading->setFixedHeight(16);
    m_dimensions->setFixedHeight(16);
    auto *lists = new QVBoxLayout;
    lists->setSpacing(0);
    lists->addWidget(m_driveList);
    lists->addSpacing(6);
    lists->addWidget(m_folderList, 1);
    lists->addSpacing(5);
    lists->addWidget(heading);
    lists->addWidget(m_dimensions);
    lists->addSpacing(15);
    auto *columns = new QHBoxLayout(central);
    columns->setContentsMargins(5, 0, 0, 0);
    columns->setSpacing(5);
    columns->addLayout(lists);
    columns->addWidget(m_strip, 1);
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

void BrowserWindow::addSelectedImage() {
    const QString path = selectedPath();
    if (m_busy || path.isEmpty())
        return;
    setBusy(true);
    m_adder.addOne(path);
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
    setBusy(true);
    m_adder.addAll(paths);
}

void BrowserWindow::oneAdded(const QString &report) {
    setBusy(false);
    updateProgress(100, report);
}

void BrowserWindow::allAdded(const QString &report, bool clean) {
    setBusy(false);
    updateProgress(100, report);
    if (!clean)
        m_progress->setToolTip(report);
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
    m_adder.cancel();
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

bool BrowserWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride && watched == m_driveList->view() &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    // The wheel anywhere beside the lists scrolls the thumbnails.
    if (event->type() == QEvent::Wheel && watched == centralWidget()) {
        QCoreApplication::sendEvent(m_strip->verticalScrollBar(), event);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
