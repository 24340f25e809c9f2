#pragma once

#include <QMainWindow>

class QListView;
class WallpaperList;

// The main window: the wallpaper list and its commands.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(WallpaperList &list, QWidget *parent = nullptr);

    int selectedPosition() const;
    void selectPosition(int position);
    void showStatus(const QString &message);

Q_SIGNALS:
    // The user closed the window: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WallpaperList &m_list;
    QListView *m_fileList;
};
