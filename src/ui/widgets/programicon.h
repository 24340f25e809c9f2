#pragma once

#include <QIcon>

// The program's icon, for the tray, the windows, the splash and the About box.
QIcon programIcon();
