#pragma once

#include <QString>
#include <QStringList>

// The program's folders. They depend only on the home and program folders, so
// the data path reads them without an application object.
namespace kuPaths {

// ~/.config/Velmoran, made when missing.
QString configPath();
// The settings file used when no settings row is active.
QString defaultSettingsFile();
// Where widget and connection plug-ins are looked for: the user's folder first,
// then "plugins" beside the program; both made when missing.
QStringList pluginPaths();

} // namespace kuPaths
