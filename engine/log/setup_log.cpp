#include "engine/log/setup_log.h"

#include <algorithm>

#include "engine/limits.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {

using text::Quoted;

const char16_t kDefaultLogName[] = u"tamrin-setup.log";

namespace {

// The system's texts are short; one that does not fit is left out.
constexpr platform::Dword kMessageCapacity = 512;
constexpr platform::Dword kHighBit = 0x80000000;

// Appends text as UTF-8 through a fixed buffer, with control characters as blanks.
void AppendUtf8(std::string& line, std::u16string_view source) {
    char chunk[1024];
    while (!source.empty()) {
        text::Utf8Converted part = text::ToUtf8Bounded(source, chunk, sizeof chunk);
        if (part.consumed == 0) break;
        for (std::size_t i = 0; i < part.written; ++i) {
            // Multi-byte sequences have only bytes of 0x80 and up.
            if (static_cast<unsigned char>(chunk[i]) < 0x20 && chunk[i] != '\t') chunk[i] = ' ';
        }
        line.append(chunk, part.written);
        source.remove_prefix(part.consumed);
    }
}

}  // namespace

std::string TimeStamp(const platform::SystemTime& time) {
    using text::Decimal;
    return text::ToUtf8(Decimal(time.year, 4) + u'-' + Decimal(time.month, 2) + u'-' + Decimal(time.day, 2) + u' ' +
                        Decimal(time.hour, 2) + u':' + Decimal(time.minute, 2) + u':' + Decimal(time.second, 2));
}

std::u16string ErrorText(platform::Dword error) {
    std::u16string out = u"error ";
    if (error & kHighBit) {
        out += u"0x" + text::Hex(error, 8, true);
    } else {
        out += text::Decimal(error);
    }

    char16_t message[kMessageCapacity];
    platform::Dword n =
        platform::Get<platform::LogFiles>().FormatSystemMessage(error, message, kMessageCapacity);
    if (n >= kMessageCapacity) n = 0;  // not the documented result; trust none of it
    std::u16string_view system(message, n);
    while (!system.empty() && (system.back() == u'\r' || system.back() == u'\n' || system.back() == u' ')) {
        system.remove_suffix(1);
    }
    if (system.empty()) return out + u" (the system has no text for it)";
    return out + u": " + std::u16string(system);
}

std::optional<std::u16string> DefaultLogPath() {
    // GetTempPath2W's longest result is MAX_PATH + 1 characters.
    char16_t folder[kPathCapacity + 2];
    constexpr auto kSize = static_cast<platform::Dword>(sizeof folder / sizeof folder[0]);
    platform::Dword n = platform::Get<platform::LogFiles>().GetTempPath2W(kSize, folder);
    if (n == 0 || n >= kSize) return std::nullopt;
    std::u16string path(folder, n);
    if (path.back() != u'\\' && path.back() != u'/') path += u'\\';
    path += kDefaultLogName;
    if (path.size() >= kPathCapacity) return std::nullopt;
    return path;
}

platform::Outcome SetupLog::Open(const std::u16string& path, LogOwner owner) {
    file_.reset();
    OpenedLogFile opened = OpenLogFile(path, owner);
    if (!opened.file.ok()) return platform::OutcomeOf(opened.file);
    file_.reset(opened.file.value);
    if (!opened.divertedBecause.empty()) {
        Write(u"This log is written here, not to " + Quoted(path) + u", which may not serve: " +
              opened.divertedBecause);
    }
    return platform::Outcome{true};
}

bool SetupLog::Write(std::u16string_view text) {
    if (!IsOpen()) return false;
    auto& files = platform::Get<platform::LogFiles>();
    platform::SystemTime now{};
    files.GetLocalTime(&now);
    std::string line = TimeStamp(now);
    line += ' ';
    AppendUtf8(line, text);
    line += "\r\n";

    // One write per line, so that lines of two runs appending at once do not interleave.
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        auto size = static_cast<platform::Dword>(std::min<std::size_t>(left, 0x40000000));
        platform::Dword written = 0;
        if (!files.WriteFile(file_.get(), data, size, &written).ok() || written == 0 || written > size)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

bool SetupLog::WriteError(std::u16string_view text, platform::Dword error) {
    if (!IsOpen()) return false;
    return Write(std::u16string(text) + u": " + ErrorText(error));
}

}  // namespace engine
