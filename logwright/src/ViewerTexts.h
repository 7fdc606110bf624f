#pragma once
// The words the viewer shows and the locale of its times, as the caller set them through
// ILogwrightViewerTexts; the component's English until then.

#include <windows.h>

#include <Logwright.h>

#include <array>
#include <string>

namespace logwright {

class ViewerTexts {
  public:
    // The text of item, or its English default when none was set.
    const std::wstring& Get(long item) const;
    // False for an item that does not exist; an empty text restores the default.
    bool Set(long item, const std::wstring& text);

  private:
    std::array<std::wstring, logwright_viewer::kViewerTextCount> set_;
};

// A time in the list, as the locale (empty: the user's) writes its short date and time, with seconds.
std::wstring DisplayTime(const SYSTEMTIME& time, const std::wstring& locale);

}  // namespace logwright
