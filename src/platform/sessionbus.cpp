#include "sessionbus.h"

#include <QByteArray>

#include <sys/stat.h>

namespace {

bool userBusSocketExists() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false;
    struct stat status {};
    const QByteArray socket = runtime + "/bus";
    return ::stat(socket.constData(), &status) == 0 && S_ISSOCK(status.st_mode);
}

} // namespace

void preventSessionBusAutolaunch() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || userBusSocketExists())
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}
