#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The selected entry's picture as the main window shows it, decoded on a
// worker at most limit pixels on its longer side.
struct SelectedPicture {
    enum class State { Shown, Unreachable, Gone, Broken };

    State state = State::Broken;
    QImage picture;
    QSize naturalSize; // the file's own upright size

    // Blocks on the file and the decoder: call it on a worker.
    static SelectedPicture load(const QString &path, int limit);
};
