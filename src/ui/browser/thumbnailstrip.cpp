#include "thumbnailstrip.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>

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
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    updateSize();
}

void ThumbnailStrip::clear() {
    m_cells.clear();
    m_decoded.clear();
    updateSize();
    update();
}

void ThumbnailStrip::append(const QString &tag, const QImage &canvas) {
    Cell cell{tag, {}};
    QBuffer buffer(&cell.compressed);
    buffer.open(QIODevice::WriteOnly);
    canvas.save(&buffer, "JPG", 92);
    m_cells.append(cell);
    m_decoded.insert(count() - 1, new QImage(canvas));
    updateSize();
    update(cellRect(count() - 1));
}

QImage ThumbnailStrip::picture(int index) const {
    if (QImage *image = m_decoded.object(index))
        return *image;
    auto *image = new QImage(QImage::fromData(m_cells.at(index).compressed, "JPG"));
    const QImage copy = *image;
    m_decoded.insert(index, image);
    return copy;
}

void ThumbnailStrip::fitWidth(int width) {
    // Cells never collapse to no column, even in a window a tiling manager
    // squeezed below the minimum width.
    m_columns = std::max(1, width / CellSize.width());
    m_cellWidth = std::max(CellSize.width(), width / m_columns);
    updateSize();
    update();
}

void ThumbnailStrip::updateSize() {
    // The empty cell of a folder without pictures still takes its place.
    const int cells = std::max(1, count());
    const int rows = cells / m_columns + (cells % m_columns ? 1 : 0);
    const QSize size(m_columns * m_cellWidth, rows * CellSize.height());
    if (size != this->size())
        resize(size);
}

QRect ThumbnailStrip::cellRect(int index) const {
    return QRect(QPoint(index % m_columns * m_cellWidth, index / m_columns * CellSize.height()),
                 cellSize());
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
        update(cellRect(previous));
    if (index >= 0 && index < count())
        update(cellRect(index));
}

void ThumbnailStrip::choose(int index) {
    setSelected(index);
    Q_EMIT cellClicked(index);
}

void ThumbnailStrip::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect area = event->rect();
    const int firstRow = std::max(0, area.top() / CellSize.height());
    const int lastRow = area.bottom() / CellSize.height();
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            const int index = row * m_columns + column;
            if (index >= count())
                return;
            const QRect cell = cellRect(index);
            QStyleOptionButton option;
            option.initFrom(this);
            option.rect = cell;
            option.state |= index == m_selected ? QStyle::State_On | QStyle::State_Sunken
                                                : QStyle::State_Raised;
            if (index == m_selected && hasFocus())
                option.state |= QStyle::State_HasFocus;
            style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
            // A sunken bevel alone is hard to see in many styles: the selected
            // cell is marked in the palette's highlight.
            if (index == m_selected)
                painter.fillRect(cell.adjusted(2, 2, -2, -2), palette().color(QPalette::Highlight));
            const int pictureTop = cell.top() + 3;
            painter.drawImage(cell.left() + (cell.width() - CanvasSize.width()) / 2, pictureTop,
                              picture(index));
            const QRect captionArea(cell.left(), pictureTop + CanvasSize.height(), cell.width(),
                                    cell.bottom() - pictureTop - CanvasSize.height());
            painter.setPen(palette().color(index == m_selected ? QPalette::HighlightedText
                                                               : QPalette::ButtonText));
            // Cut to the cell as wide as it is now: only the cells in view pay for it.
            painter.drawText(captionArea, Qt::AlignCenter,
                             shortenCaption(m_cells.at(index).tag, fontMetrics(), cell.width()));
        }
    }
}

void ThumbnailStrip::mousePressEvent(QMouseEvent *event) {
    const int index = cellAt(event->position().toPoint());
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
    const int index = cellAt(event->position().toPoint());
    if (index >= 0 && event->button() == Qt::LeftButton)
        Q_EMIT cellDoubleClicked(index);
}

void ThumbnailStrip::keyPressEvent(QKeyEvent *event) {
    if (count() == 0) {
        QWidget::keyPressEvent(event);
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
            Q_EMIT cellMenuRequested(m_selected, mapToGlobal(cellRect(m_selected).center()));
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (target < 0 || target >= count())
        return;
    choose(target);
    Q_EMIT cellShown(cellRect(target));
}
