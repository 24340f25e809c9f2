#include "apppaths.h"

#include <QStandardPaths>

AppPaths AppPaths::standard() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {config + QStringLiteral("/Rotafond/Rotafond.conf"), data + QStringLiteral("/Rotafond"),
            config + QStringLiteral("/autostart"), config + QStringLiteral("/Rotafond")};
}
