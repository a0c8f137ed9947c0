// The seam's spellings of Windows types as the Windows calls take them. Each pair has the
// same layout (the larger records are asserted where they are forwarded), so a pointer
// passes through unchanged.
#pragma once

#include <windows.h>

#include "platform/guid.h"
#include "platform/types.h"

namespace platform {

static_assert(sizeof(char16_t) == sizeof(wchar_t));
static_assert(sizeof(Dword) == sizeof(DWORD));
static_assert(sizeof(Guid) == sizeof(GUID));

struct Overlapped;

inline const wchar_t* AsWide(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* AsWide(char16_t* s) {
    return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* AsU16(const wchar_t* s) {
    return reinterpret_cast<const char16_t*>(s);
}
// For calls that only read a string but take it through a non-const pointer (winspool's).
inline wchar_t* AsMutableWide(const char16_t* s) {
    return const_cast<wchar_t*>(AsWide(s));
}
inline DWORD* AsDword(Dword* d) {
    return reinterpret_cast<DWORD*>(d);
}
inline const GUID* AsGuid(const Guid* g) {
    return reinterpret_cast<const GUID*>(g);
}
inline OVERLAPPED* AsOverlapped(Overlapped* o) {
    return reinterpret_cast<OVERLAPPED*>(o);
}
inline HKEY AsHkey(Key k) {
    return static_cast<HKEY>(k);
}

}  // namespace platform
