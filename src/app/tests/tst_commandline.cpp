#include "commandline.h"

#include <QTest>

Q_DECLARE_METATYPE(StartAction)

// What the end-to-end tests do not start the program with: the run of /C,
// --clear and the remote options is checked there.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<StartAction>("expected");
        QTest::newRow("blank arguments") << QStringList{"", "/C", ""} << StartAction::ClearAndRun;
        QTest::newRow("/C with more") << QStringList{"/C", "now"} << StartAction::Run;
        QTest::newRow("glued text") << QStringList{"/Cx"} << StartAction::Run;
        QTest::newRow("--help") << QStringList{"--help"} << StartAction::ShowHelp;
        QTest::newRow("--quit with more") << QStringList{"--quit", "now"} << StartAction::Run;
    }

    void parse() {
        QFETCH(QStringList, arguments);
        QTEST(parseCommandLine(arguments), "expected");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
