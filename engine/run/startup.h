// What the program does when it starts, decided from its command line and the facts of
// the machine: end at once with a report (a refused command line, the usage, a folder
// path too long, a failed hand-over, another setup running, a damaged catalogue), end
// with the exit code of the x64 program it handed the run over to, or run the unattended
// mode or the wizard. The program's entry point only carries the decision out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/machine/machine.h"
#include "engine/medium/medium_check.h"
#include "engine/medium/medium_paths.h"
#include "engine/run/single_instance.h"
#include "engine/run/switches.h"
#include "engine/run/wow64_handover.h"
#include "platform/protected_print.h"
#include "platform/types.h"

namespace engine {

enum class StartAction {
    End,        // end with exitCode, after the report when there is one
    RunQuiet,   // the unattended mode
    RunWizard,
};

// Told before the program ends: in the log, and in a box unless the run is quiet.
struct StartReport {
    std::u16string logText;
    std::u16string boxText;
    std::u16string caption;
    platform::Dword boxType = 0;  // the box's icon (MB_ICON...)
};

// A line for the log of a run that goes on.
struct StartNote {
    std::u16string text;
    platform::Dword error = 0;
};

struct StartDecision {
    StartAction action = StartAction::End;
    std::uint32_t exitCode = 0;
    // False when the x64 program ran in this one's place: it kept the log. Then only a
    // note on its signature's chain is written, after it.
    bool writesLog = true;
    std::optional<StartReport> report;
    std::vector<StartNote> notes;
};

// The facts the decision reads, each asked at most once and only when the decision comes
// to it: the hand-over runs the x64 program, and the setup lock is held from then on.
class StartFacts {
public:
    virtual bool FolderFits() = 0;
    virtual HandOver HandOverIfNeeded() = 0;
    virtual InstanceStatus TakeSetupLock() = 0;
    virtual CatalogueProblem CheckCatalogue() = 0;
    virtual const std::u16string& CatalogueFile() const = 0;
    // Asked only of a run that would install a driver.
    virtual platform::ProtectedPrintReading ReadProtectedPrint() = 0;

protected:
    ~StartFacts() = default;
};

StartDecision DecideStart(const ParsedSwitches& parsed, StartFacts& facts);

// The facts of this machine through the seam. Holds the setup lock for as long as it
// lives, so it lives as long as the run.
class SystemStartFacts final : public StartFacts {
public:
    // machine: whether this program hands over to the x64 one; signer: the certificate the
    // x64 program must be signed with, if this build has one.
    SystemStartFacts(MediumFiles medium, bool folderFits, const Machine& machine,
                     std::optional<platform::Sha256> signer)
        : medium_(std::move(medium)),
          folderFits_(folderFits),
          handOver_(machine.HandsOverToX64()),
          x64Runs_(machine.x64ProgramsRun),
          signer_(signer) {}

    bool FolderFits() override { return folderFits_; }
    HandOver HandOverIfNeeded() override;
    InstanceStatus TakeSetupLock() override;
    CatalogueProblem CheckCatalogue() override;
    const std::u16string& CatalogueFile() const override { return medium_.catalogueFile; }
    platform::ProtectedPrintReading ReadProtectedPrint() override;

private:
    MediumFiles medium_;
    bool folderFits_;
    bool handOver_;
    bool x64Runs_;
    std::optional<platform::Sha256> signer_;
    std::optional<SingleInstance> lock_;
};

}  // namespace engine
