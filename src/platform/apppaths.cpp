#include "apppaths.h"

#include <QDir>
#include <QStandardPaths>

AppPaths AppPaths::standard() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return {config + QStringLiteral("/Rotafond/Rotafond.conf"), data + QStringLiteral("/Rotafond"),
            config + QStringLiteral("/autostart"), runtime};
}
