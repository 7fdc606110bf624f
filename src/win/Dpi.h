#pragma once
// Pictures at the size a window's screen wants. The program is DPI aware, so the system no
// longer enlarges its windows as bitmaps: dialogs grow with their font, and every picture is
// taken from the 100 %, 150 % or 200 % drawing that fits.

#include <windows.h>
#include <commctrl.h>

#include "win/UniqueHandle.h"

namespace win {

// A picture's drawings for screens at 150 % and 200 % are resources whose ids are its 100 % id
// plus these.
constexpr int kPictureAt150 = 1000;
constexpr int kPictureAt200 = 2000;

// The dots per inch the window is drawn at: its own where the system knows it (Windows 10
// and later), else the screen's.
UINT WindowDpi(HWND window);

// A length given in pixels at 96 DPI, at dpi: column widths, which the system does not scale.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), 96);
}

// The bitmap resource picture (its 100 % id) at exactly its 100 % size scaled to dpi: the
// prepared drawing of that size, or the next larger one made smaller, never an enlarged one.
UniqueGdiObject<HBITMAP> LoadPicture(HINSTANCE module, int picture, UINT dpi);

// Shows in a static picture control the picture that fits the control's DPI. The bitmap
// returned is the one the control shows: the caller keeps it while the control lives. At 96 DPI
// the control keeps the picture its template gave it and nothing is returned.
UniqueGdiObject<HBITMAP> FitPicture(HWND control, int picture);

// An image list of square images cut from a strip of pictures (white is transparent), from
// the prepared strip that fits dpi, so each image stays whole pixels of its own drawing.
UniqueImageList LoadImageStrip(HINSTANCE module, int strip, UINT dpi);

}  // namespace win
