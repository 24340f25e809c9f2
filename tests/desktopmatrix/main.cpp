// Drives the wallpaper change of Rotafond against a real desktop, for
// scripts/desktop-matrix.sh:
//   desktop-matrix picture PATH LEFT RIGHT      writes a 200x100 two-colour picture
//   desktop-matrix check SOURCE MODE COLOURS... judges the screen (SOURCE: a PNG,
//                                              or x11:SAVE to grab the X display)
//   desktop-matrix run DATA [WxH]               reads "apply PATH MODE" and "clear"
//                                              lines, answers "ok" or "failed: why"
// A run names its files as the program does, in DATA, so a new run is a restart.

#include "changejob.h"
#include "desktopbackend.h"
#include "monitors.h"
#include "screencheck.h"
#include "screenshot.h"
#include "wallpaperfiles.h"

#include <QGuiApplication>
#include <QScreen>

#include <iostream>
#include <string>

namespace {

QString change(const QStringList &words, WallpaperFiles &files, DesktopBackend &desktop,
               const QList<Monitor> &monitors) {
    if (words.value(0) == QLatin1String("clear")) {
        const Result<void> result = desktop.clear();
        return result.ok() ? QString() : result.error();
    }
    if (words.value(0) != QLatin1String("apply") || words.size() != 3)
        return QStringLiteral("unknown command");
    const QString mode = words.at(2);
    const WallpaperEntry entry{words.at(1), mode == "stretch" || mode == "proportional",
                               mode == "proportional", mode == "tile"};
    const std::atomic_bool cancelled = false;
    const ChangeResult result =
        runChange({{entry}, 0, 0, false, monitors}, files, desktop, cancelled);
    if (result.outcome == ChangeOutcome::Shown)
        return {};
    return result.error.isEmpty() ? QStringLiteral("the picture was not shown") : result.error;
}

int run(const QStringList &arguments) {
    QList<Monitor> monitors = currentMonitors();
    if (const QStringList size = arguments.value(1).split('x'); size.size() == 2)
        monitors = {{QStringLiteral("0"), QRect(0, 0, size.at(0).toInt(), size.at(1).toInt())}};
    WallpaperFiles files(arguments.at(0));
    const QScreen *primary = QGuiApplication::primaryScreen();
    const auto desktop = createDesktopBackend(primary ? primary->name() : QStringLiteral("0"));
    std::cout << "backend " << desktop->name().toStdString() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        const QString error = change(QString::fromStdString(line).split(' ', Qt::SkipEmptyParts),
                                     files, *desktop, monitors);
        std::cout << (error.isEmpty() ? "ok" : "failed: " + error.simplified().toStdString())
                  << std::endl;
    }
    return 0;
}

int check(const QStringList &arguments) {
    if (arguments.size() < 4)
        return 2;
    QImage shot = arguments.at(0).startsWith("x11:") ? screenshot() : QImage(arguments.at(0));
    if (arguments.at(0).startsWith("x11:"))
        shot.save(arguments.at(0).mid(4), "PNG");
    ScreenExpectation expected{
        arguments.at(1), QColor(arguments.at(2)), QColor(arguments.at(3)), {}};
    for (const QString &colour : arguments.mid(2))
        expected.pictureColours.append(QColor(colour));
    // Several monitors: each shows the picture as a screen of its own.
    QString error;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        const bool several = screens.size() > 1;
        if (const QString wrong =
                checkScreen(several ? shot.copy(screen->geometry()) : shot, expected);
            !wrong.isEmpty())
            error += (several ? screen->name() + ": " : QString()) + wrong;
    }
    std::cout << (error.isEmpty() ? "ok" : "failed: " + error.toStdString()) << std::endl;
    return error.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(2);
    const QString command = application.arguments().value(1);
    if (command == "picture" && arguments.size() == 3)
        return twoColourPicture(QColor(arguments.at(1)), QColor(arguments.at(2)))
                       .save(arguments.at(0), "PNG")
                   ? 0
                   : 1;
    if (command == "check")
        return check(arguments);
    if (command == "run" && !arguments.isEmpty())
        return run(arguments);
    std::cerr << "usage: desktop-matrix picture PATH LEFT RIGHT | check SOURCE MODE COLOURS... | "
                 "run DATA [WxH]\n";
    return 2;
}
