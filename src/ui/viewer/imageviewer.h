#pragma once

#include <QWidget>

class Prompter;
class QLabel;
class QScrollArea;

// Shows one picture on black, shrunk to the screen when it is larger, and
// closes at the first click, on Escape, or when it loses the focus. The
// picture is read and decoded on a worker at the size it is shown, so
// neither a large photo nor a path that does not answer freezes the program.
class ImageViewer : public QWidget {
    Q_OBJECT

public:
    ImageViewer(Prompter &prompter, QSize screenSize, QWidget *parent = nullptr);
    ~ImageViewer() override;

    // Loads and fits the picture; an empty path does nothing. Call show()
    // (or showViewer()) afterwards.
    void setPicture(const QString &path);
    void showViewer();

    // The picture's place in the window; null while nothing is shown.
    QRect pictureGeometry() const;
    bool isPictureShown() const;

    // The size a picture of the given size is shown at on the screen.
    static QSize fittedSize(QSize picture, QSize screen);

Q_SIGNALS:
    void pictureShown();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadAndFit(const QString &path);
    void decoded(int generation, const QImage &picture);
    void reportFailure();
    void layoutPicture();

    Prompter &m_prompter;
    QSize m_screenSize;
    QScrollArea *m_area;
    QLabel *m_picture;
    int m_generation = 0;
    QSize m_shownSize; // the decoded picture's size, fitted to the screen
    bool m_prompting = false;
};
