#include "mainwindow.h"

#include "wallpaperlist.h"

#include <QCloseEvent>
#include <QListView>
#include <QStatusBar>

MainWindow::MainWindow(WallpaperList &list, QWidget *parent)
    : QMainWindow(parent)
    , m_list(list)
    , m_fileList(new QListView(this)) {
    setWindowTitle(QStringLiteral("Rotafond"));
    m_fileList->setModel(&m_list);
    m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_fileList->setUniformItemSizes(true);
    setCentralWidget(m_fileList);
    resize(640, 420);
}

int MainWindow::selectedPosition() const {
    const QModelIndex current = m_fileList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MainWindow::selectPosition(int position) {
    if (m_list.isValidPosition(position))
        m_fileList->setCurrentIndex(m_list.index(position));
}

void MainWindow::showStatus(const QString &message) {
    statusBar()->showMessage(message);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    event->accept();
    Q_EMIT closed();
}
