// The switches of the unattended mode: what a deployment system may ask of the program
// on its command line, read into typed options or refused with a reason before anything
// happens.
//
// A switch starts with "/" or "-" and is matched without regard to case; a value is the
// next argument. Without arguments the program is the wizard. Each switch is one row of a
// table (switches.cpp): its names, its value and that value's field, what it needs and
// what it excludes, its line in the usage text and the option it sets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/medium/install_request.h"
#include "engine/messages/messages.h"

namespace engine {

// The text shown for /? and /help, built from the rows, in the language given (the log's
// is English).
std::u16string UsageText(Language language);

struct SetupOptions {
    bool quiet = false;                     // /quiet: no window and no box at all
    bool noDefault = false;                 // /nodefault: leave the default printer as it is
    bool testPage = false;                  // /testpage: print a test page when installed
    bool uninstall = false;                 // /uninstall: remove the model's printers and driver
    bool update = false;                    // /update: the new driver for the printers kept
    bool whatIf = false;                    // /whatif: say what would be done, change nothing
    bool help = false;                      // /? or /help
    std::optional<std::u16string> model;    // /model ENTRY: the catalogue entry
    std::optional<std::u16string> port;     // /port NAME
    std::optional<std::u16string> logFile;  // /log FILE
};

enum class SetupMode {
    Wizard,  // no switches, or only /log
    Usage,   // /? or /help
    Quiet,   // /quiet
};

SetupMode ModeOf(const SetupOptions& options);

struct ParsedSwitches {
    bool accepted = false;
    // When refused: quiet as the line asks, and the switches read before the refusal.
    SetupOptions options;
    // Why the command line was refused: in the log's words (English), the message for the
    // box, and the exit code for it.
    std::u16string refusal;
    std::optional<Message> reason;
    std::uint32_t exitCode = 0;
};

// The arguments after the program name.
ParsedSwitches ParseSwitches(const std::vector<std::u16string>& arguments);
// A whole command line as the program was given it, program name first.
ParsedSwitches ParseCommandLine(std::u16string_view line);

// What the switches ask of an installation, as its request takes it (the port is the one
// given; the unattended mode puts the spooler's spelling, or the attached printer's, in
// its place).
InstallChoices InstallChoicesOf(const SetupOptions& options);

}  // namespace engine
