#pragma once
// The viewer window: a resizable modal frame with a Close button around one property page. The
// page is the caller's IPropertyPage when one is given and can be activated, otherwise the log's
// own panel (LogPanel) on the data path.

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "ViewerTexts.h"

namespace logwright {

// Runs the modal viewer owned by 'owner' (may be null) and returns when it closes: S_OK, or the
// failure when the window could not be made. 'pageObject' is handed to the page's SetObjects.
// The caption, the button and the own panel speak 'texts'.
HRESULT ShowLogViewer(HWND owner, const std::wstring& dataPath, IPropertyPage* page, IUnknown* pageObject,
                      const ViewerTexts& texts);

}  // namespace logwright
