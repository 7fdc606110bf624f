#pragma once
// The public face of the Logwright activity log component: its class, its one custom interface
// and the control ids of its viewer. Both the component and its callers include this header.

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

// ProgID under which the component registers itself.
#define LOGWRIGHT_PROGID L"Logwright.Log"

// {A012166D-C978-4D10-A03F-04C178F9CE57}
inline const CLSID CLSID_LogwrightLog = {
    0xa012166d, 0xc978, 0x4d10, {0xa0, 0x3f, 0x04, 0xc1, 0x78, 0xf9, 0xce, 0x57}};

// {CA827A94-2822-403E-993C-40A69435F261}
inline const IID IID_ILogwrightLog = {
    0xca827a94, 0x2822, 0x403e, {0x99, 0x3c, 0x40, 0xa6, 0x94, 0x35, 0xf2, 0x61}};

// The log object also is a property page ({B196B28D-BAB4-101A-B69C-00AA00341D07}) that shows the
// log inside any property frame; ShowViewer hosts such a page in its own modal window.
//
// Every string is a BSTR (UTF-16, any code unit allowed, embedded NULs kept). Entry indices of
// GetEntry and GetEntryText count from the newest entry (0) in the snapshot that GetEntryCount
// took last; without one, the first of them takes it.
struct ILogwrightLog : public IUnknown {
    // Shows the entries in a modal window owned by the window handle 'owner' (0 for none).
    // 'viewer' is the property page to show in it; null, or anything that is not a page, shows
    // the component's own page. Returns when the window closes.
    virtual HRESULT STDMETHODCALLTYPE ShowViewer(long owner, IUnknown* viewer) = 0;
    // Sets the folder under which the entries are kept; it is created when the first entry comes.
    virtual HRESULT STDMETHODCALLTYPE SetDataPath(BSTR path) = 0;
    // The folder set last, as a full path; S_FALSE and an empty string when none was set.
    virtual HRESULT STDMETHODCALLTYPE GetDataPath(BSTR* path) = 0;
    // Reads the entries afresh and returns how many there are.
    virtual HRESULT STDMETHODCALLTYPE GetEntryCount(long* count) = 0;
    // One entry's fields; 'time' is local time as "YYYY-MM-DD hh:mm:ss". Null pointers are skipped.
    virtual HRESULT STDMETHODCALLTYPE GetEntry(long index, BSTR* time, BSTR* type, BSTR* category,
                                               BSTR* subcategory, BSTR* source) = 0;
    // One entry's text.
    virtual HRESULT STDMETHODCALLTYPE GetEntryText(long index, BSTR* text) = 0;
    // Appends one entry stamped with the current local time.
    virtual HRESULT STDMETHODCALLTYPE AddEntry(BSTR type, BSTR category, BSTR subcategory, BSTR source,
                                               BSTR text) = 0;
};

// {5D0C2F7E-8A61-4B7B-9C2E-3F4A1B6D8E90}
inline const IID IID_ILogwrightViewerTexts = {
    0x5d0c2f7e, 0x8a61, 0x4b7b, {0x9c, 0x2e, 0x3f, 0x4a, 0x1b, 0x6d, 0x8e, 0x90}};

// The viewer's words in the caller's language, and the locale that writes its times: the log
// object answers QueryInterface for it. Until a text is set the viewer shows its English one, and
// times in the user's locale.
struct ILogwrightViewerTexts : public IUnknown {
    // Sets one of logwright_viewer::ViewerText; an empty text goes back to the component's own.
    virtual HRESULT STDMETHODCALLTYPE SetViewerText(long item, BSTR text) = 0;
};

// The viewer window, for programs that drive it (tests, accessibility tools).
namespace logwright_viewer {
// What ILogwrightViewerTexts::SetViewerText sets.
enum ViewerText : long {
    kCaptionText = 0,  // the window's caption and the property page's title
    kTimeColumn = 1,   // the list's column titles
    kCategoryColumn = 2,
    kSubcategoryColumn = 3,
    kSourceColumn = 4,
    kCloseButton = 5,  // the frame's one button
    kLocaleName = 6,   // a Windows locale name ("de-DE") for the times in the list
    kViewerTextCount = 7,
};
inline constexpr const wchar_t* kCaption = L"Activity Log";
inline constexpr int kListId = 1001;  // report list: time, category, subcategory, source
inline constexpr int kTextId = 1002;  // read-only text of the selected entry
inline constexpr int kPageId = 1000;  // the page window inside the frame
// The frame's Close button is IDCANCEL; Esc closes it as well.
}  // namespace logwright_viewer
