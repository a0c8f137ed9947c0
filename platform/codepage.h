// Conversion of 8-bit text (from devices and driver INF files) to UTF-16.
#pragma once

#include "platform/types.h"

namespace platform {

constexpr Dword kThreadAnsiCodePage = 3;  // CP_THREAD_ACP

struct CodePage {
    // As MultiByteToWideChar: srcLength -1 means up to and including the terminating
    // zero; returns the number of UTF-16 units written (or needed when dstCapacity is 0),
    // 0 on failure.
    virtual int MultiByteToWideChar(Dword codePage, Dword flags, const char* src, int srcLength, char16_t* dst,
                                    int dstCapacity) = 0;

protected:
    ~CodePage() = default;
};

}  // namespace platform
