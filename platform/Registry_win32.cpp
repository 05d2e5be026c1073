// The registry through advapi32's wide calls: one HKEY at a time, opened with
// full access or for reading only. Key names, value names and string data are
// UTF-8 here and UTF-16 in the registry; REG_SZ values are written with their
// terminating NUL.
#include <windows.h>

#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/WideText.h"

namespace {

HKEY RootHandle(TRootKey root)
{
    switch (root) {
    case rkClassesRoot: return HKEY_CLASSES_ROOT;
    case rkCurrentUser: return HKEY_CURRENT_USER;
    case rkLocalMachine: return HKEY_LOCAL_MACHINE;
    }
    return HKEY_CURRENT_USER;
}

bool IsStringType(DWORD kind)
{
    return kind == REG_SZ || kind == REG_EXPAND_SZ;
}

// The value's type and bytes as stored: for a string, UTF-16.
bool QueryValue(HKEY key, const std::wstring& name, DWORD& kind, std::string& data)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, '\0');
    if (RegQueryValueExW(key, name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(size);
    return true;
}

class TWin32Registry : public TRegistry {
public:
    ~TWin32Registry() override { DoCloseKey(); }

protected:
    bool DoOpenKey(TRootKey root, const std::string& path, TRegAccess access, bool create) override
    {
        const REGSAM sam = access == raRead ? KEY_READ : KEY_ALL_ACCESS;
        std::wstring wide;
        if (!WidePath(path, wide))
            return false;
        HKEY key = nullptr;
        LONG result = RegOpenKeyExW(RootHandle(root), wide.c_str(), 0, sam, &key);
        if (result != ERROR_SUCCESS && create)
            result = RegCreateKeyExW(RootHandle(root), wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam,
                                     nullptr, &key, nullptr);
        if (result != ERROR_SUCCESS)
            return false;
        FKey = key;
        return true;
    }

    void DoCloseKey() override
    {
        if (FKey != nullptr)
            RegCloseKey(FKey);
        FKey = nullptr;
    }

    bool DoReadValue(const std::string& name, TRegDataType& type, std::string& data) override
    {
        std::wstring wide;
        DWORD kind = 0;
        if (!WidePath(name, wide) || !QueryValue(FKey, wide, kind, data))
            return false;
        if (IsStringType(kind)) {
            // UTF-16 units to UTF-8; an odd last byte belongs to no character.
            data = Utf8Text(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2));
        }
        type = kind == REG_SZ          ? rdString
               : kind == REG_EXPAND_SZ ? rdExpandString
               : kind == REG_DWORD     ? rdInteger
               : kind == REG_BINARY    ? rdBinary
                                       : rdUnknown;
        return true;
    }

    bool DoWriteString(const std::string& name, const std::string& value, bool expandable) override
    {
        std::wstring wideName, wideValue;
        return WidePath(name, wideName) && WidePath(value, wideValue) &&
               RegSetValueExW(FKey, wideName.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                              reinterpret_cast<const BYTE*>(wideValue.c_str()),
                              static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    bool DoWriteInteger(const std::string& name, uint32_t value) override
    {
        const DWORD data = value;
        std::wstring wide;
        return WidePath(name, wide) && RegSetValueExW(FKey, wide.c_str(), 0, REG_DWORD,
                                                      reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    }

    bool DoDeleteValue(const std::string& name) override
    {
        std::wstring wide;
        return WidePath(name, wide) && RegDeleteValueW(FKey, wide.c_str()) == ERROR_SUCCESS;
    }

    bool DoDeleteKey(TRootKey root, const std::string& path) override
    {
        // RegDeleteKeyW leaves a key with subkeys in place on NT; the
        // subkey test keeps every system to that rule.
        std::wstring wide;
        HKEY key = nullptr;
        if (!WidePath(path, wide) || RegOpenKeyExW(RootHandle(root), wide.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD subkeys = 0;
        const LONG queried =
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr);
        RegCloseKey(key);
        return queried == ERROR_SUCCESS && subkeys == 0 && RegDeleteKeyW(RootHandle(root), wide.c_str()) == ERROR_SUCCESS;
    }

    // Values kept to be put back: names in UTF-8, the bytes exactly as stored
    // (a string's as UTF-16), so that writing them back restores them unchanged.
    bool DoReadValues(std::vector<TRegValueData>& values) override
    {
        DWORD count = 0, longestName = 0, longestData = 0;
        if (RegQueryInfoKeyW(FKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        std::wstring name(longestName + 1, L'\0');
        std::string data(longestData, '\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameSize = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD kind = 0;
            if (RegEnumValueW(FKey, i, name.data(), &nameSize, nullptr, &kind, reinterpret_cast<BYTE*>(data.data()),
                              &dataSize) != ERROR_SUCCESS)
                return false;
            values.push_back({Utf8Text(std::wstring_view(name.data(), nameSize)), kind, data.substr(0, dataSize)});
        }
        return true;
    }

    bool DoWriteValueData(const TRegValueData& value) override
    {
        std::wstring wide;
        return WidePath(value.Name, wide) &&
               RegSetValueExW(FKey, wide.c_str(), 0, value.Type, reinterpret_cast<const BYTE*>(value.Data.data()),
                              static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
    }

private:
    HKEY FKey = nullptr;
};

} // namespace

std::unique_ptr<TRegistry> MakeNativeRegistry()
{
    return std::make_unique<TWin32Registry>();
}
