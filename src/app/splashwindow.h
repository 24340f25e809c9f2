#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class ProgressBar;

// Shown while the list loads, with a bar the loading drives one step per
// entry; it closes itself two seconds after it was shown, and comes back if
// loading goes on longer than that.
class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int ShowMs = 2000;
    // The bar is painted at most this often, so a long list loads at full speed.
    static constexpr int RepaintMs = 16;

    // showMs: how long the splash stays after it was shown.
    explicit SplashWindow(int showMs = ShowMs, QWidget *parent = nullptr);

    // Shows the splash with an empty, hidden bar and starts its two seconds.
    void load();
    void startLoading();
    void updateLoading(int percent, const QString &text);

    ProgressBar *bar() const { return m_bar; }

private:
    ProgressBar *m_bar;
    QTimer m_closeTimer;
    QElapsedTimer m_sinceRepaint;
};
