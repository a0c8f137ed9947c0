#include "engine/run/switches.h"

#include <bitset>

#include "engine/run/arguments.h"
#include "engine/run/exit_codes.h"
#include "engine/limits.h"
#include "platform/text.h"

namespace engine {

// No columns: the text is shown in a message box, whose font is proportional.
const char16_t kUsageText[] =
    u"Usage:\r\n"
    u"tamrin64.exe /quiet [/model ENTRY] [/port NAME] [/nodefault] [/testpage] [/whatif] [/log FILE]\r\n"
    u"tamrin64.exe /quiet /uninstall /model ENTRY [/whatif] [/log FILE]\r\n"
    u"tamrin64.exe [/log FILE] opens the setup wizard; tamrin64.exe /? shows this text.\r\n"
    u"tamrin32.exe takes the same switches.\r\n"
    u"\r\n"
    u"/quiet: install or remove without a window or message box.\r\n"
    u"/model ENTRY: the model to install or remove, as the catalogue names it.\r\n"
    u"/port NAME: the printer port (default: the attached printer's USB port).\r\n"
    u"/nodefault: do not make the printer the default printer.\r\n"
    u"/testpage: print a test page after the installation.\r\n"
    u"/uninstall: remove the model's printers and driver (needs /model).\r\n"
    u"/whatif: write what would be done to the log; change nothing.\r\n"
    u"/log FILE: append the log to FILE (default with /quiet: %TEMP%\\tamrin-setup.log).\r\n"
    u"/?, /help: show this text.\r\n"
    u"Switches may start with / or - and are not case-sensitive.\r\n"
    u"\r\n"
    u"Exit codes: 0 success; 3010 success, restart Windows before using the printer; "
    u"1602 cancelled by the user; 1603 the installation or removal failed, see the log; "
    u"1618 another setup is running; 1639 invalid command line.\r\n";

namespace {

enum Switch { kQuiet, kModel, kPort, kNoDefault, kTestPage, kUninstall, kLog, kWhatIf, kHelp, kSwitchCount };

struct SwitchName {
    const char16_t* name;
    Switch id;
    bool takesValue;
};

constexpr SwitchName kSwitches[] = {
    {u"quiet", kQuiet, false},
    {u"model", kModel, true},
    {u"port", kPort, true},
    {u"nodefault", kNoDefault, false},
    {u"testpage", kTestPage, false},
    {u"uninstall", kUninstall, false},
    {u"log", kLog, true},
    {u"whatif", kWhatIf, false},
    {u"?", kHelp, false},
    {u"help", kHelp, false},
};

// The canonical spelling, for reasons about combinations.
const char16_t* NameOf(Switch id) {
    for (const SwitchName& s : kSwitches) {
        if (s.id == id) return s.name;
    }
    return u"";
}

bool IsSwitch(std::u16string_view argument, std::u16string_view name) {
    if (argument.size() != name.size() + 1) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (text::UpperAscii(argument[i + 1]) != text::UpperAscii(name[i])) return false;
    }
    return true;
}

bool LooksLikeSwitch(const std::u16string& argument) {
    return !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
}

// An argument quoted in a reason is cut there, so that an absurdly long one keeps the log
// line short.
constexpr std::size_t kShownCharacters = 64;

// The options read so far stay: a refused line with /quiet shows no box, and one with
// /log writes the reason there.
ParsedSwitches Refuse(ParsedSwitches result, std::u16string reason) {
    result.refusal = std::move(reason);
    result.exitCode = kExitInvalidCommandLine;
    return result;
}

// Why a switch's value cannot be taken, or nothing.
std::optional<std::u16string> ValueProblem(Switch id, const std::u16string& value) {
    std::u16string name = std::u16string(u"/") + NameOf(id);
    if (value.find(u'"') != std::u16string::npos) return name + u" value holds a double quote";
    std::size_t capacity = id == kLog ? kPathCapacity : kNameCapacity;
    if (value.size() >= capacity) {
        return name + u" value is too long (" + text::Decimal(static_cast<long long>(value.size())) +
               u" characters; at most " + text::Decimal(static_cast<long long>(capacity - 1)) + u")";
    }
    // A model or port ends up between quotes on the printer interface's command line,
    // where a final backslash would escape the closing quote.
    if (id != kLog && text::BreaksQuotes(value.c_str())) return name + u" value ends in a backslash";
    return std::nullopt;
}

}  // namespace

SetupMode ModeOf(const SetupOptions& options) {
    if (options.help) return SetupMode::Usage;
    return options.quiet ? SetupMode::Quiet : SetupMode::Wizard;
}

ParsedSwitches ParseSwitches(const std::vector<std::u16string>& arguments) {
    ParsedSwitches result;
    SetupOptions& options = result.options;
    std::bitset<kSwitchCount> seen;
    // Known before anything is refused: whatever is wrong, a quiet run shows no box.
    for (const std::u16string& argument : arguments) {
        if (IsSwitch(argument, u"quiet") && LooksLikeSwitch(argument)) options.quiet = true;
    }

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        const std::u16string quoted = text::Quoted(argument, kShownCharacters);
        if (!LooksLikeSwitch(argument)) return Refuse(std::move(result), u"unexpected argument " + quoted);
        const SwitchName* match = nullptr;
        for (const SwitchName& s : kSwitches) {
            if (IsSwitch(argument, s.name)) match = &s;
        }
        if (!match) return Refuse(std::move(result), u"unknown switch " + quoted);
        if (seen[match->id]) return Refuse(std::move(result), u"switch given twice: " + quoted);
        seen[match->id] = true;

        if (!match->takesValue) {
            switch (match->id) {
                case kQuiet:
                    options.quiet = true;
                    break;
                case kNoDefault:
                    options.noDefault = true;
                    break;
                case kTestPage:
                    options.testPage = true;
                    break;
                case kUninstall:
                    options.uninstall = true;
                    break;
                case kWhatIf:
                    options.whatIf = true;
                    break;
                default:
                    options.help = true;
                    break;
            }
            continue;
        }
        if (i + 1 == arguments.size() || LooksLikeSwitch(arguments[i + 1])) {
            return Refuse(std::move(result), quoted + u" needs a value");
        }
        const std::u16string& value = arguments[++i];
        if (value.empty()) return Refuse(std::move(result), quoted + u" has an empty value");
        if (auto problem = ValueProblem(match->id, value)) return Refuse(std::move(result), *problem);
        (match->id == kModel ? options.model : match->id == kPort ? options.port : options.logFile) = value;
    }

    if (seen[kHelp]) {
        for (Switch other : {kModel, kPort, kNoDefault, kTestPage, kUninstall, kLog, kWhatIf}) {
            if (seen[other]) return Refuse(std::move(result), u"/? cannot be combined with /" + std::u16string(NameOf(other)));
        }
    }
    if (!options.quiet) {
        for (Switch needsQuiet : {kUninstall, kModel, kPort, kNoDefault, kTestPage, kWhatIf}) {
            if (seen[needsQuiet]) return Refuse(std::move(result), u"/" + std::u16string(NameOf(needsQuiet)) + u" needs /quiet");
        }
    }
    if (options.uninstall) {
        if (!options.model) return Refuse(std::move(result), u"/uninstall needs /model");
        for (Switch installOnly : {kPort, kNoDefault, kTestPage}) {
            if (seen[installOnly]) {
                return Refuse(std::move(result), u"/uninstall cannot be combined with /" + std::u16string(NameOf(installOnly)));
            }
        }
    }
    result.accepted = true;
    return result;
}

ParsedSwitches ParseCommandLine(std::u16string_view line) {
    std::vector<std::u16string> arguments = SplitCommandLine(line);
    arguments.erase(arguments.begin());
    return ParseSwitches(arguments);
}

}  // namespace engine
