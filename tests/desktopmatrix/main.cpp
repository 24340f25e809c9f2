// Drives the wallpaper change of Rotafond against a real desktop, for
// scripts/desktop-matrix.sh. Three uses:
//   desktop-matrix picture PATH LEFT RIGHT      writes a 200x100 two-colour picture
//   desktop-matrix check SOURCE MODE COLOURS... judges the screen (SOURCE: a PNG,
//                                              or x11:SAVE to grab the X display)
//   desktop-matrix run DATA [WxH]               one run of the program: reads
//       "apply PATH MODE" and "clear" lines, answers "ok" or "failed: why"
// A run chooses its backend and names its files as the program does, with
// DATA as its data folder, so a new run is a restart.

#include "changejob.h"
#include "desktopbackend.h"
#include "monitors.h"
#include "screencheck.h"
#include "screenshot.h"
#include "wallpaperfiles.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextStream>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

WallpaperEntry entryFor(const QString &path, const QString &mode) {
    WallpaperEntry entry{path};
    entry.tiled = mode == QLatin1String("tile");
    entry.resize = mode == QLatin1String("stretch") || mode == QLatin1String("proportional");
    entry.proportional = mode == QLatin1String("proportional");
    return entry;
}

QString change(const QStringList &words, WallpaperFiles &files, DesktopBackend &desktop,
               const QList<Monitor> &monitors) {
    const std::atomic_bool cancelled = false;
    if (words.value(0) == QLatin1String("clear")) {
        const Result<void> result = desktop.clear();
        return result.ok() ? QString() : result.error();
    }
    if (words.value(0) != QLatin1String("apply") || words.size() != 3)
        return QStringLiteral("unknown command");
    const ChangeRequest request{{entryFor(words.at(1), words.at(2))}, 0, 0, false, monitors};
    const ChangeResult result = runChange(request, files, desktop, cancelled);
    if (result.outcome == ChangeOutcome::Shown)
        return {};
    return result.error.isEmpty() ? QStringLiteral("the picture was not shown") : result.error;
}

int run(const QStringList &arguments) {
    const QScreen *primary = QGuiApplication::primaryScreen();
    QList<Monitor> monitors = currentMonitors();
    if (arguments.size() > 1) {
        const QStringList size = arguments.at(1).split(QLatin1Char('x'));
        monitors = {
            {QStringLiteral("0"), QRect(0, 0, size.value(0).toInt(), size.value(1).toInt())}};
    }
    WallpaperFiles files(arguments.value(0));
    const std::unique_ptr<DesktopBackend> desktop =
        createDesktopBackend(primary ? primary->name() : QStringLiteral("0"));
    std::cout << "backend " << desktop->name().toStdString() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        const QStringList words =
            QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString error = change(words, files, *desktop, monitors);
        std::cout << (error.isEmpty() ? "ok" : "failed: " + error.simplified().toStdString())
                  << std::endl;
    }
    return 0;
}

int check(const QStringList &arguments) {
    if (arguments.size() < 4)
        return 2;
    const QString source = arguments.at(0);
    QImage shot;
    if (source.startsWith(QLatin1String("x11:"))) {
        shot = screenshot();
        shot.save(source.mid(4), "PNG");
    } else {
        shot.load(source);
    }
    ScreenExpectation expected{
        arguments.at(1), QColor(arguments.at(2)), QColor(arguments.at(3)), {}};
    for (const QString &colour : arguments.mid(2))
        expected.pictureColours.append(QColor(colour));
    // Several monitors: each shows the picture as a screen of its own.
    QString error;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        const QString wrong =
            checkScreen(screens.size() > 1 ? shot.copy(screen->geometry()) : shot, expected);
        if (!wrong.isEmpty())
            error +=
                (screens.size() > 1 ? screen->name() + QStringLiteral(": ") : QString()) + wrong;
    }
    std::cout << (error.isEmpty() ? "ok" : "failed: " + error.toStdString()) << std::endl;
    return error.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(2);
    const QString command = application.arguments().value(1);
    if (command == QLatin1String("picture") && arguments.size() == 3)
        return twoColourPicture(QColor(arguments.at(1)), QColor(arguments.at(2)))
                       .save(arguments.at(0), "PNG")
                   ? 0
                   : 1;
    if (command == QLatin1String("check"))
        return check(arguments);
    if (command == QLatin1String("run") && !arguments.isEmpty())
        return run(arguments);
    std::cerr << "usage: desktop-matrix picture PATH LEFT RIGHT | check SOURCE MODE COLOURS... | "
                 "run DATA [WxH]\n";
    return 2;
}
