// Owners of GDI objects: a bitmap (or any object DeleteObject ends) and a memory device
// context, on the one owner template of the program.
#pragma once

#include <windows.h>

#include "platform/scoped_handle.h"

template <class Handle>
struct GdiObjectTraits {
    using handle_type = Handle;
    static Handle GetInvalid() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};
using BitmapHandle = platform::ScopedHandle<GdiObjectTraits<HBITMAP>>;

// A device context made by CreateCompatibleDC (not one from GetDC, which ReleaseDC ends).
struct MemoryDcTraits {
    using handle_type = HDC;
    static HDC GetInvalid() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};
using MemoryDc = platform::ScopedHandle<MemoryDcTraits>;

// Selects an object into a device context for the owner's lifetime, then puts the previous
// one back (an object must not be deleted while it is selected).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc(dc), previous(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous && previous != HGDI_ERROR) ::SelectObject(dc, previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    bool Selected() const { return previous && previous != HGDI_ERROR; }

private:
    HDC dc;
    HGDIOBJ previous;
};
