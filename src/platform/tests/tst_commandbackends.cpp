#include "desktops/programrunner.h"

#include <QTest>

// Every way a desktop's tool can fail reaches the user as a reported result.
class TestCommandBackends : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failingTool_isReported_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "rotafond-no-such-tool" << QStringList()
                                 << "rotafond-no-such-tool is not installed";
        QTest::newRow("exit code")
            << "sh" << QStringList{"-c", "echo refused >&2; exit 3"} << "sh failed: refused";
        QTest::newRow("killed") << "sh" << QStringList{"-c", "kill -9 $$"} << "sh failed";
        QTest::newRow("hangs") << "sleep" << QStringList{"30"} << "sleep did not answer";
    }

    void failingTool_isReported() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const Result<void> result = runProgram(program, arguments, 300);
        QVERIFY2(!result.ok() && result.error().contains(says), qPrintable(result.error()));
    }
};

QTEST_GUILESS_MAIN(TestCommandBackends)
#include "tst_commandbackends.moc"
