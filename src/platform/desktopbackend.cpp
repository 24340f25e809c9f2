#include "desktopbackend.h"

#include "desktops/gsettingsbackend.h"
#include "desktops/lxqtbackend.h"
#include "desktops/nullbackend.h"
#include "desktops/plasmabackend.h"
#include "desktops/swaybackend.h"
#include "desktops/x11rootbackend.h"
#include "desktops/xfcebackend.h"

std::unique_ptr<DesktopBackend> createDesktopBackend(const QString &monitorName) {
    QString desktops = qEnvironmentVariable("ROTAFOND_DESKTOP");
    if (desktops.isEmpty())
        desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first.
    for (const QString &desktop : desktops.toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
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
            return std::make_unique<XfceBackend>(monitorName);
        if (desktop == QLatin1String("lxqt"))
            return std::make_unique<LxqtBackend>();
        if (desktop == QLatin1String("kde"))
            return std::make_unique<PlasmaBackend>();
        if (desktop == QLatin1String("sway") || desktop == QLatin1String("wlroots") ||
            desktop == QLatin1String("hyprland") || desktop == QLatin1String("river"))
            return std::make_unique<SwayBackend>();
    }
    return std::make_unique<X11RootBackend>();
}
