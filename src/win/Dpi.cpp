#include "win/Dpi.h"

namespace win {

namespace {

// The prepared sizes are ids apart: the smallest that is at least as large as dpi wants.
int PreparedPicture(int picture, UINT dpi) {
    if (dpi <= 96)
        return picture;
    return picture + (dpi <= 144 ? kPictureAt150 : kPictureAt200);
}

HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
    return static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The prepared drawing of picture that fits dpi, or its 100 % drawing in a module without the
// larger ones.
HBITMAP LoadPreparedBitmap(HINSTANCE module, int picture, UINT dpi) {
    if (HBITMAP prepared = LoadBitmapResource(module, PreparedPicture(picture, dpi)))
        return prepared;
    return LoadBitmapResource(module, picture);
}

// The size of a bitmap resource from its header, without loading its pixels.
bool ResourceSize(HINSTANCE module, int id, SIZE& size) {
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (!resource || ::SizeofResource(module, resource) < sizeof(BITMAPINFOHEADER))
        return false;
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, resource)));
    if (!header)
        return false;
    size = {header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
    return true;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

// A copy of source at width x height, averaged over the source pixels each target pixel covers.
HBITMAP Scaled(HBITMAP source, SIZE from, SIZE to) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = to.cx;
    info.bmiHeader.biHeight = to.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP target = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!target)
        return nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC in = ::CreateCompatibleDC(screen);
    HDC out = ::CreateCompatibleDC(screen);
    HGDIOBJ oldIn = ::SelectObject(in, source);
    HGDIOBJ oldOut = ::SelectObject(out, target);
    ::SetStretchBltMode(out, HALFTONE);
    ::SetBrushOrgEx(out, 0, 0, nullptr);
    ::StretchBlt(out, 0, 0, to.cx, to.cy, in, 0, 0, from.cx, from.cy, SRCCOPY);
    ::SelectObject(in, oldIn);
    ::SelectObject(out, oldOut);
    ::DeleteDC(in);
    ::DeleteDC(out);
    ::ReleaseDC(nullptr, screen);
    return target;
}

}  // namespace

UINT WindowDpi(HWND window) {
    // GetDpiForWindow is new in Windows 10; older systems give every window the screen's DPI.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UniqueGdiObject<HBITMAP> LoadPicture(HINSTANCE module, int picture, UINT dpi) {
    SIZE base{};
    if (!ResourceSize(module, picture, base))
        return {};
    const SIZE want{::MulDiv(base.cx, static_cast<int>(dpi), 96),
                    ::MulDiv(base.cy, static_cast<int>(dpi), 96)};
    UniqueGdiObject<HBITMAP> prepared(LoadPreparedBitmap(module, picture, dpi));
    if (!prepared)
        return {};
    const SIZE have = BitmapSize(prepared.get());
    if (have.cx == want.cx && have.cy == want.cy)
        return prepared;
    return UniqueGdiObject<HBITMAP>(Scaled(prepared.get(), have, want));
}

UniqueGdiObject<HBITMAP> FitPicture(HWND control, int picture) {
    const UINT dpi = WindowDpi(control);
    if (dpi == 96)
        return {};
    UniqueGdiObject<HBITMAP> fitting = LoadPicture(::GetModuleHandleW(nullptr), picture, dpi);
    if (!fitting)
        return {};
    // The control does not delete a picture it is given, nor the one it loaded from its
    // template when that is replaced: the old one is ours to delete.
    auto old = reinterpret_cast<HBITMAP>(
        ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fitting.get())));
    if (old && old != fitting.get())
        ::DeleteObject(old);
    return fitting;
}

UniqueImageList LoadImageStrip(HINSTANCE module, int strip, UINT dpi) {
    UniqueGdiObject<HBITMAP> bitmap(LoadPreparedBitmap(module, strip, dpi));
    if (!bitmap)
        return {};
    const SIZE size = BitmapSize(bitmap.get());
    const int count = size.cy > 0 ? size.cx / size.cy : 0;
    UniqueImageList list(::ImageList_Create(size.cy, size.cy, ILC_COLOR24 | ILC_MASK, count, 0));
    if (list)
        ::ImageList_AddMasked(list.get(), bitmap.get(), RGB(255, 255, 255));
    return list;
}

}  // namespace win
