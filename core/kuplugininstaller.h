#pragma once

#include <QString>

// Carries out at start-up what the plug-in manager marked in table "plugins",
// before any plug-in library is loaded: removals first, then installations.
class kuPluginInstaller
{
public:
    static void removePendingPlugins();
    static void installPendingPlugins();

    // The private folder (mode 0700) where downloads wait for the next start;
    // empty when it cannot be made or is not ours.
    static QString downloadFolder();
};
