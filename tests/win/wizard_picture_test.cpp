// The wizard's picture at the DPI of the test's display (TAMRIN_LOG_PIXELS, set in the
// test's prefix; 96 when not set): each of the five page templates shows it in the frame
// the template gives it, drawn at that frame's size, and the drawn copies end with the pages.
// Also the stretching itself and which statics get a drawn copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/win/wizard_harness.h"
#include "wizard/framework/fitted_pictures.h"
#include "wizard/framework/property_page.h"
#include "wizard/framework/property_sheet.h"

namespace {

// The picture's frame in every page template, in dialog units.
constexpr RECT kPictureFrame = {0, 0, 152, 192};

using BrushHandle = platform::ScopedHandle<GdiObjectTraits<HBRUSH>>;

struct Rgb {
    int r, g, b;
};

// A bitmap of the given size whose top half has one colour and bottom half another.
BitmapHandle TwoBands(int width, int height, COLORREF top, COLORREF bottom) {
    HDC screen = ::GetDC(nullptr);
    BitmapHandle bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), bitmap.get());
    RECT upper = {0, 0, width, height / 2}, lower = {0, height / 2, width, height};
    BrushHandle topBrush(::CreateSolidBrush(top)), bottomBrush(::CreateSolidBrush(bottom));
    ::FillRect(dc.get(), &upper, topBrush.get());
    ::FillRect(dc.get(), &lower, bottomBrush.get());
    return bitmap;
}

// The pixels of a bitmap, top row first.
std::vector<Rgb> Pixels(HBITMAP bitmap, int& width, int& height) {
    BITMAP size = {};
    ::GetObjectW(bitmap, sizeof(size), &size);
    width = size.bmWidth;
    height = std::abs(size.bmHeight);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), raw.data(), &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    std::vector<Rgb> pixels;
    if (rows != height) return pixels;
    for (std::uint32_t p : raw) pixels.push_back({static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                                                   static_cast<int>(p & 0xff)});
    return pixels;
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) return {0, 0};
    return {info.bmWidth, std::abs(info.bmHeight)};
}

// ---- stretching ----

TEST(StretchBitmapTest, RefusesNoBitmapAndEmptySizes) {
    BitmapHandle source = TwoBands(4, 4, RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_FALSE(StretchBitmap(nullptr, 10, 10));
    EXPECT_FALSE(StretchBitmap(source.get(), 0, 10));
    EXPECT_FALSE(StretchBitmap(source.get(), 10, 0));
    EXPECT_FALSE(StretchBitmap(source.get(), -3, 10));
    // A handle of another kind of object is no bitmap.
    BrushHandle brush(::CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_FALSE(StretchBitmap(reinterpret_cast<HBITMAP>(brush.get()), 10, 10));
}

TEST(StretchBitmapTest, DrawsTheWholeSourceUprightAtTheRequestedSize) {
    const Rgb red = {200, 30, 40}, blue = {20, 60, 220};
    BitmapHandle source = TwoBands(6, 8, RGB(red.r, red.g, red.b), RGB(blue.r, blue.g, blue.b));
    // Up, down, and up in one direction while down in the other.
    for (SIZE target : {SIZE{15, 20}, SIZE{3, 4}, SIZE{12, 5}}) {
        BitmapHandle stretched = StretchBitmap(source.get(), target.cx, target.cy);
        ASSERT_TRUE(stretched) << target.cx << "x" << target.cy;
        BITMAP info = {};
        ASSERT_EQ(::GetObjectW(stretched.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.bmWidth, target.cx);
        EXPECT_EQ(std::abs(info.bmHeight), target.cy);
        // No alpha channel: a static control shows the very bitmap it is given.
        EXPECT_EQ(info.bmBitsPixel, 24);

        int width = 0, height = 0;
        std::vector<Rgb> pixels = Pixels(stretched.get(), width, height);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(target.cx * target.cy));
        // The top row has the top colour, the bottom row the bottom one, edge to edge.
        for (int x : {0, width - 1}) {
            EXPECT_TRUE(Near(pixels[static_cast<std::size_t>(x)], red, 24)) << target.cx << "x" << target.cy;
            EXPECT_TRUE(Near(pixels[static_cast<std::size_t>((height - 1) * width + x)], blue, 24))
                << target.cx << "x" << target.cy;
        }
    }
}

// ---- which statics get a drawn copy ----

class FittedPicturesTest : public testing::Test {
protected:
    FittedPicturesTest() {
        parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    }
    ~FittedPicturesTest() override {
        if (parent) ::DestroyWindow(parent);
    }

    // A static of the style at 40 x 30 pixels, showing a new 10 x 10 bitmap.
    HWND Static(DWORD style, HBITMAP& shown) {
        HWND control = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | style, 5, 5, 40, 30, parent,
                                         nullptr, nullptr, nullptr);
        shown = TwoBands(10, 10, RGB(0, 128, 0), RGB(128, 0, 0)).take();
        if (::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown))) {
            ADD_FAILURE() << "a new static showed a bitmap already";
        }
        return control;
    }

    static HBITMAP Shown(HWND control) {
        return reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }

    HWND parent = nullptr;
};

TEST_F(FittedPicturesTest, OnlyStaticsThatStretchTheirBitmapGetACopyOfTheirSize) {
    ASSERT_TRUE(parent);
    HBITMAP stretchedOriginal = nullptr, ownSizeOriginal = nullptr, centredOriginal = nullptr;
    HWND stretched = Static(SS_BITMAP | SS_REALSIZECONTROL, stretchedOriginal);
    HWND ownSize = Static(SS_BITMAP, ownSizeOriginal);
    HWND centred = Static(SS_BITMAP | SS_REALSIZECONTROL | SS_CENTERIMAGE, centredOriginal);
    HWND text = ::CreateWindowExW(0, L"Static", L"text", WS_CHILD | SS_LEFT | SS_REALSIZECONTROL, 0, 0, 50, 10,
                                  parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(stretched && ownSize && centred && text);
    // Without SS_REALSIZECONTROL the static took its bitmap's size (Static Control Styles,
    // SS_BITMAP); with it, it kept its own.
    RECT client = {};
    ::GetClientRect(ownSize, &client);
    EXPECT_EQ(client.right, 10);
    ::GetClientRect(stretched, &client);
    ASSERT_EQ(client.right, 40);
    ASSERT_EQ(client.bottom, 30);

    CFittedPictures pictures;
    pictures.Fit(parent);

    EXPECT_EQ(pictures.Count(), 1u);
    HBITMAP fitted = Shown(stretched);
    EXPECT_NE(fitted, stretchedOriginal);
    SIZE size = BitmapSize(fitted);
    EXPECT_EQ(size.cx, 40);
    EXPECT_EQ(size.cy, 30);
    // The static keeps its frame.
    ::GetClientRect(stretched, &client);
    EXPECT_EQ(client.right, 40);
    EXPECT_EQ(client.bottom, 30);
    // The bitmap taken out of the static is deleted by whoever took it (STM_SETIMAGE).
    EXPECT_EQ(::GetObjectType(stretchedOriginal), 0u);
    // The others keep what they showed.
    EXPECT_EQ(Shown(ownSize), ownSizeOriginal);
    EXPECT_EQ(Shown(centred), centredOriginal);

    ::DestroyWindow(parent);
    parent = nullptr;
    EXPECT_NE(::GetObjectType(fitted), 0u) << "the copy must outlive the static";
    pictures.Release();
    EXPECT_EQ(::GetObjectType(fitted), 0u);
    EXPECT_EQ(pictures.Count(), 0u);
    ::DeleteObject(ownSizeOriginal);
    ::DeleteObject(centredOriginal);
}

TEST_F(FittedPicturesTest, AStaticWithoutABitmapIsLeftAsItIs) {
    ASSERT_TRUE(parent);
    HWND empty = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | SS_BITMAP | SS_REALSIZECONTROL, 0, 0, 40, 30,
                                   parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(empty);
    CFittedPictures pictures;
    pictures.Fit(parent);
    EXPECT_EQ(pictures.Count(), 0u);
    EXPECT_EQ(Shown(empty), nullptr);
}

// ---- the five page templates at the display's DPI ----

int ExpectedDpi() {
    const char* value = std::getenv("TAMRIN_LOG_PIXELS");
    return value && *value ? std::atoi(value) : 96;
}

struct PictureState {
    bool found = false;
    RECT frame = {};   // the template's frame in pixels
    RECT client = {};  // the static's client area
    RECT window = {};  // the static, in the page's coordinates
    HBITMAP bitmap = nullptr;
    SIZE bitmapSize = {};
    Rgb middle = {};
};

PictureState ReadPicture(HWND page) {
    PictureState state;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        state.found = true;
        state.frame = kPictureFrame;
        ::MapDialogRect(page, &state.frame);
        ::GetClientRect(child, &state.client);
        ::GetWindowRect(child, &state.window);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&state.window), 2);
        state.bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        state.bitmapSize = BitmapSize(state.bitmap);
        int width = 0, height = 0;
        std::vector<Rgb> pixels = Pixels(state.bitmap, width, height);
        if (!pixels.empty()) state.middle = pixels[static_cast<std::size_t>(height / 2 * width + width / 2)];
        break;
    }
    return state;
}

TEST(WizardPictureTest, EveryPageShowsThePictureDrawnAtItsTemplateFrame) {
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, ExpectedDpi()) << "the prefix's LogPixels did not take effect";

    // The picture as the program carries it, for its colours.
    BitmapHandle original(
        reinterpret_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_WIZARD_PICTURE),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(original);
    int originalWidth = 0, originalHeight = 0;
    std::vector<Rgb> originalPixels = Pixels(original.get(), originalWidth, originalHeight);
    ASSERT_EQ(originalWidth, 228);
    ASSERT_EQ(originalHeight, 312);
    const Rgb originalMiddle =
        originalPixels[static_cast<std::size_t>(originalHeight / 2 * originalWidth + originalWidth / 2)];

    const UINT templates[] = {IDD_WELCOME_PAGE, IDD_DRIVER_PAGE, IDD_PORT_PAGE, IDD_OPTIONS_PAGE, IDD_FINISH_PAGE};
    CPropertyPage welcome(templates[0]), driver(templates[1]), port(templates[2]), options(templates[3]),
        finish(templates[4]);
    CPropertyPage* pages[] = {&welcome, &driver, &port, &options, &finish};
    std::vector<HBITMAP> shown;

    WizardHarness harness;
    CPropertySheet sheet(L"pictures", nullptr, 0);
    harness.RunWizard(sheet, {&welcome, &driver, &port, &options, &finish}, &welcome, [&](WizardDriver& wizard) {
        for (std::size_t i = 0; i < 5; ++i) {
            wizard.OnUi([&] { sheet.SetActivePage(pages[i]); });
            wizard.Settle();
            PictureState state;
            RECT page = {};
            wizard.OnUi([&] {
                state = ReadPicture(pages[i]->GetSafeHwnd());
                ::GetClientRect(pages[i]->GetSafeHwnd(), &page);
            });
            SCOPED_TRACE("template " + std::to_string(templates[i]) + " at " + std::to_string(dpi) + " DPI");
            ASSERT_TRUE(state.found);
            // The static keeps the frame the template gives it ...
            EXPECT_EQ(state.window.left, state.frame.left);
            EXPECT_EQ(state.window.top, state.frame.top);
            EXPECT_EQ(state.client.right, state.frame.right - state.frame.left);
            EXPECT_EQ(state.client.bottom, state.frame.bottom - state.frame.top);
            // ... and shows a bitmap of exactly that size, so nothing is stretched when painted.
            EXPECT_EQ(state.bitmapSize.cx, state.client.right);
            EXPECT_EQ(state.bitmapSize.cy, state.client.bottom);
            // The frame grows with the DPI: a third wider than the picture at 144, more at 192.
            if (dpi >= 144) {
                EXPECT_GE(state.bitmapSize.cx, 228 * dpi / 96 * 9 / 10);
            }
            // The whole frame lies in the page.
            EXPECT_LE(state.window.right, page.right);
            // It is the wizard's picture, not a blank or black bitmap.
            EXPECT_TRUE(Near(state.middle, originalMiddle, 40))
                << state.middle.r << "," << state.middle.g << "," << state.middle.b << " vs " << originalMiddle.r
                << "," << originalMiddle.g << "," << originalMiddle.b;
            shown.push_back(state.bitmap);
        }
        EXPECT_TRUE(wizard.Screenshot("picture-dpi" + std::to_string(dpi)));
    });

    // The drawn copies end with their pages.
    ASSERT_EQ(shown.size(), 5u);
    for (HBITMAP bitmap : shown) EXPECT_EQ(::GetObjectType(bitmap), 0u);
}

}  // namespace
