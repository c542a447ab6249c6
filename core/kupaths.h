#pragma once

#include <QString>
#include <QStringList>

// The program's folders. They depend only on the home and program folders, so
// the data path reads them without an application object.
namespace kuPaths {

// $XDG_CONFIG_HOME and $XDG_DATA_HOME when set to an absolute path, else
// ~/.config and ~/.local/share.
QString configHome();
QString dataHome();
// Run from an installed tree (<prefix>/lib/velmoran/bin) rather than a build or a copy:
// such a program cannot count on writing beside itself.
bool isInstalled();
// The user guide: doc/ beside the program, or <prefix>/share/doc/velmoran when installed.
QString userGuideFile();
// configHome()/Velmoran, made when missing.
QString configPath();
// The settings file used when no settings row is active.
QString defaultSettingsFile();
// Where widget and connection plug-ins are looked for: the user's folder first,
// then "plugins" beside the program; both made when missing.
QStringList pluginPaths();

} // namespace kuPaths
