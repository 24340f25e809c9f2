#include "quitsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestQuitSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void signal_becomesOneQuitRequest_data() {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void signal_becomesOneQuitRequest() {
        QFETCH(int, number);
        QuitSignals signals_;
        QSignalSpy spy(&signals_, &QuitSignals::quitRequested);
        std::raise(number);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), number);
        // A second signal while quitting neither kills us nor asks again.
        std::raise(SIGTERM);
        QTest::qWait(50);
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_quitsignals.moc"
