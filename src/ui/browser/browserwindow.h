#pragma once

#include "drives.h"
#include "folderscan.h"
#include "pictureadder.h"
#include "thumbnailcache.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class ProgressBar;
class Prompter;
class SettingsStore;
class ThumbnailRun;
class ThumbnailStrip;

// The thumbnail browser: walk the drives and folders, see a thumbnail of
// every picture in the folder, and add one picture or all of them to the
// wallpaper list. It lives for the whole run; closing it only hides it.
// browserwindow.cpp builds the window and adds pictures; browsernavigation.cpp
// walks the drives and folders and makes the thumbnails.
class BrowserWindow : public QMainWindow {
    Q_OBJECT

public:
    using AddFile = PictureAdder::AddFile;

    BrowserWindow(SettingsStore &settings, Prompter &prompter, Drives drives, ThumbnailCache cache,
                  AddFile addFile, QWidget *parent = nullptr);
    ~BrowserWindow() override;

    // Shows the window and goes to the remembered folder; an open browser
    // comes to the front instead.
    void open();

    // Keeps where the window is and how large, for the next time it opens.
    void rememberGeometry();

    QString currentPath() const { return m_currentPath; }
    int thumbCount() const { return m_thumbCount; }
    bool isBusy() const { return m_busy; }
    int selectedThumb() const { return m_selectedThumb; }
    ThumbnailStrip *strip() const { return m_strip; }

    // The commands of the toolbar and the menu.
    void openFolder(const QString &path);
    void makeThumbnails();
    void stopThumbnails();
    void selectThumb(int index);
    void viewSelectedImage();
    void addSelectedImage();
    void addAllImages();
    void leave();

Q_SIGNALS:
    void viewRequested(const QString &path);
    void runFinished();
    void addAllFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Navigation { User, Start, StartFallback };

    void buildActions();
    void buildLayout();
    void placeOnScreen();
    QString defaultFolder() const;
    void startNavigation();
    void driveActivated(int index);
    bool driveChanged(const QString &root);
    void selectDrive(const QString &path);
    void requestFolder(const QString &path, Navigation navigation);
    void folderScanned(const FolderContents &contents);
    void showFolders(const FolderContents &contents);
    void folderActivated(QListWidgetItem *item);
    void thumbnailMade(const QString &name, const QImage &canvas);
    void finishRun();
    void oneAdded(const QString &report);
    void allAdded(const QString &report, bool clean);
    void showDimensions(const QString &path, QSize size);
    void setBusy(bool busy);
    void startProgress();
    void updateProgress(int percent, const QString &text);
    void hideProgress();
    void showStatus(const QString &text);
    QString selectedPath() const;
    QString folderWithSlash() const;
    static QString grouped(int number);

    SettingsStore &m_settings;
    Prompter &m_prompter;
    Drives m_drives;
    QList<Drives::Volume> m_volumes; // as the drive list shows them
    ThumbnailCache m_cache;

    QComboBox *m_driveList;
    QListWidget *m_folderList;
    QLabel *m_dimensions;
    ThumbnailStrip *m_strip;
    QLabel *m_count;
    QLabel *m_statusNarrow;
    QLabel *m_statusText;
    ProgressBar *m_progress;
    QMenu *m_fileMenu;
    QAction *m_viewItem;
    QAction *m_addItem;
    QAction *m_exitItem;
    QAction *m_exitButton;
    QAction *m_addButton;
    QAction *m_addAllButton;
    QAction *m_stopButton;
    QTimer m_startTimer;

    FolderScanner m_scanner;
    Navigation m_navigation = Navigation::User;
    QString m_fileListFolder; // the folder whose files are listed, "" before the first
    QStringList m_files;
    std::unique_ptr<ThumbnailRun> m_run;
    PictureAdder m_adder;

    QString m_currentPath;
    int m_thumbCount = 0;
    bool m_leaving = false;
    bool m_busy = false;
    int m_selectedThumb = 0;
};
