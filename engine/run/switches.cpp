#include "engine/run/switches.h"

#include <bitset>

#include "engine/limits.h"
#include "engine/messages/messages.h"
#include "engine/run/arguments.h"
#include "engine/run/exit_codes.h"
#include "platform/text.h"

namespace engine {
namespace {

enum Switch { kQuiet, kUninstall, kUpdate, kModel, kPort, kNoDefault, kTestPage, kWhatIf, kLog, kHelp, kSwitchCount };

constexpr unsigned Bit(Switch id) { return 1u << id; }

struct SwitchRow {
    Switch id;
    const char16_t* name;   // as the usage text and the reasons write it
    const char16_t* alias;  // another name, or none
    const char16_t* value;  // the value's name in the usage text; none: the switch takes no value
    std::size_t capacity;   // the value's field, in characters with its terminator
    // The value stands between quotes on the printer interface's command line, where a
    // final backslash would escape the closing quote.
    bool quoted;
    unsigned needs;     // the switches it needs, checked first, in the order of the rows
    unsigned excludes;  // the switches it cannot be combined with
    MessageId usage;  // its line in the usage text
    void (*set)(SetupOptions& options, std::u16string value);
};

constexpr unsigned kInstallOnly = Bit(kPort) | Bit(kNoDefault) | Bit(kTestPage);
constexpr unsigned kAllButQuiet = ((1u << kSwitchCount) - 1) & ~Bit(kQuiet) & ~Bit(kHelp);

// In the order of the usage text, which is also the order the rules are checked in.
constexpr SwitchRow kSwitches[] = {
    {kQuiet, u"quiet", nullptr, nullptr, 0, false, 0, 0, MessageId::UsageQuiet,
     [](SetupOptions& o, std::u16string) { o.quiet = true; }},
    {kUninstall, u"uninstall", nullptr, nullptr, 0, false, Bit(kQuiet) | Bit(kModel), kInstallOnly,
     MessageId::UsageUninstall,
     [](SetupOptions& o, std::u16string) { o.uninstall = true; }},
    {kUpdate, u"update", nullptr, nullptr, 0, false, Bit(kQuiet) | Bit(kModel), Bit(kUninstall),
     MessageId::UsageUpdate,
     [](SetupOptions& o, std::u16string) { o.update = true; }},
    {kModel, u"model", nullptr, u"ENTRY", kNameCapacity, true, Bit(kQuiet), 0,
     MessageId::UsageModel,
     [](SetupOptions& o, std::u16string v) { o.model = std::move(v); }},
    {kPort, u"port", nullptr, u"NAME", kNameCapacity, true, Bit(kQuiet), 0,
     MessageId::UsagePort,
     [](SetupOptions& o, std::u16string v) { o.port = std::move(v); }},
    {kNoDefault, u"nodefault", nullptr, nullptr, 0, false, Bit(kQuiet), 0,
     MessageId::UsageNoDefault, [](SetupOptions& o, std::u16string) { o.noDefault = true; }},
    {kTestPage, u"testpage", nullptr, nullptr, 0, false, Bit(kQuiet), 0, MessageId::UsageTestPage,
     [](SetupOptions& o, std::u16string) { o.testPage = true; }},
    {kWhatIf, u"whatif", nullptr, nullptr, 0, false, Bit(kQuiet), 0,
     MessageId::UsageWhatIf, [](SetupOptions& o, std::u16string) { o.whatIf = true; }},
    {kLog, u"log", nullptr, u"FILE", kPathCapacity, false, 0, 0,
     MessageId::UsageLog,
     [](SetupOptions& o, std::u16string v) { o.logFile = std::move(v); }},
    {kHelp, u"?", u"help", nullptr, 0, false, 0, kAllButQuiet, MessageId::UsageHelp,
     [](SetupOptions& o, std::u16string) { o.help = true; }},
};

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

const SwitchRow* RowOf(const std::u16string& argument) {
    for (const SwitchRow& row : kSwitches) {
        if (IsSwitch(argument, row.name) || (row.alias && IsSwitch(argument, row.alias))) return &row;
    }
    return nullptr;
}

std::u16string Named(const SwitchRow& row) { return u"/" + std::u16string(row.name); }

// An argument quoted in a reason is cut there, so that an absurdly long one keeps the log
// line short.
constexpr std::size_t kShownCharacters = 64;

// The options read so far stay: a refused line with /quiet shows no box, and one with
// /log writes the reason there.
ParsedSwitches Refuse(ParsedSwitches result, Message reason) {
    result.refusal = LogText(reason);
    result.reason = std::move(reason);
    result.exitCode = kExitInvalidCommandLine;
    return result;
}

// Why a switch's value cannot be taken, or nothing.
std::optional<Message> ValueProblem(const SwitchRow& row, const std::u16string& value) {
    const std::u16string name = Named(row);
    if (value.find(u'"') != std::u16string::npos) return Message(MessageId::RefusedValueQuote, {name});
    if (value.size() >= row.capacity) {
        return Message(MessageId::RefusedValueTooLong, {name, text::Decimal(static_cast<long long>(value.size())),
                                                        text::Decimal(static_cast<long long>(row.capacity - 1))});
    }
    if (row.quoted && text::BreaksQuotes(value.c_str())) return Message(MessageId::RefusedValueBackslash, {name});
    return std::nullopt;
}

// The first rule of the rows the switches seen break: what a switch needs, then what it
// excludes.
std::optional<Message> BrokenRule(const std::bitset<kSwitchCount>& seen) {
    for (const SwitchRow& row : kSwitches) {
        if (!seen[row.id]) continue;
        for (const SwitchRow& other : kSwitches) {
            if ((row.needs & Bit(other.id)) && !seen[other.id])
                return Message(MessageId::RefusedNeeds, {Named(row), Named(other)});
        }
    }
    for (const SwitchRow& row : kSwitches) {
        if (!seen[row.id]) continue;
        for (const SwitchRow& other : kSwitches) {
            if ((row.excludes & Bit(other.id)) && seen[other.id]) {
                return Message(MessageId::RefusedCombined, {Named(row), Named(other)});
            }
        }
    }
    return std::nullopt;
}

}  // namespace

// The table's heading, a line for each row, and the table's closing paragraph.
std::u16string UsageText(Language language) {
    std::u16string usage = ShownText(MessageId::UsageHeading, language) + u"\r\n\r\n";
    for (const SwitchRow& row : kSwitches) {
        usage += Named(row);
        if (row.alias) usage += u", /" + std::u16string(row.alias);
        if (row.value) usage += u" " + std::u16string(row.value);
        usage += u": " + ShownText(row.usage, language) + u"\r\n";
    }
    return usage + ShownText(MessageId::UsageSwitchForm, language) + u"\r\n\r\n" +
           ShownText(MessageId::UsageExitCodes, language) + u"\r\n";
}

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
        if (!LooksLikeSwitch(argument)) return Refuse(std::move(result), {MessageId::RefusedUnexpected, {quoted}});
        const SwitchRow* row = RowOf(argument);
        if (!row) return Refuse(std::move(result), {MessageId::RefusedUnknown, {quoted}});
        if (seen[row->id]) return Refuse(std::move(result), {MessageId::RefusedTwice, {quoted}});
        seen[row->id] = true;
        if (!row->value) {
            row->set(options, {});
            continue;
        }
        if (i + 1 == arguments.size() || LooksLikeSwitch(arguments[i + 1])) {
            return Refuse(std::move(result), {MessageId::RefusedNoValue, {quoted}});
        }
        const std::u16string& value = arguments[++i];
        if (value.empty()) return Refuse(std::move(result), {MessageId::RefusedEmptyValue, {quoted}});
        if (auto problem = ValueProblem(*row, value)) return Refuse(std::move(result), *problem);
        row->set(options, value);
    }
    if (auto broken = BrokenRule(seen)) return Refuse(std::move(result), *broken);
    result.accepted = true;
    return result;
}

ParsedSwitches ParseCommandLine(std::u16string_view line) {
    std::vector<std::u16string> arguments = SplitCommandLine(line);
    arguments.erase(arguments.begin());
    return ParseSwitches(arguments);
}

InstallChoices InstallChoicesOf(const SetupOptions& options) {
    InstallChoices choices;
    choices.port = options.port.value_or(u"");
    choices.makeDefault = !options.noDefault;
    choices.testPage = options.testPage;
    choices.quiet = options.quiet;
    choices.dryRun = options.whatIf;
    choices.update = options.update;
    return choices;
}

}  // namespace engine
