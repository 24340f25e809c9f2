#include "splashwindow.h"

#include "programicon.h"
#include "programlabel.h"
#include "progressbar.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

SplashWindow::SplashWindow(int showMs, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_bar(new ProgressBar(ProgressBar::TextPlacement::Centre, this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Never on screen (there is no title bar), but window lists name it.
    setWindowTitle(QStringLiteral("Rotafond is loading"));
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto *artwork = new QLabel(frame);
    artwork->setPixmap(programIcon().pixmap(96, 96));
    auto *layout = new QGridLayout(frame);
    layout->addWidget(artwork, 0, 0, 3, 1);
    layout->addWidget(programLabel(QStringLiteral("Rotafond"), 24, true, frame), 0, 1);
    layout->addWidget(
        programLabel(QStringLiteral("A fresh wallpaper every so often"), 11, false, frame), 1, 1);
    layout->addWidget(programLabel(QStringLiteral("Loading ..."), 10, false, frame), 2, 1);
    m_bar->setFixedHeight(20);
    layout->addWidget(m_bar, 3, 0, 1, 2);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    resize(420, 190);

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(showMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::load() {
    startLoading();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    repaint();
    m_closeTimer.start();
    m_sinceRepaint.start();
}

void SplashWindow::startLoading() {
    m_bar->reset();
    // Hidden without giving its room away, so the window keeps its shape.
    QSizePolicy keep = m_bar->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_bar->setSizePolicy(keep);
    m_bar->hide();
}

void SplashWindow::updateLoading(int percent, const QString &text) {
    if (isHidden())
        load();
    m_bar->setProgress(percent, text);
    m_bar->show();
    // Skipped steps are not lost: the bar paints its last state once the
    // event loop runs again.
    if (m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < RepaintMs)
        return;
    m_bar->repaint();
    m_sinceRepaint.start();
    // Timers and paint requests, never the user's input, while the list loads.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
