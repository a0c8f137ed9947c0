#include "engine/run/started_image.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

#include "engine/log/setup_log.h"
#include "platform/log_file.h"
#include "platform/process.h"
#include "platform/services.h"

namespace engine {
namespace {

// An object name's greatest length (a UNICODE_STRING's) with its terminator.
constexpr platform::Dword kNameCapacity = 32768;
constexpr char16_t kGlobalRoot[] = u"\\\\?\\GLOBALROOT";

// The image's name in the form asked for, after `prefix`; false, with the error, when the
// process gives none.
platform::Result<platform::Bool> ReadImageName(platform::Handle process, platform::Dword form,
                                               std::u16string_view prefix, std::u16string& name) {
    name.assign(prefix.size() + kNameCapacity, u'\0');
    name.replace(0, prefix.size(), prefix);
    platform::Dword size = kNameCapacity;
    platform::Result<platform::Bool> read = platform::Get<platform::Processes>().QueryFullProcessImageNameW(
        process, form, name.data() + prefix.size(), &size);
    name.resize(prefix.size() + (read.ok() ? std::min(size, kNameCapacity - 1) : 0));
    return read;
}

// Opened only to read what file it is: shared for everything, so that no one is kept
// from anything, and a link there is opened itself, not followed.
platform::Result<platform::Handle> OpenToIdentify(const std::u16string& path) {
    return platform::Get<platform::SignedFiles>().CreateFileW(
        path.c_str(), platform::kFileReadAttributes,
        platform::kFileShareRead | platform::kFileShareWrite | platform::kFileShareDelete,
        platform::kOpenExisting, platform::kFileFlagOpenReparsePoint);
}

// FILE_ID_INFO's 128-bit ID where the file system has one; else, as before Windows 8 or
// where the ID is zero ("for file systems that do not support a 128-bit file ID, this
// field must be set to 0 and must be ignored"), BY_HANDLE_FILE_INFORMATION's volume serial
// number and 64-bit file index.
platform::Result<platform::Bool> IdentityOf(platform::Handle file, platform::FileIdentity* identity) {
    auto& files = platform::Get<platform::SignedFiles>();
    if (files.GetFileIdInfo(file, identity).ok() && identity->fileId != std::array<std::uint8_t, 16>{}) {
        return {1};
    }
    return files.GetFileIndex(file, identity);
}

StartedImage Compare(platform::Handle process, platform::Handle checked) {
    StartedImage seen;
    // The name in the object namespace (\Device\...), opened through \\?\GLOBALROOT, names
    // the file on a volume without a drive letter and on a share as well. Where it does
    // not open (Wine opens no file below a device's name), the Win32 name is tried.
    platform::KernelObject image;
    for (platform::Dword form : {platform::kProcessNameNative, platform::Dword{0}}) {
        platform::Result<platform::Bool> named =
            ReadImageName(process, form, form == platform::kProcessNameNative ? kGlobalRoot : u"", seen.name);
        seen.finding = named.ok() ? ImageFinding::FileUnopened : ImageFinding::NameUnreadable;
        seen.error = named.error;
        if (!named.ok()) continue;
        platform::Result<platform::Handle> opened = OpenToIdentify(seen.name);
        seen.error = opened.error;
        if (opened.ok()) {
            image.reset(opened.value);
            break;
        }
    }
    if (!image) return seen;
    platform::Result<platform::Bool> read = IdentityOf(checked, &seen.checked);
    if (read.ok()) read = IdentityOf(image.get(), &seen.image);
    seen.error = read.error;
    if (!read.ok()) {
        seen.finding = ImageFinding::IdentityUnreadable;
    } else {
        seen.finding = seen.checked == seen.image ? ImageFinding::TheFileChecked : ImageFinding::AnotherFile;
    }
    return seen;
}

}  // namespace

bool SameFileGate::LetsRun(platform::Handle process) {
    seen_ = Compare(process, checked_.get());
    checked_.reset();
    return seen_.finding == ImageFinding::TheFileChecked;
}

std::u16string ImageRefusal(const StartedImage& seen) {
    static const char16_t* const kWhy[] = {
        u"",
        u"the file Windows started is not the one whose signature was checked: ",
        u"the name of the file Windows started cannot be read",
        u"the file Windows started cannot be opened as ",
        u"the identity of the file Windows started or of the one checked cannot be read",
    };
    std::u16string why = kWhy[static_cast<int>(seen.finding)];
    const bool named = seen.finding == ImageFinding::AnotherFile || seen.finding == ImageFinding::FileUnopened;
    if (named) why += seen.name;
    if (seen.finding != ImageFinding::AnotherFile) why.append(u": ").append(ErrorText(seen.error));
    return why;
}

}  // namespace engine
