#pragma once
// Keeps the values of one registry key under HKEY_CURRENT_USER of the test prefix as they were,
// and puts them back when the test is done; a key that was not there is removed again, with the
// keys above it that were not there either.

#include <windows.h>

#include <string>
#include <vector>

namespace test {

class RegistrySnapshot {
  public:
    explicit RegistrySnapshot(std::string keyPath) : keyPath_(std::move(keyPath)) {
        HKEY key = nullptr;
        existed_ = ::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!existed_) {
            for (std::string path = Parent(keyPath_); !path.empty() && !Exists(path); path = Parent(path))
                missingAncestors_.push_back(path);
            return;
        }
        for (DWORD index = 0;; ++index) {
            char name[16384];
            DWORD nameLength = sizeof(name);
            DWORD type = 0, size = 0;
            if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                break;
            Value value{std::string(name, nameLength), type, std::vector<BYTE>(size)};
            ::RegQueryValueExA(key, value.name.c_str(), nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
            values_.push_back(std::move(value));
        }
        ::RegCloseKey(key);
    }
    RegistrySnapshot(const RegistrySnapshot&) = delete;
    RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

    ~RegistrySnapshot() {
        Clear();
        if (!existed_) {
            ::RegDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str());
            for (const std::string& path : missingAncestors_)
                ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
            return;
        }
        HKEY key = nullptr;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, keyPath_.c_str(), &key) != ERROR_SUCCESS)
            return;
        for (const Value& value : values_)
            ::RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size()));
        ::RegCloseKey(key);
    }

    // Removes every value of the key (the key itself stays, if it exists).
    void Clear() const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        for (;;) {
            char name[16384];
            DWORD nameLength = sizeof(name);
            if (::RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (::RegDeleteValueA(key, name) != ERROR_SUCCESS)
                break;
        }
        ::RegCloseKey(key);
    }

    // Sets one value of the key, creating the key when needed.
    void Set(const std::string& name, DWORD type, const void* data, DWORD size) const {
        HKEY key = nullptr;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, keyPath_.c_str(), &key) != ERROR_SUCCESS)
            return;
        ::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }
    void SetText(const std::string& name, const std::string& text) const {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

  private:
    static std::string Parent(const std::string& path) {
        const size_t cut = path.rfind('\\');
        return cut == std::string::npos ? std::string() : path.substr(0, cut);
    }
    static bool Exists(const std::string& path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::string keyPath_;
    bool existed_ = false;
    std::vector<std::string> missingAncestors_;  // deepest first
    std::vector<Value> values_;
};

}  // namespace test
