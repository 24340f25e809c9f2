#include "commandline.h"

#include <QTest>

Q_DECLARE_METATYPE(StartAction)

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<StartAction>("expected");
    QTest::newRow("nothing") << QStringList{} << StartAction::Run;
    QTest::newRow("/C") << QStringList{"/C"} << StartAction::ClearAndRun;
    QTest::newRow("lower case") << QStringList{"/c"} << StartAction::ClearAndRun;
    QTest::newRow("blanks around") << QStringList{"  /c  "} << StartAction::ClearAndRun;
    QTest::newRow("blank arguments around")
        << QStringList{"", "/C", ""} << StartAction::ClearAndRun;
    QTest::newRow("--clear") << QStringList{"--clear"} << StartAction::ClearAndRun;
    QTest::newRow("--next") << QStringList{"--next"} << StartAction::RemoteNext;
    QTest::newRow("--clear-wallpaper")
        << QStringList{"--clear-wallpaper"} << StartAction::RemoteClear;
    QTest::newRow("--show") << QStringList{"--show"} << StartAction::RemoteShow;
    QTest::newRow("--quit") << QStringList{"--quit"} << StartAction::RemoteQuit;
    QTest::newRow("--quit with more") << QStringList{"--quit", "now"} << StartAction::Run;
    QTest::newRow("more text") << QStringList{"/C", "now"} << StartAction::Run;
    QTest::newRow("glued text") << QStringList{"/Cx"} << StartAction::Run;
    QTest::newRow("minus sign") << QStringList{"-C"} << StartAction::Run;
    QTest::newRow("--help") << QStringList{"--help"} << StartAction::ShowHelp;
    QTest::newRow("-h") << QStringList{"-h"} << StartAction::ShowHelp;
    QTest::newRow("--version") << QStringList{"--version"} << StartAction::ShowVersion;
    QTest::newRow("--help with more") << QStringList{"--help", "x"} << StartAction::Run;
    QTest::newRow("unknown") << QStringList{"--frobnicate"} << StartAction::Run;
}

void TestCommandLine::parse() {
    QFETCH(QStringList, arguments);
    QTEST(parseCommandLine(arguments), "expected");
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
