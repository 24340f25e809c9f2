#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QList>
#include <QWidget>

class QFontMetrics;

// The caption of a cell: the name cut character by character until it fits
// the cell less 15 pixels, with "..." after a name that had to be cut.
QString shortenCaption(const QString &name, const QFontMetrics &metrics, int cellWidth);

// The strip of thumbnail cells, a grid filled row by row. It paints only the
// cells in view and keeps their pictures compressed, so a folder of tens of
// thousands of pictures costs little memory and adding a cell costs the same
// however many there are. The cells act as one group of radio buttons.
class ThumbnailStrip : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize CellSize{180, 125};
    static constexpr QSize CanvasSize{140, 105};

    explicit ThumbnailStrip(QWidget *parent = nullptr);

    void clear();
    void append(const QString &tag, const QImage &canvas);
    int count() const { return int(m_cells.size()); }
    QString tag(int index) const { return m_cells.at(index).tag; }
    QImage picture(int index) const;

    // Places the cells in columns and sizes the strip to hold them all; a
    // strip without cells is one row high.
    void setColumns(int columns);
    int columns() const { return m_columns; }
    QRect cellRect(int index) const;
    int cellAt(QPoint position) const;

    void setSelected(int index);

Q_SIGNALS:
    void cellClicked(int index);
    void cellDoubleClicked(int index);
    void cellMenuRequested(int index, QPoint globalPosition);
    void cellShown(QRect area); // a cell chosen by keyboard must come into view

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Cell {
        QString tag;
        QString caption;
        QByteArray compressed;
    };

    void updateSize();
    void choose(int index);

    QList<Cell> m_cells;
    mutable QCache<int, QImage> m_decoded{600};
    int m_columns = 1;
    int m_selected = -1;
};
