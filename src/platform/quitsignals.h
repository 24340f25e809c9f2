#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (log-out, Ctrl+C, a closed terminal) into
// a signal on the event loop, so the program leaves by its normal way out and
// saves what it holds. The handler only writes a byte to a pipe; everything
// else happens in the event loop. Further signals while quitting are ignored.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
