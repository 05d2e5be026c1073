// The registry through advapi32: one HKEY at a time, opened with full access
// or for reading only, REG_SZ values written with their terminating NUL.
#include <windows.h>

#include "platform/NativeServices.h"
#include "platform/Registry.h"

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

class TWin32Registry : public TRegistry {
public:
    ~TWin32Registry() override { DoCloseKey(); }

protected:
    bool DoOpenKey(TRootKey root, const std::string& path, TRegAccess access, bool create) override
    {
        const REGSAM sam = access == raRead ? KEY_READ : KEY_ALL_ACCESS;
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, sam, &key);
        if (result != ERROR_SUCCESS && create)
            result = RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam,
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
        DWORD kind = 0;
        DWORD size = 0;
        if (RegQueryValueExA(FKey, name.c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.assign(size, '\0');
        if (RegQueryValueExA(FKey, name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            return false;
        data.resize(size);
        type = kind == REG_SZ          ? rdString
               : kind == REG_EXPAND_SZ ? rdExpandString
               : kind == REG_DWORD     ? rdInteger
               : kind == REG_BINARY    ? rdBinary
                                       : rdUnknown;
        return true;
    }

    bool DoWriteString(const std::string& name, const std::string& value, bool expandable) override
    {
        return RegSetValueExA(FKey, name.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool DoWriteInteger(const std::string& name, uint32_t value) override
    {
        const DWORD data = value;
        return RegSetValueExA(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
               ERROR_SUCCESS;
    }

    bool DoDeleteValue(const std::string& name) override
    {
        return RegDeleteValueA(FKey, name.c_str()) == ERROR_SUCCESS;
    }

    bool DoDeleteKey(TRootKey root, const std::string& path) override
    {
        // RegDeleteKeyA leaves a key with subkeys in place on NT; the
        // subkey test keeps every system to that rule.
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD subkeys = 0;
        const LONG queried =
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr);
        RegCloseKey(key);
        return queried == ERROR_SUCCESS && subkeys == 0 && RegDeleteKeyA(RootHandle(root), path.c_str()) == ERROR_SUCCESS;
    }

    bool DoReadValues(std::vector<TRegValueData>& values) override
    {
        DWORD count = 0, longestName = 0, longestData = 0;
        if (RegQueryInfoKeyA(FKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        std::string name(longestName + 1, '\0');
        std::string data(longestData, '\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameSize = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD kind = 0;
            if (RegEnumValueA(FKey, i, name.data(), &nameSize, nullptr, &kind, reinterpret_cast<BYTE*>(data.data()),
                              &dataSize) != ERROR_SUCCESS)
                return false;
            values.push_back({name.substr(0, nameSize), kind, data.substr(0, dataSize)});
        }
        return true;
    }

    bool DoWriteValueData(const TRegValueData& value) override
    {
        return RegSetValueExA(FKey, value.Name.c_str(), 0, value.Type, reinterpret_cast<const BYTE*>(value.Data.data()),
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
