// SPDX-License-Identifier: GPL-3.0-or-later
// The options the program takes itself, and the ones it knows to be Qt's, so that neither is reported as unknown.
#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace keyboard {

namespace {

using namespace std::string_view_literals;

// The options QGuiApplication, QApplication and the X11 platform take out of the arguments themselves (Qt 6);
// Qt also takes each with two dashes.
constexpr std::array QtOptionsWithValue = { "platform"sv, "platformpluginpath"sv, "platformtheme"sv, "plugin"sv,
    "qwindowgeometry"sv, "qwindowicon"sv, "qwindowtitle"sv, "session"sv, "style"sv, "stylesheet"sv, "qmljsdebugger"sv,
    "display"sv, "name"sv, "visual"sv, "geometry"sv, "title"sv, "icon"sv };
constexpr std::array QtOptionsJoined = { "style="sv, "stylesheet="sv, "qmljsdebugger="sv };
constexpr std::array QtFlags
    = { "reverse"sv, "testability"sv, "widgetcount"sv, "nograb"sv, "dograb"sv, "qdevel"sv, "qdebug"sv };

constexpr const char *Usage = R"(Usage: gojuon-keyboard [OPTION]...
An on-screen Japanese kana keyboard laid out like the fifty-sound chart: click kana to write a short text,
convert it to kanji, and copy it to the clipboard to paste it elsewhere.

Converting with the mouse alone: after each key the bar under the keyboard offers the kana converted, predicted
and as typed; click an entry to take it. Its 変換 button opens the whole conversion, where 短く and 長く move a
segment's end and 確定 takes the result. The conversion key of your input method works as well.

  -h, --help       show this help and end
  -v, --version    show the program's name and version and end

For this start only, over what the settings window (設定 on the bar) keeps:
  --dwell[=SECONDS]        a key resting under the pointer for SECONDS (0.3 to 3.0) is typed
  --scan=auto|step         switch scanning: a highlight steps over the chart by itself and a
                           switch picks (auto), or one switch moves it and another picks (step)
  --scan-interval=SECONDS  the time of a scan step (0.5 to 3.0)
  --speech                 speak the key under the highlight or the pointer

Qt's own options are taken as well, among them:
  -platform NAME   the window system to use (xcb, wayland...)
  -display NAME    the X display to open the keyboard on
  -style NAME      the widget style
  -reverse         lay out right to left

Started while its keyboard is already open on the same display, the program brings that keyboard to the front,
its text unchanged, and ends instead of opening a second one.

See the manual page gojuon-keyboard(1) for more.
)";

template<std::size_t N> bool among(const std::array<std::string_view, N> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool startsWithAny(std::string_view argument, const auto &prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
        [argument](std::string_view prefix) { return argument.substr(0, prefix.size()) == prefix; });
}

// A time in seconds from `least` to `most`; none when the value is not one.
std::optional<double> seconds(std::string_view value, double least, double most)
{
    double number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(number) || number < least - 1e-9
        || number > most + 1e-9)
        return std::nullopt;
    return number;
}

} // namespace

assist::AccessSettings CommandLine::overriding(assist::AccessSettings saved) const
{
    if (dwellSeconds) {
        saved.dwell = true;
        if (*dwellSeconds > 0)
            saved.dwellSeconds = *dwellSeconds;
    }
    if (scan)
        saved.scan = *scan;
    if (scanSeconds)
        saved.scanSeconds = *scanSeconds;
    if (speech)
        saved.speech = true;
    return saved.bounded();
}

CommandLine readCommandLine(int argc, const char *const *argv)
{
    CommandLine result;
    const auto mistake = [&result](const char *before, std::string_view argument, const char *after = "") {
        std::fprintf(stderr, "%s: %s'%.*s'%s\nTry '%s --help' for more information.\n", ProgramName, before,
            int(argument.size()), argument.data(), after, ProgramName);
        result.exitStatus = 2;
        return result;
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
            return mistake("unexpected argument ", argument, ": the keyboard takes no files or text");
        if (argument == "--"sv) {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h"sv || argument == "--help"sv) {
            std::fputs(Usage, stdout);
            result.exitStatus = 0;
            return result;
        }
        if (argument == "-v"sv || argument == "--version"sv) {
            std::printf("%s %s\n", ProgramName, GOJUON_VERSION);
            result.exitStatus = 0;
            return result;
        }
        // The program's own options for dwell, scanning and speech, with their values joined by '='.
        const std::size_t equals = argument.find('=');
        const std::string_view option = argument.substr(0, equals);
        const std::optional<std::string_view> joined
            = equals == std::string_view::npos ? std::nullopt : std::optional(argument.substr(equals + 1));
        if (option == "--dwell"sv) {
            result.dwellSeconds = 0;
            if (joined
                && !(result.dwellSeconds = seconds(
                         *joined, assist::AccessSettings::MinDwellSeconds, assist::AccessSettings::MaxDwellSeconds)))
                return mistake("invalid time in ", argument, ": the dwell time is 0.3 to 3.0 seconds");
            continue;
        }
        if (option == "--scan"sv) {
            if (!joined)
                return mistake("option ", argument, " needs a value: --scan=auto or --scan=step");
            if (*joined == "auto"sv)
                result.scan = assist::ScanMode::Automatic;
            else if (*joined == "step"sv)
                result.scan = assist::ScanMode::StepByStep;
            else
                return mistake("invalid value in ", argument, ": scanning is auto or step");
            continue;
        }
        if (option == "--scan-interval"sv) {
            if (!joined)
                return mistake("option ", argument, " needs a value: --scan-interval=SECONDS");
            if (!(result.scanSeconds
                    = seconds(*joined, assist::AccessSettings::MinScanSeconds, assist::AccessSettings::MaxScanSeconds)))
                return mistake("invalid time in ", argument, ": a scan step is 0.5 to 3.0 seconds");
            continue;
        }
        if (option == "--speech"sv && !joined) {
            result.speech = true;
            continue;
        }
        const std::string_view name = argument.substr(argument.starts_with("--"sv) ? 2 : 1);
        if (among(QtFlags, name) || startsWithAny(name, QtOptionsJoined))
            continue;
        if (!among(QtOptionsWithValue, name))
            return mistake("unknown option ", argument);
        if (i + 1 >= argc)
            return mistake("option ", argument, " needs a value");
        const QByteArray value = argv[++i];
        if (name == "platform"sv)
            result.platform = value;
        else if (name == "display"sv)
            result.display = value;
    }
    return result;
}

} // namespace keyboard
