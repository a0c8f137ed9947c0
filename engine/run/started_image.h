// Whether a program started suspended runs the very file whose signature was checked: the
// file its process maps as its image, opened by the name the process gives for it, has the
// identity (volume serial number and file ID) of the checked file, which is held open
// without write or delete sharing from its check until this decision, so that it can be
// neither changed nor moved away. Names are never compared: one file has many (hard
// links, junctions, a volume's drive letter and its device name).
#pragma once

#include <string>

#include "engine/run/run_program.h"
#include "platform/kernel_objects.h"
#include "platform/signed_files.h"
#include "platform/types.h"

namespace engine {

// In this order: ImageRefusal reads its reasons by it.
enum class ImageFinding {
    TheFileChecked,
    AnotherFile,
    NameUnreadable,      // the process gives no name for its image
    FileUnopened,        // no file opens by that name
    IdentityUnreadable,  // the identity of the image's file or of the checked one cannot be read
};

struct StartedImage {
    ImageFinding finding = ImageFinding::NameUnreadable;
    std::u16string name;                    // the name the image's file was opened by (or last tried)
    platform::FileIdentity checked, image;  // once both were read
    platform::Dword error = 0;              // why the image could not be compared
};

// Lets a process run only when its image is the file `checked`, which it closes once it
// has decided.
class SameFileGate final : public StartGate {
public:
    explicit SameFileGate(platform::KernelObject checked) : checked_(std::move(checked)) {}

    bool LetsRun(platform::Handle process) override;
    const StartedImage& Seen() const { return seen_; }

private:
    platform::KernelObject checked_;
    StartedImage seen_;
};

// Why a process was kept from running, for the log.
std::u16string ImageRefusal(const StartedImage& seen);

}  // namespace engine
