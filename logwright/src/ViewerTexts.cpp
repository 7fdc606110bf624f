#include "ViewerTexts.h"

#include "LogRecord.h"

namespace logwright {

namespace {

// The component's own words, in the order of logwright_viewer::ViewerText.
const std::array<std::wstring, logwright_viewer::kViewerTextCount>& Defaults() {
    static const std::array<std::wstring, logwright_viewer::kViewerTextCount> texts = {
        logwright_viewer::kCaption, L"Time", L"Category", L"Subcategory", L"Source", L"Close", L""};
    return texts;
}

}  // namespace

const std::wstring& ViewerTexts::Get(long item) const {
    static const std::wstring none;
    if (item < 0 || item >= logwright_viewer::kViewerTextCount)
        return none;
    const size_t at = static_cast<size_t>(item);
    return set_[at].empty() ? Defaults()[at] : set_[at];
}

bool ViewerTexts::Set(long item, const std::wstring& text) {
    if (item < 0 || item >= logwright_viewer::kViewerTextCount)
        return false;
    set_[static_cast<size_t>(item)] = text;
    return true;
}

std::wstring DisplayTime(const SYSTEMTIME& time, const std::wstring& locale) {
    const wchar_t* name = locale.empty() ? LOCALE_NAME_USER_DEFAULT : locale.c_str();
    wchar_t date[96] = {}, clock[64] = {};
    // Two entries of one minute must read apart: the time keeps its seconds.
    if (::GetDateFormatEx(name, DATE_SHORTDATE, &time, nullptr, date, 96, nullptr) <= 0 ||
        ::GetTimeFormatEx(name, 0, &time, nullptr, clock, 64) <= 0)
        return FormatTime(time);
    return std::wstring(date) + L" " + clock;
}

}  // namespace logwright
