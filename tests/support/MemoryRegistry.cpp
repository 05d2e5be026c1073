#include "tests/support/MemoryRegistry.h"

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

std::string TMemoryRegistry::Id(TRootKey root, const std::string& path)
{
    return std::to_string(static_cast<int>(root)) + ":" + Upper(path);
}

void TMemoryRegistry::AddKey(TRootKey root, const std::string& path)
{
    FKeys[Id(root, path)];
}

void TMemoryRegistry::SetValue(TRootKey root, const std::string& path, const std::string& name,
                               const std::string& data, TRegDataType type)
{
    FKeys[Id(root, path)][Upper(name)] = {type, data};
}

bool TMemoryRegistry::KeyExists(TRootKey root, const std::string& path) const
{
    return FKeys.count(Id(root, path)) != 0;
}

const TMemoryRegistry::TValue* TMemoryRegistry::Value(TRootKey root, const std::string& path,
                                                     const std::string& name) const
{
    const auto key = FKeys.find(Id(root, path));
    if (key == FKeys.end())
        return nullptr;
    const auto value = key->second.find(Upper(name));
    return value == key->second.end() ? nullptr : &value->second;
}

bool TMemoryRegistry::DoOpenKey(TRootKey root, const std::string& path, TRegAccess access, bool create)
{
    for (const std::string& refused : RefusedKeys)
        if (Upper(refused) == Upper(path))
            return false;
    if (access == raFullAccess && RefuseFullAccess)
        return false;
    const std::string id = Id(root, path);
    if (FKeys.count(id) == 0) {
        if (!create)
            return false;
        FKeys[id];
    }
    FOpen = id;
    FOpenRoot = root;
    FOpenPath = path;
    return true;
}

bool TMemoryRegistry::DoReadValue(const std::string& name, TRegDataType& type, std::string& data)
{
    const auto& values = FKeys[FOpen];
    const auto value = values.find(Upper(name));
    if (value == values.end())
        return false;
    type = value->second.Type;
    data = value->second.Data;
    return true;
}

bool TMemoryRegistry::DoWriteString(const std::string& name, const std::string& value, bool expandable)
{
    if (++WriteCalls == FailWriteAt)
        return false;
    for (const std::string& refused : RefusedWrites)
        if (Upper(refused) == Upper(FOpenPath + "\\" + name))
            return false;
    FKeys[FOpen][Upper(name)] = {expandable ? rdExpandString : rdString, value};
    Writes.push_back({FOpenRoot, FOpenPath, name, value});
    return true;
}

bool TMemoryRegistry::DoWriteInteger(const std::string& name, uint32_t value)
{
    for (const std::string& refused : RefusedWrites)
        if (Upper(refused) == Upper(FOpenPath + "\\" + name))
            return false;
    FKeys[FOpen][Upper(name)] = {rdInteger, std::to_string(value)};
    Writes.push_back({FOpenRoot, FOpenPath, name, std::to_string(value)});
    return true;
}

bool TMemoryRegistry::DoDeleteValue(const std::string& name)
{
    if (RefuseFullAccess)
        return false;
    return FKeys[FOpen].erase(Upper(name)) != 0;
}

bool TMemoryRegistry::DoDeleteKey(TRootKey root, const std::string& path)
{
    const std::string id = Id(root, path);
    if (RefuseFullAccess || FKeys.count(id) == 0)
        return false;
    const std::string below = id + "\\";
    const auto next = FKeys.lower_bound(below);
    if (next != FKeys.end() && next->first.compare(0, below.size(), below) == 0)
        return false; // a subkey below it
    FKeys.erase(id);
    return true;
}

namespace {

// The system's type numbers of the types this registry keeps.
const std::pair<TRegDataType, uint32_t> TypeNumbers[] = {{rdString, 1}, {rdExpandString, 2}, {rdBinary, 3},
                                                         {rdInteger, 4}};

} // namespace

bool TMemoryRegistry::DoReadValues(std::vector<TRegValueData>& values)
{
    for (const auto& [name, value] : FKeys[FOpen]) {
        uint32_t type = 0;
        for (const auto& [kind, number] : TypeNumbers)
            if (kind == value.Type)
                type = number;
        values.push_back({name, type, value.Data});
    }
    return true;
}

bool TMemoryRegistry::DoWriteValueData(const TRegValueData& value)
{
    if (RefuseFullAccess)
        return false;
    TRegDataType type = rdUnknown;
    for (const auto& [kind, number] : TypeNumbers)
        if (number == value.Type)
            type = kind;
    FKeys[FOpen][Upper(value.Name)] = {type, value.Data};
    return true;
}
