// Pictures of a dialog drawn at the size of their frames. A bitmap static (SS_BITMAP) with
// SS_REALSIZECONTROL keeps the frame its template gives it, which grows with the dialog
// font and so with the DPI, while its picture keeps its own pixel size; the static then
// stretches the picture itself, without smoothing. Fitting gives each such static a copy of
// its picture drawn once at the frame's size with halftone stretching.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "wizard/framework/gdi_handle.h"

// A copy of source drawn at width x height pixels: a 24-bit DIB section (no alpha, so a
// static control shows this very bitmap rather than a copy of it), stretched with HALFTONE.
// Invalid when source is no bitmap or a size is not positive.
BitmapHandle StretchBitmap(HBITMAP source, int width, int height);

class CFittedPictures {
public:
    // Gives every static of dialog that shows a bitmap stretched to its size
    // (SS_BITMAP | SS_REALSIZECONTROL, without SS_CENTERIMAGE) a copy of that bitmap drawn
    // at the size of its client area. Call once the controls exist (WM_INITDIALOG).
    void Fit(HWND dialog);
    // Deletes the copies; only once the statics that show them are gone (the dialog's
    // WM_NCDESTROY comes after its children's).
    void Release() { pictures.clear(); }
    std::size_t Count() const { return pictures.size(); }

private:
    std::vector<BitmapHandle> pictures;
};
