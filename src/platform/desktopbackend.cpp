#include "desktopbackend.h"

#include "desktops/gsettingsbackend.h"
#include "desktops/lxdebackend.h"
#include "desktops/lxqtbackend.h"
#include "desktops/nullbackend.h"
#include "desktops/plasmabackend.h"
#include "desktops/swaybackend.h"
#include "desktops/unsupportedbackend.h"
#include "desktops/x11rootbackend.h"
#include "desktops/xfcebackend.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// xfdesktop keeps a picture per output; the screens' names are their RandR
// output names. Asked here, on the UI thread, as QScreen must be.
QStringList outputNames(const QString &primary) {
    QStringList names{primary};
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        for (const QScreen *screen : QGuiApplication::screens())
            if (!names.contains(screen->name()))
                names.append(screen->name());
    return names;
}

std::unique_ptr<DesktopBackend> backendNamed(const QString &desktop, const QString &monitorName) {
    if (desktop == QLatin1String("none"))
        return std::make_unique<NullBackend>();
    if (desktop == QLatin1String("x11"))
        return std::make_unique<X11RootBackend>();
    if (desktop == QLatin1String("gnome") || desktop == QLatin1String("unity") ||
        desktop == QLatin1String("budgie") || desktop == QLatin1String("gnome-classic") ||
        desktop == QLatin1String("gnome-flashback"))
        return std::make_unique<GSettingsDesktopBackend>(GSettingsDesktopBackend::Gnome);
    if (desktop == QLatin1String("x-cinnamon") || desktop == QLatin1String("cinnamon"))
        return std::make_unique<GSettingsDesktopBackend>(GSettingsDesktopBackend::Cinnamon);
    if (desktop == QLatin1String("mate"))
        return std::make_unique<GSettingsDesktopBackend>(GSettingsDesktopBackend::Mate);
    if (desktop == QLatin1String("xfce"))
        return std::make_unique<XfceBackend>(outputNames(monitorName));
    if (desktop == QLatin1String("lxde"))
        return std::make_unique<LxdeBackend>();
    if (desktop == QLatin1String("lxqt"))
        return std::make_unique<LxqtBackend>();
    if (desktop == QLatin1String("kde"))
        return std::make_unique<PlasmaBackend>();
    if (desktop == QLatin1String("sway") || desktop == QLatin1String("wlroots") ||
        desktop == QLatin1String("hyprland") || desktop == QLatin1String("river"))
        return std::make_unique<SwayBackend>();
    return nullptr;
}

} // namespace

std::unique_ptr<DesktopBackend> createDesktopBackend(const QString &monitorName) {
    QString desktops = qEnvironmentVariable("ROTAFOND_DESKTOP");
    if (desktops.isEmpty())
        desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first.
    for (const QString &desktop : desktops.toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (std::unique_ptr<DesktopBackend> backend = backendNamed(desktop, monitorName))
            return backend;
    // A Wayland compositor draws its own background; XWayland's root window
    // is never seen.
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"))
        return std::make_unique<UnsupportedBackend>(
            QStringLiteral("Rotafond cannot set the wallpaper on this Wayland desktop"));
    return std::make_unique<X11RootBackend>();
}
