#include "imageviewer.h"

#include "numeric.h"
#include "picturefile.h"
#include "picturejob.h"
#include "prompter.h"
#include "smoothscaled.h"
#include "uprightsize.h"

#include <QEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// The picture at the size the viewer shows it on a screen; null when the
// file is no picture.
QImage decodeToShow(const QString &path, QSize screen) {
    const Result<std::unique_ptr<QFile>> file = openPictureFile(path);
    if (!file)
        return {};
    QImageReader reader(file->get());
    const QSize natural = uprightSize(reader);
    if (!natural.isValid() || natural.isEmpty() || !reader.canRead())
        return {};
    const QSize shown = ImageViewer::fittedSize(natural, screen);
    if (shown != natural && reader.supportsOption(QImageIOHandler::ScaledSize))
        setUprightScaledSize(reader, shown);
    const QImage picture = reader.read();
    return picture.isNull() ? picture : smoothScaled(picture, shown);
}

} // namespace

ImageViewer::ImageViewer(Prompter &prompter, QSize screenSize, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_prompter(prompter)
    , m_screenSize(screenSize)
    , m_area(new QScrollArea(this))
    , m_picture(new QLabel) {
    setWindowTitle(QStringLiteral("Rotafond Image Viewer") + QString(13, QLatin1Char(' ')) +
                   QStringLiteral("Click to Exit"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setAlignment(Qt::AlignCenter);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setPalette(black);
    m_area->viewport()->setPalette(black);
    m_area->setWidget(m_picture);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_area);
    m_area->viewport()->installEventFilter(this);
    m_picture->installEventFilter(this);
    m_picture->setScaledContents(true);
    m_picture->hide();
    // 5760 x 4605 twips before any picture is shown.
    resize(384, 307);
    move((m_screenSize.width() - width()) / 2, (m_screenSize.height() - height()) / 2);
}

ImageViewer::~ImageViewer() = default;

QSize ImageViewer::fittedSize(QSize picture, QSize screen) {
    // Only one side is fitted: the wider one first, as the window's height
    // then follows the width's ratio. A picture that is still too tall can
    // be scrolled.
    float width = float(picture.width());
    float height = float(picture.height());
    if (width > float(screen.width())) {
        const float ratio = width / float(screen.width());
        width = float(screen.width());
        height = height / ratio;
    } else if (height > float(screen.height())) {
        const float ratio = height / float(screen.height());
        height = float(screen.height());
        width = width / ratio;
    }
    return QSize(std::max(1, roundHalfEven(width)), std::max(1, roundHalfEven(height)));
}

void ImageViewer::setPicture(const QString &path) {
    if (!path.isEmpty())
        loadAndFit(path);
}

void ImageViewer::loadAndFit(const QString &path) {
    const int generation = ++m_generation;
    m_picture->hide();
    m_picture->clear();
    runPictureJob(
        this, [path, screen = m_screenSize] { return decodeToShow(path, screen); },
        [this, generation](const std::optional<QImage> &picture) {
            decoded(generation, picture.value_or(QImage()));
        });
}

void ImageViewer::decoded(int generation, const QImage &picture) {
    if (generation != m_generation)
        return;
    if (picture.isNull()) {
        reportFailure();
        return;
    }
    m_shownSize = picture.size();
    // A window manager takes a resize of the maximised viewer as the end of
    // its maximised state: the picture would sit in a window of its own size.
    if (!isMaximized())
        resize(picture.size());
    m_picture->setPixmap(QPixmap::fromImage(picture));
    layoutPicture();
    m_picture->show();
    Q_EMIT pictureShown();
}

void ImageViewer::layoutPicture() {
    if (!m_shownSize.isValid())
        return;
    // The picture was fitted to the screen by one side. One that then fits
    // the screen must fit what the window really has (a maximised window
    // loses its title bar and the panels) and is shown whole; only one still
    // taller than the screen scrolls, and then only up and down.
    const QSize usable = size();
    QSize shown = m_shownSize;
    if (shown.height() <= m_screenSize.height()) {
        if (shown.width() > usable.width() || shown.height() > usable.height())
            shown = shown.scaled(usable, Qt::KeepAspectRatio);
    } else {
        const int room = usable.width() - m_area->verticalScrollBar()->sizeHint().width();
        if (shown.width() > room)
            shown = QSize(room, std::max(1, shown.height() * room / shown.width()));
    }
    m_picture->resize(shown);
}

void ImageViewer::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layoutPicture();
}

void ImageViewer::reportFailure() {
    // The box takes the focus; that is no reason to close the viewer.
    m_prompting = true;
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("Rotafond"),
                      QStringLiteral("Error loading image"));
    m_prompting = false;
}

void ImageViewer::showViewer() {
    // Maximised on black: the picture sits in the middle of the screen.
    showMaximized();
    raise();
    activateWindow();
}

QRect ImageViewer::pictureGeometry() const {
    if (!m_picture->isVisible())
        return {};
    return QRect(m_picture->mapTo(this, QPoint(0, 0)), m_picture->size());
}

bool ImageViewer::isPictureShown() const {
    return !m_picture->isHidden();
}

void ImageViewer::mousePressEvent(QMouseEvent *) {
    close();
}

void ImageViewer::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void ImageViewer::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
        !m_prompting)
        close();
    QWidget::changeEvent(event);
}

void ImageViewer::closeEvent(QCloseEvent *event) {
    // A picture still being decoded is no longer wanted.
    ++m_generation;
    m_shownSize = QSize();
    m_picture->hide();
    m_picture->clear();
    QWidget::closeEvent(event);
}

bool ImageViewer::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
