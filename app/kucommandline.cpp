#include "kucommandline.h"

#include <cstdlib>
#include <cstring>

#include "kuversion.h"

namespace {

// Qt's own options (QGuiApplication, QApplication and the X11 platform), with one or
// two leading dashes as Qt takes them; those that take a value take it as the next
// argument or after "=".
const char* const qtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                      "qwindowicon", "qwindowtitle", "style", "stylesheet", "session", "display",
                                      "geometry", "title", "name", "icon", "visual", "qmljsdebugger"};
const char* const qtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

const char usage[] = "Usage: velmoran [OPTION]...\n"
                     "Velmoran trading terminal: log in to the broker's trading server and follow\n"
                     "quotes, order books, last trades, charts, orders, positions and money.\n"
                     "\n"
                     "  -h, --help        show this help and exit\n"
                     "  -v, --version     show the version and exit\n"
                     "\n"
                     "Qt's options are taken as well, for example:\n"
                     "  -platform NAME    the windowing platform (xcb, wayland, offscreen)\n"
                     "  -display DISPLAY  the X display to use\n"
                     "  -style NAME       the widget style\n"
                     "  -reverse          right-to-left layout\n"
                     "\n"
                     "Environment: VELMORAN_INSTANCE_KEY, VELMORAN_CONN_TIMINGS, VELMORAN_MAINLINK_HOST,\n"
                     "VELMORAN_SPARELINK_HOST, XDG_CONFIG_HOME, XDG_DATA_HOME (see velmoran(1)).\n"
                     "Only one instance runs at a time. The user guide opens with F1.\n";

// The option's name without its dashes and any "=value"; empty for what is no option.
std::string optionName(const char* argument)
{
    if (argument[0] != '-' || argument[1] == '\0')
        return std::string();
    const char* name = argument + (argument[1] == '-' ? 2 : 1);
    const char* equals = std::strchr(name, '=');
    return equals ? std::string(name, equals) : std::string(name);
}

template <size_t N>
bool listed(const char* const (&names)[N], const std::string& name)
{
    for (const char* known : names)
        if (name == known)
            return true;
    return false;
}

} // namespace

kuCommandLine readCommandLine(int argc, char** argv)
{
    kuCommandLine result;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const std::string name = optionName(argument);
        if (name == "h" || name == "help")
            return {kuCommandLine::Help, usage};
        if (name == "v" || name == "version")
            return {kuCommandLine::Version, std::string("velmoran ") + VELMORAN_VERSION + "\n"};
        if (listed(qtFlagOptions, name))
            continue;
        if (listed(qtValueOptions, name)) {
            if (!std::strchr(argument, '=') && ++i >= argc)
                return {kuCommandLine::Refused, "velmoran: option '" + std::string(argument) +
                                                        "' needs a value (see velmoran --help)\n"};
            continue;
        }
        const std::string what = name.empty() ? "unexpected argument '" : "unknown option '";
        result = {kuCommandLine::Refused, "velmoran: " + what + argument + "' (see velmoran --help)\n"};
        // A later --help or --version still answers.
    }
    return result;
}

bool displayNamed(int argc, char** argv)
{
    std::string platform;
    if (const char* chosen = std::getenv("QT_QPA_PLATFORM"))
        platform = chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string name = optionName(argv[i]);
        if (name == "display")
            return true;
        if (name != "platform")
            continue;
        const char* equals = std::strchr(argv[i], '=');
        platform = equals ? equals + 1 : (i + 1 < argc ? argv[i + 1] : "");
    }
    // "xcb" first in a list of fall-backs is still X11 first.
    if (!platform.empty() && platform.compare(0, 3, "xcb") != 0)
        return true;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}
