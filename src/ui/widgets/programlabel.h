#pragma once

class QLabel;
class QString;
class QWidget;

// A plain-text label in the program's own lettering (Comic Sans MS where it
// is installed), as the splash and the About box use it.
QLabel *programLabel(const QString &text, int pointSize, bool bold, QWidget *parent);
