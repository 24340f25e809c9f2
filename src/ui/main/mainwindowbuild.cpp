#include "mainwindow.h"

#include "fittedpath.h"
#include "settingspanel.h"
#include "wallpaperlist.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>

// The window's menus, tool bar and layout.

namespace {

constexpr QSize DesignedClientArea(595, 417);

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
    box->setFixedSize(MainWindow::PreviewSize);
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

    QGridLayout *layout = buildCentralArea();

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

QGridLayout *MainWindow::buildCentralArea() {
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
    return layout;
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
