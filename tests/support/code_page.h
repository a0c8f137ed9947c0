// Wide text in a Windows code page (CP_ACP, CP_UTF8, 936 ...), for tests and test-only
// programs that write files or compare bytes the way the system does.
#pragma once

#include <windows.h>

#include <string>

inline std::string ToCodePage(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                  nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

inline std::wstring FromCodePage(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}
