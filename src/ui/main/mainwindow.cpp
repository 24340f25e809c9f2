#include "mainwindow.h"

#include "displaymode.h"
#include "drawing.h"
#include "picturejob.h"
#include "preview.h"
#include "prompter.h"
#include "selectedpicture.h"
#include "settingspanel.h"
#include "wallpaperlist.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QTimer>

#include <QStatusBar>
#include <QToolButton>
#include <utility>

namespace {

// Pictures are decoded at most this large for the window: a 24 MP photo
// then decodes in a fraction of the time (the JPEG decoder scales by 1/2, 1/4, 1/8).
constexpr int DecodeLimit = 1024;

} // namespace

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
