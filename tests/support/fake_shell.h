// The shell, message boxes and pauses in memory, for the tests of the operations that
// start rundll32: every start, wait, close, message and pause is recorded, and a start
// can be made to fail with an error code or to act (for example, to create the printer
// the started command installs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/timing.h"
#include "tests/support/fake_kernel_objects.h"

class FakeShell final : public platform::Shell, public KernelObjectsFake {
public:
    using Dword = platform::Dword;

    struct Start {
        Dword mask;
        platform::Handle window;
        std::u16string verb, file, parameters;
        std::u16string directory;  // the working folder; empty when none is given
        int show;
    };

    bool startFails = false;
    Dword startError = 0;
    bool giveProcess = true;
    std::u16string systemDirectory = u"C:\\Windows\\system32";
    long systemDirectoryResult = -1;  // when not -1, what GetSystemDirectoryW returns
    // Runs at every successful start with the parameters, as the started program would.
    std::function<void(const std::u16string&)> onStart;

    std::vector<Start> starts;
    std::vector<Dword> waits;  // the time-outs of the waits on the started process
    int processesOpen = 0;
    int badCloses = 0;

    platform::Result<platform::Bool> ShellExecuteExW(platform::ShellExecuteInfo* info) override {
        starts.push_back({info->mask, info->window, Text(info->verb), Text(info->file),
                          Text(info->parameters), Text(info->directory), info->show});
        info->process = nullptr;
        if (startFails) return {0, startError};
        if (giveProcess) {
            info->process = &process_;
            ++processesOpen;
        }
        if (onStart) onStart(Text(info->parameters));
        return {1};
    }
    unsigned GetSystemDirectoryW(char16_t* buffer, unsigned size) override {
        if (systemDirectoryResult >= 0) return static_cast<unsigned>(systemDirectoryResult);
        if (systemDirectory.size() >= size) return static_cast<unsigned>(systemDirectory.size() + 1);
        text::Copy(buffer, size, systemDirectory.c_str());
        return static_cast<unsigned>(systemDirectory.size());
    }

private:
    bool GaveOut(platform::Handle object) const override { return object == &process_; }
    Dword Wait(platform::Handle process, Dword milliseconds) override {
        if (process != &process_ || processesOpen == 0) ++badCloses;
        waits.push_back(milliseconds);
        return 0;
    }
    platform::Bool Close(platform::Handle process) override {
        if (process != &process_ || processesOpen == 0) {
            ++badCloses;
            return 0;
        }
        --processesOpen;
        return 1;
    }

    static std::u16string Text(const char16_t* s) { return s ? s : u""; }

    char process_ = 0;
    platform::ScopedService<platform::Shell> scope_{*this};
};

class RecordingMessageBoxes final : public platform::MessageBoxes {
public:
    struct Box {
        platform::Handle owner;
        std::u16string text, caption;
        platform::Dword type;
    };
    std::vector<Box> shown;

    int MessageBoxW(platform::Handle owner, const char16_t* text, const char16_t* caption,
                    platform::Dword type) override {
        shown.push_back({owner, text ? text : u"", caption ? caption : u"", type});
        return platform::kIdOk;
    }

private:
    platform::ScopedService<platform::MessageBoxes> scope_{*this};
};

class RecordingTiming final : public platform::Timing {
public:
    std::vector<platform::Dword> sleeps;
    std::uint64_t now = 0;  // the clock, which only the sleeps move
    void Sleep(platform::Dword milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
    std::uint64_t GetTickCount64() override { return now; }

private:
    platform::ScopedService<platform::Timing> scope_{*this};
};
