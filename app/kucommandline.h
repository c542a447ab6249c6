#pragma once

#include <string>

// What the command line asks before any window: usage and version need no display,
// and an option neither ours nor Qt's is refused before Qt could take it for a file.
struct kuCommandLine
{
    enum Action { Run, Help, Version, Refused };
    Action action = Run;
    // The usage or version text, or the one line that refuses the command line.
    std::string text;
};

kuCommandLine readCommandLine(int argc, char** argv);

// Whether Qt can be asked for a screen: a platform other than X11 was chosen, or a display is named.
bool displayNamed(int argc, char** argv);
