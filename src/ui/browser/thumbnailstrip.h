#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QList>

class QFontMetrics;
class QPainter;

// The caption of a cell: the name cut character by character until it fits
// the cell less 15 pixels, with "..." after a name that had to be cut.
QString shortenCaption(const QString &name, const QFontMetrics &metrics, int cellWidth);

// The strip of thumbnail cells, a grid filled row by row in a scrolled view.
// It paints only the cells in view and keeps their pictures compressed, so a
// folder of tens of thousands of pictures costs little memory and adding a
// cell costs the same however many there are. The cells are placed in the
// grid's own coordinates, not as a widget as tall as all of them, so every
// row can be reached however many there are. The cells act as one group of
// radio buttons.
class ThumbnailStrip : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The smallest cell; cells grow wider to fill the strip's width.
    static constexpr QSize CellSize{180, 125};
    static constexpr QSize CanvasSize{140, 105};

    explicit ThumbnailStrip(QWidget *parent = nullptr);

    void clear();
    void append(const QString &tag, const QImage &canvas);
    int count() const { return int(m_cells.size()); }
    QString tag(int index) const { return m_cells.at(index).tag; }
    QImage picture(int index) const;

    int columns() const { return m_columns; }
    QSize cellSize() const { return {m_cellWidth, CellSize.height()}; }
    // The grid's height: a strip without cells is one row high.
    int gridHeight() const;
    // Where a cell is in the grid, and which cell is at a point of it.
    QRect cellRect(int index) const;
    int cellAt(QPoint position) const;
    // Where a cell is in the viewport as it is scrolled now.
    QRect visualCellRect(int index) const;

    void setSelected(int index);

Q_SIGNALS:
    void cellClicked(int index);
    void cellDoubleClicked(int index);
    void cellMenuRequested(int index, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Cell {
        QString tag;
        QByteArray compressed;
    };

    // Places the cells in as many columns as fit the viewport, sharing what
    // is left among them so no strip of empty space stays at the right.
    void fitWidth();
    void updateScrollRange();
    void paintCell(QPainter &painter, int index);
    void choose(int index);
    void showCell(int index);
    int offset() const;

    QList<Cell> m_cells;
    mutable QCache<int, QImage> m_decoded{600};
    int m_columns = 1;
    int m_cellWidth = CellSize.width();
    int m_selected = -1;
};
