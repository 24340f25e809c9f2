#include "programlabel.h"

#include <QLabel>

QLabel *programLabel(const QString &text, int pointSize, bool bold, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("Comic Sans MS"));
    // Where Comic Sans MS is missing (Debian has none), its metric-compatible
    // open twin rather than whatever fontconfig picks for an unknown name.
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}
