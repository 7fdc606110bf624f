#pragma once
// The typed-address cleaner: lists the addresses the web browser keeps of what the user typed into
// its address bar (one registry value each) and deletes the ticked ones.

#include <windows.h>

#include <string>

#include "win/Dialog.h"
#include "win/ListView.h"

// The browser's typed-address history under HKEY_CURRENT_USER.
extern const char* const kTypedUrlsKey;

// The list text of the value name of an open key. A string that fits the 255-byte buffer shows as
// it is. A longer string shows its first 254 characters and "..." (the list is for recognising
// an address, and the whole text would only be cut by the column). A value that holds no string
// shows "_TypedUrlsNotText" with its name, so that it can still be found and ticked. An
// unreadable value shows an empty text.
std::string TypedUrlText(HKEY key, const std::string& name);

class TypedUrlsDialog : public win::Dialog {
  public:
    win::ListView List() const { return list_; }
    // The value name a row carries, or "" for no row.
    std::string RowName(int row) const;

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnDestroy() override;

  private:
    // Lists every value of the key (creating the key when it is missing), unticked, in
    // enumeration order.
    void Fill();
    // Deletes the ticked values, refills the list and keeps the selection's position.
    void ClearTicked();
    void TickAll(bool ticked);

    win::ListView list_;
};
