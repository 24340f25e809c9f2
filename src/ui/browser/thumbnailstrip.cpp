#include "thumbnailstrip.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>

#include <algorithm>
#include <utility>

QString shortenCaption(const QString &name, const QFontMetrics &metrics, int cellWidth) {
    int limit = cellWidth - 15;
    if (limit >= metrics.horizontalAdvance(name))
        return name;
    const QString ellipsis = QStringLiteral("...");
    limit -= metrics.horizontalAdvance(ellipsis);
    QString caption = name;
    while (!caption.isEmpty() && metrics.horizontalAdvance(caption) > limit)
        caption.chop(1);
    return caption + ellipsis;
}

ThumbnailStrip::ThumbnailStrip(QWidget *parent)
    : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    // Always there, so the columns do not change as cells come in.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Button);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(CellSize.height());
    // Scrolling with the bar takes the keyboard to the cells.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!hasFocus())
            setFocus(Qt::OtherFocusReason);
    });
    fitWidth();
}

void ThumbnailStrip::clear() {
    m_cells.clear();
    m_decoded.clear();
    verticalScrollBar()->setValue(0);
    updateScrollRange();
    viewport()->update();
}

namespace {

// A JPEG keeps a folder of thousands of cells small; without the plugin the
// built-in PNG serves, larger. Empty only when nothing can encode the canvas.
QByteArray compressed(const QImage &canvas) {
    for (const auto &[format, quality] : {std::pair("JPG", 92), std::pair("PNG", -1)}) {
        QByteArray data;
        QBuffer buffer(&data);
        if (buffer.open(QIODevice::WriteOnly) && canvas.save(&buffer, format, quality))
            return data;
    }
    return {};
}

} // namespace

void ThumbnailStrip::append(const QString &tag, const QImage &canvas) {
    m_cells.append({tag, compressed(canvas)});
    m_decoded.insert(count() - 1, new QImage(canvas));
    updateScrollRange();
    viewport()->update(visualCellRect(count() - 1));
}

QImage ThumbnailStrip::picture(int index) const {
    if (QImage *image = m_decoded.object(index))
        return *image;
    auto *image = new QImage(QImage::fromData(m_cells.at(index).compressed));
    const QImage copy = *image;
    m_decoded.insert(index, image);
    return copy;
}

void ThumbnailStrip::fitWidth() {
    // Cells never collapse to no column, even in a window a tiling manager
    // squeezed below the minimum width.
    const int width = viewport()->width();
    m_columns = std::max(1, width / CellSize.width());
    m_cellWidth = std::max(CellSize.width(), width / m_columns);
    updateScrollRange();
    viewport()->update();
}

int ThumbnailStrip::gridHeight() const {
    // The empty cell of a folder without pictures still takes its place.
    const int cells = std::max(1, count());
    return (cells / m_columns + (cells % m_columns ? 1 : 0)) * CellSize.height();
}

void ThumbnailStrip::updateScrollRange() {
    const int visible = viewport()->height();
    verticalScrollBar()->setRange(0, std::max(0, gridHeight() - visible));
    verticalScrollBar()->setPageStep(visible);
}

int ThumbnailStrip::offset() const {
    return verticalScrollBar()->value();
}

void ThumbnailStrip::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    fitWidth();
}

void ThumbnailStrip::scrollContentsBy(int, int dy) {
    viewport()->scroll(0, dy);
}

QRect ThumbnailStrip::cellRect(int index) const {
    return QRect(QPoint(index % m_columns * m_cellWidth, index / m_columns * CellSize.height()),
                 cellSize());
}

QRect ThumbnailStrip::visualCellRect(int index) const {
    return cellRect(index).translated(0, -offset());
}

int ThumbnailStrip::cellAt(QPoint position) const {
    if (position.x() < 0 || position.y() < 0 || position.x() >= m_columns * m_cellWidth)
        return -1;
    const int index = position.y() / CellSize.height() * m_columns + position.x() / m_cellWidth;
    return index < count() ? index : -1;
}

void ThumbnailStrip::setSelected(int index) {
    const int previous = m_selected;
    m_selected = index;
    if (previous >= 0 && previous < count())
        viewport()->update(visualCellRect(previous));
    if (index >= 0 && index < count())
        viewport()->update(visualCellRect(index));
}

void ThumbnailStrip::choose(int index) {
    setSelected(index);
    Q_EMIT cellClicked(index);
}

void ThumbnailStrip::showCell(int index) {
    const QRect cell = cellRect(index);
    const int visible = viewport()->height();
    if (cell.top() < offset())
        verticalScrollBar()->setValue(cell.top());
    else if (cell.bottom() >= offset() + visible)
        verticalScrollBar()->setValue(cell.bottom() + 1 - visible);
}

void ThumbnailStrip::paintEvent(QPaintEvent *event) {
    QPainter painter(viewport());
    // Only the rows in view are painted, each where it is in the viewport.
    const QRect area = event->rect().translated(0, offset());
    const int firstRow = std::max(0, area.top() / CellSize.height());
    const int lastRow = area.bottom() / CellSize.height();
    for (int index = firstRow * m_columns; index < std::min(count(), (lastRow + 1) * m_columns);
         ++index)
        paintCell(painter, index);
}

void ThumbnailStrip::paintCell(QPainter &painter, int index) {
    const QRect cell = visualCellRect(index);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = cell;
    option.state |=
        index == m_selected ? QStyle::State_On | QStyle::State_Sunken : QStyle::State_Raised;
    if (index == m_selected && hasFocus())
        option.state |= QStyle::State_HasFocus;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    // A sunken bevel alone is hard to see in many styles: the selected cell
    // is marked in the palette's highlight.
    if (index == m_selected)
        painter.fillRect(cell.adjusted(2, 2, -2, -2), palette().color(QPalette::Highlight));
    const int pictureTop = cell.top() + 3;
    painter.drawImage(cell.left() + (cell.width() - CanvasSize.width()) / 2, pictureTop,
                      picture(index));
    const QRect captionArea(cell.left(), pictureTop + CanvasSize.height(), cell.width(),
                            cell.bottom() - pictureTop - CanvasSize.height());
    painter.setPen(
        palette().color(index == m_selected ? QPalette::HighlightedText : QPalette::ButtonText));
    // Cut to the cell as wide as it is now: only the cells in view pay for it.
    painter.drawText(captionArea, Qt::AlignCenter,
                     shortenCaption(m_cells.at(index).tag, fontMetrics(), cell.width()));
}

void ThumbnailStrip::mousePressEvent(QMouseEvent *event) {
    const int index = cellAt(event->position().toPoint() + QPoint(0, offset()));
    if (index < 0)
        return;
    if (event->button() == Qt::LeftButton) {
        choose(index);
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        choose(index);
        Q_EMIT cellMenuRequested(index, event->globalPosition().toPoint());
    }
}

void ThumbnailStrip::mouseDoubleClickEvent(QMouseEvent *event) {
    const int index = cellAt(event->position().toPoint() + QPoint(0, offset()));
    if (index >= 0 && event->button() == Qt::LeftButton)
        Q_EMIT cellDoubleClicked(index);
}

void ThumbnailStrip::keyPressEvent(QKeyEvent *event) {
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int current = std::clamp(m_selected, 0, count() - 1);
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        target = current - 1;
        break;
    case Qt::Key_Right:
        target = current + 1;
        break;
    case Qt::Key_Up:
        target = current - m_columns;
        break;
    case Qt::Key_Down:
        target = current + m_columns;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_selected >= 0 && m_selected < count())
            Q_EMIT cellDoubleClicked(m_selected);
        return;
    case Qt::Key_Menu:
        if (m_selected >= 0 && m_selected < count())
            Q_EMIT cellMenuRequested(m_selected,
                                     viewport()->mapToGlobal(visualCellRect(m_selected).center()));
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (target < 0 || target >= count())
        return;
    choose(target);
    showCell(target);
}
