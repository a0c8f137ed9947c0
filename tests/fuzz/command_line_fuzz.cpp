// The program's command line (UTF-16LE input): splitting it as Windows does and reading
// the switches from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/run/arguments.h"
#include "engine/run/switches.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string line;
    for (std::size_t i = 0; i + 1 < size; i += 2) line.push_back(char16_t(data[i] | data[i + 1] << 8));

    std::vector<std::u16string> arguments = engine::SplitCommandLine(line);
    if (arguments.empty()) std::abort();  // the program name is always there
    std::size_t characters = 0;
    for (const auto& argument : arguments) characters += argument.size();
    if (characters > line.size()) std::abort();  // splitting never adds text

    engine::ParsedSwitches parsed = engine::ParseCommandLine(line);
    if (parsed.accepted != parsed.refusal.empty()) std::abort();  // a refusal always says why
    if (!parsed.accepted && parsed.exitCode != 1639) std::abort();
    for (const auto* value : {&parsed.options.model, &parsed.options.port, &parsed.options.logFile}) {
        if (parsed.accepted && *value && value->value().find(u'"') != std::u16string::npos) std::abort();
    }
    return 0;
}
