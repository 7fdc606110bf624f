#pragma once
// The browser's typed-address history: the addresses the user typed into its address bar, one
// registry value each (the value's name identifies the entry, its string data is the address).
// Listed and pruned here, with the key passed in; the typed-address dialog only shows them.

#include <windows.h>

#include <string>
#include <vector>

// The browser's typed-address history under HKEY_CURRENT_USER.
extern const char* const kTypedUrlsKey;

// The list text of the value name of an open key. A string that fits the 255-byte buffer shows as
// it is. A longer string shows its first 254 characters and "..." (the list is for recognising
// an address, and the whole text would only be cut by the column). A value that holds no string
// shows "_TypedUrlsNotText" with its name, so that it can still be found and ticked. An
// unreadable value shows an empty text.
std::string TypedUrlText(HKEY key, const std::string& name);

struct TypedUrl {
    std::string name;  // the registry value's name
    std::string text;  // what the list shows of it (TypedUrlText)
    // The value as it was read, whole: it is deleted only while it still holds exactly this.
    DWORD type = REG_NONE;
    std::vector<unsigned char> data{};
};

class TypedUrlHistory {
  public:
    TypedUrlHistory(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey)) {}

    // Every value of the key, in enumeration order, whatever the length of its name; the key is
    // created when it is missing.
    std::vector<TypedUrl> Read() const;
    // Deletes the values the user reviewed, each only while it still holds what was read (a value
    // that is gone, or that holds another address now, is left alone); the key stays.
    void Delete(const std::vector<TypedUrl>& reviewed) const;

  private:
    HKEY root_;
    std::string subKey_;
};
