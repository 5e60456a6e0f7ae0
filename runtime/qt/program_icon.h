// The window's icon: the program's own icon set, as the build draws it
// (icons/hicolor/NxN/apps/NAME.png, each size drawn for its size). GUI
// thread only.
#pragma once

#include <QIcon>
#include <QString>

namespace korvex {

// The icon of the program at `executable` (default: the running one), named
// after the executable's file name: the sizes found beside it (a build
// folder) or under ../share/icons (an installed program), else the icon
// theme's icon of that name, else a null icon.
QIcon ProgramIcon(const QString& executable = {});

}  // namespace korvex
