#pragma once
// The typed-address cleaner: shows the browser's typed-address history (TypedUrlHistory) as a list
// with check boxes and deletes the ticked entries.

#include <windows.h>

#include <string>
#include <vector>

#include "tools/TypedUrls.h"
#include "win/Dialog.h"
#include "win/ListView.h"

class TypedUrlsDialog : public win::Dialog {
  public:
    win::ListView List() const { return list_; }
    // The value name a row carries, or "" for no row.
    std::string RowName(int row) const;

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    // Lists every entry of the history, unticked, in enumeration order.
    void Fill();
    // Deletes the ticked entries, refills the list and keeps the selection's position.
    void ClearTicked();
    void TickAll(bool ticked);

    TypedUrlHistory history_{HKEY_CURRENT_USER, kTypedUrlsKey};
    // The listed entries; each list row carries its index here as item data.
    std::vector<TypedUrl> rows_;
    win::ListView list_;
};
