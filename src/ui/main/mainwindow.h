#pragma once

#include <QImage>
#include <QMainWindow>
#include <QTimer>

class QGridLayout;
class QLabel;
class QListView;
class QToolButton;
class Prompter;
class SettingsPanel;
class WallpaperList;
struct SelectedPicture;
struct WallpaperEntry;

// The main window: the wallpaper list, the selected picture with its size,
// the display settings and the preview of the selected entry, and every
// command of the program. Commands that belong to other windows or to the
// change cycle are signals; the app connects them.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The preview's and the picture's box, in the window's own units.
    static constexpr QSize PreviewSize{184, 138};

    MainWindow(WallpaperList &list, Prompter &prompter, QSize screenSize,
               QWidget *parent = nullptr);

    int selectedPosition() const;
    void selectPosition(int position);
    // Removes the entry and selects the one that took its place, or the new last one.
    void removeEntry(int position);
    void setBeep(bool on);
    void showStatus(const QString &message);

Q_SIGNALS:
    void changeNowRequested(int position);
    void browseRequested();
    void addFilesRequested();
    void filesDropped(const QStringList &paths);
    void defaultsRequested(bool modal);
    void viewRequested(const QString &path);
    void editRequested(const QString &path);
    void aboutRequested();
    void minimizeRequested();
    void exitRequested();
    void beepToggled(bool on);
    // The user closed the window: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void updateClock();
    void buildToolBar();
    QWidget *buildListGroup();
    QGridLayout *buildCentralArea();
    void selectionChanged();
    void showSelectedEntry();
    void pictureLoaded(const WallpaperEntry &entry, const SelectedPicture &loaded);
    void showPicture(const WallpaperEntry &entry);
    void clearPicture();
    void updateArrows();
    void moveSelected(int step);
    bool warnWithoutSelection();
    void deleteSelected();

    WallpaperList &m_list;
    Prompter &m_prompter;
    QSize m_screenSize;
    QListView *m_fileList;
    QToolButton *m_up;
    QToolButton *m_down;
    SettingsPanel *m_panel;
    QLabel *m_picture;
    QLabel *m_dimensions;
    QLabel *m_preview;
    QLabel *m_clock;
    QTimer m_clockTimer;
    bool m_movingEntry = false;
    // The selected entry's picture, decoded once and redrawn at every settings click.
    QString m_shownPath;
    QImage m_shownPicture;
    QSize m_shownSize;
    int m_loadGeneration = 0;
    bool m_pictureWaiting = false;
};
