// The x86 program on 64-bit Windows. There Windows refuses plug-and-play driver updates
// from a 32-bit process, redirects it to the 32-bit rundll32 and printer interface, and
// deletes drivers of the x86 environment for it; so the x86 program hands the whole run
// over to the x64 program beside it and passes its exit code on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/run/signature_check.h"
#include "engine/run/started_image.h"
#include "platform/signed_files.h"
#include "platform/types.h"

namespace engine {

extern const char16_t kX64ProgramName[];  // "tamrin64.exe"

enum class HandOverOutcome {
    NotNeeded,       // this program does the work itself (Machine::HandsOverToX64)
    Finished,        // the x64 program ran; exitCode is its exit code
    ProgramMissing,  // no x64 program beside this one
    StartFailed,     // it is there but could not be started; error says why
    Refused,         // its signature is not the expected one; it was not started
    X64NotRunnable,  // this Windows (ARM64 before Windows 11) runs no x64 program
    // Started suspended, its image was not shown to be the file whose signature was
    // checked (image says why); it was ended before it ran.
    NotTheFileChecked,
};

struct HandOver {
    HandOverOutcome outcome = HandOverOutcome::NotNeeded;
    std::uint32_t exitCode = 0;
    platform::Dword error = 0;  // NotTheFileChecked: why it could not be ended, if it could not
    std::u16string program;     // the x64 program's full path
    // When a signer is expected: what the x64 program's signature showed, the check it was
    // judged on and the signer expected.
    std::optional<SignatureFinding> signature;
    platform::SignatureCheck check;
    platform::Sha256 expected{};
    StartedImage image;  // NotTheFileChecked: what the started program's image showed
};

// What follows the program's own name in a command line, as Windows' parser
// (SplitCommandLine) ends the name: at the closing quote when it starts with one, else at
// the first blank or tab.
std::u16string_view ArgumentsOf(std::u16string_view commandLine);

// The x64 program's command line: its full path in quotes, then the arguments as given.
std::u16string HandOverCommandLine(std::u16string_view program, std::u16string_view arguments);

// Starts the x64 program from `folder` (its full path, never a search) with this
// program's arguments, waits for it and gives its exit code. With a signer, it
// is started only when its signature is intact and made with that certificate, and then
// suspended: it runs only when its image is the file checked, held open without write or
// delete sharing from the check until then, so that no link or junction on its path,
// changed in between, makes another file run in its place.
HandOver HandOverToX64Program(std::u16string_view folder, const std::optional<platform::Sha256>& signer);

}  // namespace engine
