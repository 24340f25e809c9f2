#include "commandline.h"
#include "monitors.h"
#include "picture.h"
#include "programicon.h"
#include "remotecontrol.h"
#include "rotafondapp.h"
#include "sessionbus.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

QStringList argumentsOf(int argc, char **argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int printAndExit(StartAction action) {
    QTextStream out(stdout);
    out << (action == StartAction::ShowHelp ? usageText()
                                            : QStringLiteral("Rotafond " ROTAFOND_VERSION "\n"));
    return 0;
}

[[noreturn]] void sendAndExit(int argc, char **argv, const QString &method) {
    int code = 0;
    {
        // A command for the running copy needs the bus, not a display.
        QCoreApplication app(argc, argv);
        code = sendRemoteCommand(method);
    }
    // QtDBus's thread may still be handling a message from the bus while
    // the exit tears down the types it needs, and warns about them on
    // stderr. Nothing is left to tidy up: leave at once.
    std::fflush(nullptr);
    std::_Exit(code);
}

SettingsEnvironment settingsEnvironment() {
    SettingsEnvironment environment;
    // What the primary monitor shows, in its own pixels.
    environment.screenSize = primaryMonitorSize(currentMonitors());
    environment.picturesFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (environment.picturesFolder.isEmpty() || !QDir(environment.picturesFolder).exists())
        environment.picturesFolder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return environment;
}

} // namespace

int main(int argc, char **argv) {
    // Help, version and commands for the running copy need no display.
    const StartAction early = parseCommandLine(argumentsOf(argc, argv));
    if (early == StartAction::ShowHelp || early == StartAction::ShowVersion)
        return printAndExit(early);
    preventSessionBusAutolaunch();
    if (const QString method = remoteMethod(early); !method.isEmpty())
        sendAndExit(argc, argv, method);

    // Before anything decodes: the first picture is read while the program starts.
    Picture::setUpDecoding();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rotafond"));
    QApplication::setApplicationVersion(QStringLiteral(ROTAFOND_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(ROTAFOND_APP_ID));
    QApplication::setWindowIcon(programIcon());
    // The program lives on with every window hidden; it ends by its own exit commands.
    QApplication::setQuitOnLastWindowClosed(false);

    const SettingsEnvironment environment = settingsEnvironment();
    // Qt has taken its own options (-display and the like) out of argv by now.
    const QScreen *primary = QGuiApplication::primaryScreen();
    int exitCode = 0;
    {
        RotafondApp rotafond(AppPaths::standard(), environment,
                             createDesktopBackend(primary ? primary->name() : QStringLiteral("0")));
        // Start from inside the event loop: a quit request during the first-run
        // introduction then ends its message boxes and the program together.
        const StartAction action = parseCommandLine(argumentsOf(argc, argv));
        QTimer::singleShot(0, &rotafond, [&rotafond, action] {
            if (!rotafond.start(action))
                QCoreApplication::exit(1);
        });
        exitCode = app.exec();
    }
    // Everything is saved by now. A worker blocked on a path that does not
    // answer (a dead network share) must not keep the program from ending.
    if (!QThreadPool::globalInstance()->waitForDone(400))
        std::_Exit(exitCode);
    return exitCode;
}
