#pragma once

#include <QWidget>

// A progress bar whose text reads in the highlight colours over the filled
// part and in the normal button colours over the rest.
class ProgressBar : public QWidget {
    Q_OBJECT

public:
    enum class TextPlacement { Left, Centre };

    explicit ProgressBar(TextPlacement placement, QWidget *parent = nullptr);

    // Empty bar, no text.
    void reset();
    // percent is not clamped: the filled width follows it.
    void setProgress(int percent, const QString &text);

    int percent() const { return m_percent; }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TextPlacement m_placement;
    int m_percent = 0;
    QString m_text;
};
