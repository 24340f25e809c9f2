#include "mainwindow.h"

#include "displaymode.h"
#include "drawing.h"
#include "fittedpath.h"
#include "picturejob.h"
#include "preview.h"
#include "prompter.h"
#include "selectedpicture.h"
#include "settingspanel.h"
#include "wallpaperlist.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <utility>

namespace {

constexpr QSize PreviewSize(184, 138);
constexpr QSize DesignedClientArea(595, 417);
// Pictures are decoded at most this large for the window: a 24 MP photo
// then decodes in a fraction of the time (the JPEG decoder scales by 1/2, 1/4, 1/8).
constexpr int DecodeLimit = 1024;

QIcon themed(const char *name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(name), qApp->style()->standardIcon(fallback));
}

// Rows as wide as the list, whatever the path's length: a long path is then
// shortened to fit instead of running off to the right.
class FitToWidthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        return {1, QStyledItemDelegate::sizeHint(option, index).height()};
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // The item's own margins take a few pixels of the row.
        option->text = fittedPath(option->text, option->fontMetrics, option->rect.width() - 8);
    }
};

QLabel *blackBox() {
    auto *box = new QLabel;
    box->setFixedSize(PreviewSize);
    box->setStyleSheet(QStringLiteral("background: black"));
    return box;
}

} // namespace

MainWindow::MainWindow(WallpaperList &list, Prompter &prompter, QSize screenSize, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
    , m_list(list)
    , m_prompter(prompter)
    , m_screenSize(screenSize)
    , m_fileList(new QListView)
    , m_up(new QToolButton)
    , m_down(new QToolButton)
    , m_panel(new SettingsPanel)
    , m_picture(blackBox())
    , m_dimensions(new QLabel(QStringLiteral("Image Dimensions")))
    , m_preview(blackBox())
    , m_clock(new QLabel) {
    setWindowTitle(QStringLiteral("Rotafond"));
    buildMenus();
    buildToolBar();

    auto *central = new QWidget;
    auto *layout = new QGridLayout(central);
    layout->addWidget(buildListGroup(), 0, 0);
    layout->addWidget(m_panel, 0, 1, Qt::AlignTop);
    // The beep caption is the widest line: the panel keeps room for all of it.
    m_panel->setMinimumWidth(m_panel->sizeHint().width());
    // A larger window gives its room to the list, where long paths need it.
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 0);
    layout->setRowStretch(0, 1);
    m_dimensions->setAlignment(Qt::AlignCenter);
    auto *previewCaption = new QLabel(QStringLiteral("Preview Effect"));
    previewCaption->setAlignment(Qt::AlignCenter);
    m_preview->hide();
    layout->addWidget(m_picture, 1, 0, Qt::AlignCenter);
    layout->addWidget(m_preview, 1, 1, Qt::AlignCenter);
    layout->addWidget(m_dimensions, 2, 0);
    layout->addWidget(previewCaption, 2, 1);
    auto *minimize = new QPushButton(QStringLiteral("&Minimize to tray"));
    auto *exit = new QPushButton(QStringLiteral("E&xit"));
    connect(minimize, &QPushButton::clicked, this, &MainWindow::minimizeRequested);
    connect(exit, &QPushButton::clicked, this, &MainWindow::exitRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(minimize);
    buttons->addWidget(exit);
    buttons->addStretch();
    layout->addLayout(buttons, 3, 0, 1, 2);
    setCentralWidget(central);

    statusBar()->addWidget(new QLabel(QStringLiteral("Status:  Ready to Rock")), 1);
    statusBar()->addPermanentWidget(m_clock);
    m_clockTimer.setSingleShot(true);
    m_clockTimer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_clockTimer, &QTimer::timeout, this, &MainWindow::updateClock);

    connect(m_fileList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::selectionChanged);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &MainWindow::updateArrows);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &MainWindow::updateArrows);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &MainWindow::updateArrows);
    connect(m_panel, &SettingsPanel::entryEdited, this, [this](const WallpaperEntry &entry) {
        const int position = selectedPosition();
        if (!m_list.isValidPosition(position))
            return;
        m_list.replace(position, entry);
        showSelectedEntry();
    });
    connect(m_panel, &SettingsPanel::beepToggled, this, &MainWindow::beepToggled);
    updateArrows();
    // The list is what the window is for: the keys act on it from the start.
    m_fileList->setFocus();
    // The designed client area: 8925 x 6255 twips, below the menu bar.
    layout->setContentsMargins(6, 4, 6, 2);
    layout->setVerticalSpacing(2);
    // The designed size is the smallest; the user may make it larger.
    // Never so small that a caption is cut, whatever the font.
    setMinimumSize((DesignedClientArea + QSize(0, menuBar()->sizeHint().height()))
                       .expandedTo(minimumSizeHint()));
    resize(minimumSize());
}

void MainWindow::buildMenus() {
    auto add = [this](QMenu *menu, const QString &caption, const QKeySequence &shortcut,
                      auto slot) {
        QAction *action = menu->addAction(caption);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, QStringLiteral("&Add an Image to List"), QKeySequence(QStringLiteral("Ctrl+B")),
        &MainWindow::browseRequested);
    add(file, QStringLiteral("Add &Files..."), QKeySequence::Open, &MainWindow::addFilesRequested);
    add(file, QStringLiteral("&Delete Selected Image from List"),
        QKeySequence(QStringLiteral("Ctrl+D")), &MainWindow::deleteSelected);
    file->addSeparator();
    add(file, QStringLiteral("Change Wallpaper &Now to Selected Image "),
        QKeySequence(QStringLiteral("Ctrl+N")),
        [this] { Q_EMIT changeNowRequested(selectedPosition()); });
    file->addSeparator();
    auto view = [this] {
        if (!warnWithoutSelection())
            Q_EMIT viewRequested(m_list.at(selectedPosition()).filePath);
    };
    add(file, QStringLiteral("&View Selected Image"), QKeySequence(QStringLiteral("Ctrl+V")), view);
    file->addSeparator();
    add(file, QStringLiteral("Minimize to Systemtray"), QKeySequence(QStringLiteral("Ctrl+M")),
        &MainWindow::minimizeRequested);
    add(file, QStringLiteral("Exit Rotafond"), QKeySequence(QStringLiteral("Ctrl+E")),
        &MainWindow::exitRequested);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    add(edit, QStringLiteral("Default Editor (If one available)"), QKeySequence(), [this] {
        if (!warnWithoutSelection())
            Q_EMIT editRequested(m_list.at(selectedPosition()).filePath);
    });
    connect(menuBar()->addAction(QStringLiteral("&View Selected Image")), &QAction::triggered, this,
            view);
    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    add(tools, QStringLiteral("Defaults..."), QKeySequence(),
        [this] { Q_EMIT defaultsRequested(false); });
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("About Rotafond"), QKeySequence(QStringLiteral("Ctrl+A")),
        &MainWindow::aboutRequested);
}

void MainWindow::buildToolBar() {
    QToolBar *bar = addToolBar(QStringLiteral("Commands"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto add = [this, bar](const QString &caption, const QString &tip, const QIcon &icon,
                           auto slot) {
        QAction *action = bar->addAction(icon, caption);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, slot);
    };
    add(QStringLiteral("Browse"), QStringLiteral("Browse for new Wallpapers"),
        themed("folder-open", QStyle::SP_DirOpenIcon), &MainWindow::browseRequested);
    add(QStringLiteral("Change Now"), QStringLiteral("Change your Wallpaper now"),
        themed("view-refresh", QStyle::SP_BrowserReload),
        [this] { Q_EMIT changeNowRequested(selectedPosition()); });
    bar->addSeparator();
    add(QStringLiteral("View"), QStringLiteral("View the Selected Wallpaper"),
        themed("zoom-in", QStyle::SP_FileDialogContentsView), [this] {
            if (!warnWithoutSelection())
                Q_EMIT viewRequested(m_list.at(selectedPosition()).filePath);
        });
    bar->addSeparator();
    add(QStringLiteral("Delete from list"), QStringLiteral("Delete Selected Wallpaper"),
        themed("edit-delete", QStyle::SP_TrashIcon), &MainWindow::deleteSelected);
    bar->addSeparator();
    add(QStringLiteral("Defaults"), QStringLiteral("Default settings for new entries"),
        themed("preferences-system", QStyle::SP_FileDialogDetailedView),
        [this] { Q_EMIT defaultsRequested(true); });
}

QWidget *MainWindow::buildListGroup() {
    auto *group = new QGroupBox(QStringLiteral("Wallpaper List"));
    auto *layout = new QGridLayout(group);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setToolTip(QStringLiteral("Move the selected entry up"));
    m_down->setToolTip(QStringLiteral("Move the selected entry down"));
    connect(m_up, &QToolButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_down, &QToolButton::clicked, this, [this] { moveSelected(+1); });
    m_fileList->setModel(&m_list);
    m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fileList->setItemDelegate(new FitToWidthDelegate(m_fileList));
    m_fileList->setUniformItemSizes(true);
    // Shortened in the middle, so the file's own name always shows.
    m_fileList->setTextElideMode(Qt::ElideMiddle);
    m_fileList->setMinimumSize(170, 100);
    // Pictures dropped on the list are added like chosen ones.
    m_fileList->viewport()->setAcceptDrops(true);
    m_fileList->viewport()->installEventFilter(this);
    // The Delete key alone: the platform's Delete binding also claims Ctrl+D
    // on X11, which is the menu's command and would then fire neither.
    auto *deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), m_fileList);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &MainWindow::deleteSelected);
    layout->addWidget(m_up, 0, 0, Qt::AlignBottom);
    layout->addWidget(m_down, 1, 0, Qt::AlignTop);
    layout->addWidget(m_fileList, 0, 1, 2, 1);
    return group;
}

int MainWindow::selectedPosition() const {
    const QModelIndex current = m_fileList->currentIndex();
    return current.isValid() && m_list.isValidPosition(current.row()) ? current.row() : -1;
}

void MainWindow::selectPosition(int position) {
    if (m_list.isValidPosition(position))
        m_fileList->setCurrentIndex(m_list.index(position));
    else
        m_fileList->setCurrentIndex({});
}

void MainWindow::setBeep(bool on) {
    m_panel->setBeep(on);
}

void MainWindow::showStatus(const QString &message) {
    statusBar()->showMessage(message);
}

void MainWindow::updateArrows() {
    const int position = selectedPosition();
    m_up->setEnabled(position != 0);
    m_down->setEnabled(position != m_list.count() - 1);
}

void MainWindow::selectionChanged() {
    updateArrows();
    if (m_movingEntry)
        return;
    // A new selection decodes afresh: the file may have been edited meanwhile.
    m_shownPath.clear();
    showSelectedEntry();
}

void MainWindow::showSelectedEntry() {
    const int position = selectedPosition();
    m_panel->setEntrySelected(position >= 0);
    if (position < 0)
        return;
    const WallpaperEntry entry = m_list.at(position);
    m_panel->showEntry(entry);
    m_fileList->setToolTip(entry.filePath);
    // Hidden in the tray nobody sees the picture, and the change of the
    // wallpaper is decoding at the same moment: wait until the window shows.
    if (!isVisible()) {
        m_pictureWaiting = true;
        return;
    }
    // A settings click redraws from the picture already decoded.
    if (entry.filePath == m_shownPath) {
        showPicture(entry);
        return;
    }
    m_shownPath.clear();
    const int generation = ++m_loadGeneration;
    runPictureJob(
        this, [path = entry.filePath] { return SelectedPicture::load(path, DecodeLimit); },
        [this, generation, entry](const std::optional<SelectedPicture> &loaded) {
            // Only the latest selection's picture is shown; older ones are dropped.
            if (generation != m_loadGeneration)
                return;
            SelectedPicture unanswered;
            unanswered.state = SelectedPicture::State::Unreachable;
            pictureLoaded(entry, loaded ? *loaded : unanswered);
        });
}

void MainWindow::pictureLoaded(const WallpaperEntry &entry, const SelectedPicture &loaded) {
    const int position = selectedPosition();
    if (position < 0 || m_list.at(position).filePath != entry.filePath)
        return;
    switch (loaded.state) {
    case SelectedPicture::State::Shown:
        m_shownPath = entry.filePath;
        m_shownPicture = loaded.picture;
        m_shownSize = loaded.naturalSize;
        showPicture(m_list.at(position));
        return;
    case SelectedPicture::State::Unreachable:
        // On a drive that is not mounted (yet): keep the entry, show nothing.
        clearPicture();
        showStatus(QStringLiteral("%1 cannot be reached right now.").arg(entry.filePath));
        return;
    case SelectedPicture::State::Gone: {
        clearPicture();
        const WallpaperEntry gone = m_list.at(position);
        m_prompter.inform(Prompter::Icon::None, QStringLiteral("Rotafond"),
                          QStringLiteral("File does not exist anymore"));
        // The list may have changed while the message was open: find the entry again.
        const int now = int(m_list.entries().indexOf(gone));
        if (now < 0)
            return;
        removeEntry(now);
        selectPosition(now - 1);
        return;
    }
    case SelectedPicture::State::Broken:
        // Not a picture we can show: it goes without a message, as it would at
        // its turn. The next selection loads on its own, never nested in this one.
        clearPicture();
        removeEntry(position);
        return;
    }
}

void MainWindow::clearPicture() {
    m_shownPath.clear();
    m_shownPicture = QImage();
    m_picture->clear();
    m_preview->hide();
    m_dimensions->setText(QStringLiteral("Image Dimensions"));
}

void MainWindow::showPicture(const WallpaperEntry &entry) {
    m_dimensions->setText(QStringLiteral("Image Dimensions: %1 x %2")
                              .arg(m_shownSize.width())
                              .arg(m_shownSize.height()));
    // Both at the screen's own pixels, so they are sharp on a HiDPI screen.
    const qreal ratio = devicePixelRatioF();
    QImage fitted = drawFitted(m_shownPicture, (QSizeF(PreviewSize) * ratio).toSize(),
                               palette().color(QPalette::Button));
    fitted.setDevicePixelRatio(ratio);
    m_picture->setPixmap(QPixmap::fromImage(fitted));
    m_preview->setPixmap(QPixmap::fromImage(drawPreviewEffect(
        m_shownPicture, m_shownSize, appliedDisplayMode(entry), m_screenSize, ratio)));
    m_preview->show();
}

void MainWindow::removeEntry(int position) {
    if (!m_list.remove(position))
        return;
    selectPosition(position < m_list.count() ? position : position - 1);
    updateArrows();
}

void MainWindow::moveSelected(int step) {
    const int from = selectedPosition();
    const int to = from + step;
    if (from < 0 || !m_list.isValidPosition(to))
        return;
    m_movingEntry = true;
    m_list.move(from, to);
    selectPosition(to);
    m_movingEntry = false;
    updateArrows();
}

bool MainWindow::warnWithoutSelection() {
    if (selectedPosition() >= 0)
        return false;
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("Which file ???"),
                      QStringLiteral("You must first select a file in the list!"));
    return true;
}

void MainWindow::deleteSelected() {
    if (!warnWithoutSelection())
        removeEntry(selectedPosition());
}

void MainWindow::updateClock() {
    const QDateTime now = QDateTime::currentDateTime();
    // The clock wakes once a minute: seconds would stand still, so it shows none.
    static const QRegularExpression seconds(QStringLiteral("[.:]?s+"));
    const QString timeFormat = QLocale().timeFormat(QLocale::ShortFormat).remove(seconds);
    m_clock->setText(QLocale().toString(now.date(), QLocale::ShortFormat) + QStringLiteral("   ") +
                     QLocale().toString(now.time(), timeFormat));
    // Wake once a minute, on the minute.
    m_clockTimer.start(60000 - now.time().second() * 1000 - now.time().msec() + 50);
}

// The clock runs only while it can be seen: a program in the tray wakes once a minute.
void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    updateClock();
    if (std::exchange(m_pictureWaiting, false))
        showSelectedEntry();
}

void MainWindow::hideEvent(QHideEvent *event) {
    QMainWindow::hideEvent(event);
    m_clockTimer.stop();
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // Coming back to the main window shows the first entry when nothing is
    // selected; a selection the user made stays, so Delete removes what they chose.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_list.isEmpty() &&
        selectedPosition() < 0)
        selectPosition(0);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_fileList->viewport())
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        QStringList paths;
        for (const QUrl &url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths.append(url.toLocalFile());
        drop->acceptProposedAction();
        if (!paths.isEmpty())
            Q_EMIT filesDropped(paths);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    event->accept();
    Q_EMIT closed();
}
