#include "quitsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestQuitSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The real program gets each quit signal in the end-to-end start test.
    void signal_becomesOneQuitRequest() {
        QuitSignals signals_;
        QSignalSpy spy(&signals_, &QuitSignals::quitRequested);
        std::raise(SIGHUP);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), SIGHUP);
        // A second signal while quitting neither kills us nor asks again.
        std::raise(SIGTERM);
        QTest::qWait(50);
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_quitsignals.moc"
