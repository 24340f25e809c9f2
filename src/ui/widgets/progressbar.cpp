#include "progressbar.h"

#include "numeric.h"

#include <QPainter>

ProgressBar::ProgressBar(TextPlacement placement, QWidget *parent)
    : QWidget(parent)
    , m_placement(placement) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressBar::reset() {
    setProgress(0, {});
}

void ProgressBar::setProgress(int percent, const QString &text) {
    if (percent == m_percent && text == m_text)
        return;
    m_percent = percent;
    m_text = text;
    update();
}

void ProgressBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect inner = rect();
    const QFontMetrics metrics = fontMetrics();
    const int y =
        roundHalfEven((double(inner.height()) - double(metrics.height())) / 2) + metrics.ascent();
    const int x =
        m_placement == TextPlacement::Left
            ? 3
            : roundHalfEven((double(inner.width()) - double(metrics.horizontalAdvance(m_text))) /
                            2);
    const int filled = int(float(m_percent) / 100.0f * float(inner.width()));

    painter.fillRect(inner, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(x, y, m_text);

    painter.setClipRect(QRect(0, 0, filled, inner.height()));
    painter.fillRect(inner, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(x, y, m_text);
}
