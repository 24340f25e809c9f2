#include "programlabel.h"

#include <QLabel>

QLabel *programLabel(const QString &text, int pointSize, bool bold, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}
