// A program path for the installer's constructor, with Windows' truncation rule.
#pragma once

#include <string>

#include "platform/module.h"
#include "platform/services.h"
#include "platform/text.h"

class FakeModule final : public platform::Module {
public:
    explicit FakeModule(std::u16string path) : path_(std::move(path)), scope_(*this) {}

    platform::Dword GetModuleFileNameW(char16_t* buffer, platform::Dword size) override {
        if (size == 0) return 0;
        text::Copy(buffer, size, path_.c_str());
        return path_.size() >= size ? size : static_cast<platform::Dword>(path_.size());
    }

private:
    std::u16string path_;
    platform::ScopedService<platform::Module> scope_;
};
