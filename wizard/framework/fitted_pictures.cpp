#include "wizard/framework/fitted_pictures.h"

#include <cstdlib>
#include <cwchar>
#include <utility>

namespace {

bool ShowsStretchedBitmap(HWND control) {
    wchar_t className[16] = {};
    if (!::GetClassNameW(control, className, 16) || ::_wcsicmp(className, L"Static") != 0) return false;
    auto style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
    return (style & SS_TYPEMASK) == SS_BITMAP && (style & SS_REALSIZECONTROL) && !(style & SS_CENTERIMAGE);
}

}  // namespace

BitmapHandle StretchBitmap(HBITMAP source, int width, int height) {
    BITMAP size = {};
    if (!source || width <= 0 || height <= 0 || ::GetObjectW(source, sizeof(size), &size) != sizeof(size)) return {};

    MemoryDc sourceDc(::CreateCompatibleDC(nullptr));
    MemoryDc targetDc(::CreateCompatibleDC(nullptr));
    if (!sourceDc || !targetDc) return {};
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapHandle target(::CreateDIBSection(targetDc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target) return {};

    SelectedObject from(sourceDc.get(), source);
    SelectedObject to(targetDc.get(), target.get());
    if (!from.Selected() || !to.Selected()) return {};
    // HALFTONE wants the brush origin set after it (SetStretchBltMode).
    ::SetStretchBltMode(targetDc.get(), HALFTONE);
    ::SetBrushOrgEx(targetDc.get(), 0, 0, nullptr);
    if (!::StretchBlt(targetDc.get(), 0, 0, width, height, sourceDc.get(), 0, 0, size.bmWidth, std::abs(size.bmHeight),
                      SRCCOPY)) {
        return {};
    }
    return target;
}

void CFittedPictures::Fit(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!ShowsStretchedBitmap(child)) continue;
        RECT client = {};
        if (!::GetClientRect(child, &client)) continue;
        auto shown = reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BitmapHandle fitted = StretchBitmap(shown, client.right, client.bottom);
        // Without a copy the static goes on stretching the picture itself.
        if (!fitted) continue;
        // The bitmap handed back is the one the static loaded from the template; whoever
        // takes it out of the static deletes it (STM_SETIMAGE).
        BitmapHandle previous(reinterpret_cast<HBITMAP>(
            ::SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fitted.get()))));
        for (const BitmapHandle& own : pictures) {
            if (own.get() == previous.get()) (void)previous.take();
        }
        pictures.push_back(std::move(fitted));
    }
}
