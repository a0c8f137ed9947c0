#include "engine/log/log_file_open.h"

#include "engine/log/setup_log.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {
namespace {

constexpr platform::Dword kShare = platform::kFileShareRead | platform::kFileShareWrite;
constexpr platform::Dword kNoLinks = platform::kFileAttributeNormal | platform::kFileFlagOpenReparsePoint;
// The longest SID string there is (SECURITY_MAX_SID_STRING_CHARACTERS is 187).
constexpr platform::Dword kSidCapacity = 192;
// Names beside that are taken already: planted, or left by a run in the same millisecond.
constexpr int kBesideAttempts = 8;

const char16_t kSystemSid[] = u"S-1-5-18";
const char16_t kAdministratorsSid[] = u"S-1-5-32-544";

// Why the opened file may not serve as the log; empty when it may.
std::u16string Refusal(platform::Handle file, LogOwner owner, bool madeByThisOpen) {
    auto& files = platform::Get<platform::LogFiles>();
    platform::FileInformation info;
    platform::Result<platform::Bool> read = files.GetFileInformationByHandle(file, &info);
    if (!read.ok()) return u"what it is cannot be read: " + ErrorText(read.error);
    if (info.attributes & platform::kFileAttributeReparsePoint)
        return u"it is a link or another reparse point";
    if (info.attributes & platform::kFileAttributeDirectory) return u"it is a folder";
    if (info.numberOfLinks != 1) {
        return u"it is a file with " + text::Decimal(info.numberOfLinks) + u" names (hard links), not one";
    }
    // A file this open made is this run's own, whatever owner the system gives new files.
    if (owner == LogOwner::Anyone || madeByThisOpen) return {};
    char16_t sid[kSidCapacity] = {};
    platform::Result<platform::Bool> got = files.GetFileOwnerSid(file, sid, kSidCapacity);
    if (!got.ok()) return u"its owner cannot be read: " + ErrorText(got.error);
    if (text::Equal(sid, kSystemSid) || text::Equal(sid, kAdministratorsSid)) return {};
    return u"it is owned by " + std::u16string(sid) + u", not by SYSTEM or the Administrators group";
}

}  // namespace

std::u16string BesideName(const std::u16string& path, const platform::SystemTime& time,
                          platform::Dword processId, int attempt) {
    const std::size_t slash = path.find_last_of(u"\\/");
    const std::size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    std::u16string name = path.substr(nameStart);
    if (name.empty()) name = kDefaultLogName;
    std::size_t dot = name.rfind(u'.');
    if (dot == 0 || dot == std::u16string::npos) dot = name.size();

    using text::Decimal;
    std::u16string unique = u'-' + Decimal(time.year, 4) + Decimal(time.month, 2) + Decimal(time.day, 2) + u'-' +
                            Decimal(time.hour, 2) + Decimal(time.minute, 2) + Decimal(time.second, 2) + u'-' +
                            Decimal(time.milliseconds, 3) + u'-' + Decimal(processId);
    if (attempt > 0) unique += u'-' + Decimal(attempt + 1);
    return path.substr(0, nameStart) + name.substr(0, dot) + unique + name.substr(dot);
}

OpenedLogFile OpenLogFile(const std::u16string& path, LogOwner owner) {
    auto& files = platform::Get<platform::LogFiles>();
    platform::Dword access = platform::kFileAppendData | platform::kFileReadAttributes;
    if (owner == LogOwner::SystemOrAdministrators) access |= platform::kReadControl;
    platform::Result<platform::Handle> opened =
        files.CreateFileW(path.c_str(), access, kShare, platform::kOpenAlways, kNoLinks);

    OpenedLogFile result;
    if (opened.ok()) {
        platform::LogFileHandle file(opened.value);
        result.divertedBecause = Refusal(file.get(), owner, opened.error != platform::kErrorAlreadyExists);
        if (result.divertedBecause.empty()) {
            result.file = {file.take(), 0};
            return result;
        }
    } else {
        // A folder of that name does not open as a file.
        result.divertedBecause = u"it cannot be opened as a file: " + ErrorText(opened.error);
    }

    platform::SystemTime now{};
    files.GetLocalTime(&now);
    const platform::Dword processId = files.GetCurrentProcessId();
    result.file = {platform::kInvalidHandle, 0};
    for (int attempt = 0; attempt < kBesideAttempts; ++attempt) {
        const std::u16string beside = BesideName(path, now, processId, attempt);
        platform::Result<platform::Handle> made = files.CreateFileW(beside.c_str(), platform::kFileAppendData,
                                                                    kShare, platform::kCreateNew, kNoLinks);
        if (made.ok()) {
            result.file = {made.value, 0};
            return result;
        }
        result.file.error = made.error;
        if (made.error != platform::kErrorFileExists && made.error != platform::kErrorAlreadyExists) break;
    }
    return result;
}

}  // namespace engine
