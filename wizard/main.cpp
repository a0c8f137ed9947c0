// Program entry: confine library loading to the system directory, read the command line,
// and carry out what the engine decides the program does (engine/startup.h): end with a
// report, end with the x64 program's exit code, or run the unattended mode or the wizard.
#include <windows.h>

#include <cstdint>

#include "engine/run/exit_codes.h"
#include "engine/machine/machine.h"
#include "engine/printer_installer.h"
#include "engine/run/startup.h"
#include "engine/run/log_target.h"
#include "engine/run/unattended.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/text.h"
#include "tamrin_signer.h"
#include "tamrin_version.h"
#include "wizard/utf16.h"
#include "wizard/run_log.h"
#include "wizard/tamrin_app.h"

namespace {

// The program usually runs elevated from a folder that others can write to, so no
// library may ever be loaded from there. SetDefaultDllDirectories is looked up rather
// than imported: a Windows 7 without its update lacks it, and the program must still
// start there (where it falls back to taking the current folder out of the search).
void LoadLibrariesFromSystemOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                   ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

// The certificate tamrin64.exe must be signed with before the x86 program starts it: the
// one a release is signed with (tools/package compiles its SHA-256 in). A build without
// one starts it unchecked.
static_assert(sizeof TAMRIN_SIGNER_THUMBPRINT == 1 || sizeof TAMRIN_SIGNER_THUMBPRINT == 65,
              "the signer's thumbprint is 64 hexadecimal digits");
std::optional<platform::Sha256> ExpectedSigner() {
    if (sizeof TAMRIN_SIGNER_THUMBPRINT == 1) return std::nullopt;
    // Malformed text (the build refuses it) expects a signer no certificate has.
    return engine::ParseThumbprint(TAMRIN_SIGNER_THUMBPRINT).value_or(platform::Sha256{});
}

void OpenLog(const engine::SetupOptions& options, const engine::Machine& machine) {
    std::optional<engine::LogTarget> target = engine::LogPathFor(options);
    if (!target || !RunLog().Open(target->path, target->owner).ok()) return;
    const char16_t* program = machine.program == engine::Architecture::Amd64 ? u"x64" : u"x86";
    RunLog().Write(u"Setup " TAMRIN_VERSION_TEXT " (" + std::u16string(program) + u") started: " +
                   std::u16string(AsU16(::GetCommandLineW())));
}

int End(std::uint32_t code) {
    RunLog().Write(u"Exit code " + text::Decimal(static_cast<long long>(code)));
    RunLog().Close();
    return static_cast<int>(code);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemOnly();
    const engine::ParsedSwitches parsed =
        engine::ParseCommandLine(AsU16(::GetCommandLineW()));
    const engine::Machine machine = engine::ReadMachine();
    // Lives as long as the run: it holds the lock that keeps a second setup out.
    engine::SystemStartFacts facts(theInstaller.Medium(), theInstaller.ProgramDirFits() != 0, machine,
                                   ExpectedSigner());
    const engine::StartDecision decision = engine::DecideStart(parsed, facts);
    if (!decision.writesLog) return static_cast<int>(decision.exitCode);

    OpenLog(parsed.options, machine);
    for (const engine::StartNote& note : decision.notes) RunLog().WriteError(note.text, note.error);
    switch (decision.action) {
        case engine::StartAction::End:
            if (const auto& report = decision.report) {
                RunLog().Write(report->logText);
                if (!parsed.options.quiet) {
                    platform::Get<platform::MessageBoxes>().MessageBoxW(nullptr, report->boxText.c_str(),
                                                                        report->caption.c_str(), report->boxType);
                }
            }
            return End(decision.exitCode);
        case engine::StartAction::RunQuiet:
            return End(engine::RunUnattended(parsed.options, theInstaller.Medium(), RunLog()));
        case engine::StartAction::RunWizard:
            break;
    }
    CTamrinApp app;
    return End(static_cast<std::uint32_t>(app.Run()));
}
