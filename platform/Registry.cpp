#include "platform/Registry.h"

void TRegistry::SetRootKey(TRootKey root)
{
    CloseKey();
    FRootKey = root;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    return Open(key, raFullAccess, canCreate);
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    return Open(key, raRead, false);
}

bool TRegistry::Open(const std::string& key, TRegAccess access, bool canCreate)
{
    // A leading "\" starts from the root key; any other path continues from
    // the open key. The system rejects the "\" itself, so it never gets it.
    std::string path;
    if (!key.empty() && key[0] == '\\')
        path = key.substr(1);
    else if (FKeyOpen && !FCurrentPath.empty())
        path = key.empty() ? FCurrentPath : FCurrentPath + "\\" + key;
    else
        path = key;
    // Close first, so a failed open never leaves writes going to the old key.
    CloseKey();
    if (!DoOpenKey(FRootKey, path, access, canCreate))
        return false;
    FKeyOpen = true;
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey()
{
    if (!FKeyOpen)
        return;
    DoCloseKey();
    FKeyOpen = false;
    FCurrentPath.clear();
}

bool TRegistry::ReadString(const std::string& name, std::string& value, TRegDataType* type)
{
    TRegDataType stored = rdUnknown;
    std::string data;
    if (!FKeyOpen || !DoReadValue(name, stored, data) || (stored != rdString && stored != rdExpandString))
        return false;
    if (type)
        *type = stored;
    // Stored strings usually carry their NUL, but nothing forces a writer to.
    value = data.substr(0, data.find('\0'));
    return true;
}

bool TRegistry::DeleteValue(const std::string& name)
{
    return FKeyOpen && DoDeleteValue(name);
}

bool TRegistry::DeleteKey(const std::string& key)
{
    CloseKey();
    const std::string path = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
    // An empty path would name the root itself.
    return !path.empty() && DoDeleteKey(FRootKey, path);
}

void TRegistry::WriteInteger(const std::string& name, uint32_t value)
{
    if (!FKeyOpen || !DoWriteInteger(name, value))
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteString(const std::string& name, const std::string& value, TRegDataType type)
{
    if (!FKeyOpen || !DoWriteString(name, value, type == rdExpandString))
        throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TRegistry::ReadValues(std::vector<TRegValueData>& values)
{
    values.clear();
    return FKeyOpen && DoReadValues(values);
}

bool TRegistry::WriteValueData(const TRegValueData& value)
{
    return FKeyOpen && DoWriteValueData(value);
}
