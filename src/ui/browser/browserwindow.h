#pragma once

#include "addfile.h"
#include "drives.h"
#include "folderscan.h"
#include "measurerun.h"
#include "thumbnailcache.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QScrollBar;
class ProgressBar;
class Prompter;
class SettingsStore;
class ThumbnailRun;
class ThumbnailStrip;

// The thumbnail browser: walk the drives and folders, see a thumbnail of
// every picture in the folder, and add one picture or all of them to the
// wallpaper list. It lives for the whole run; closing it only hides it.
class BrowserWindow : public QMainWindow {
    Q_OBJECT

public:
    // Appends a picture the browser has measured off the UI thread.
    using AddFile = std::function<AddResult(const MeasuredPicture &picture)>;

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
    void arrangeBrowser();
    void arrangeThumbnails();
    void scrolled(int value);
    void thumbnailMade(const QString &name, const QImage &canvas);
    void finishRun();
    void startAdding(const QStringList &paths, bool all);
    void pictureMeasured(int index, const MeasuredPicture &picture);
    void addingFinished();
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
    AddFile m_addFile;

    QComboBox *m_driveList;
    QListWidget *m_folderList;
    QLabel *m_dimensionsHeading;
    QLabel *m_dimensions;
    QFrame *m_frame;
    ThumbnailStrip *m_strip;
    QScrollBar *m_scroll;
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
    MeasureRun m_measure;
    bool m_addingAll = false;
    int m_addTotal = 0;
    QStringList m_addErrors;
    int m_addDuplicates = 0;

    QString m_currentPath;
    int m_thumbCount = 0;
    bool m_leaving = false;
    bool m_busy = false;
    int m_selectedThumb = 0;
};
