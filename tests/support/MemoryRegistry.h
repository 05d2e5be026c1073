// An in-memory registry for installer tests: keys found without regard to
// case, typed values, every write recorded in order, and switches that make
// a key or a write fail the way a locked-down system does.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"

class TMemoryRegistry : public TRegistry {
public:
    struct TValue {
        TRegDataType Type = rdString;
        std::string Data;
        bool operator==(const TValue&) const = default;
    };
    struct TWrite {
        TRootKey Root;
        std::string Path;
        std::string Name;
        std::string Data;
        bool operator==(const TWrite&) const = default;
    };

    ~TMemoryRegistry() override { CloseKey(); }

    std::vector<TWrite> Writes;         // successful writes, in order
    std::set<std::string> RefusedKeys;  // paths (any case) that can be neither opened nor created
    std::set<std::string> RefusedWrites; // "key path\value name" (any case) whose writes fail
    bool RefuseFullAccess = false;      // a standard user: only read access is granted
    int FailWriteAt = 0;                // the Nth string write since construction fails (0: never)
    int WriteCalls = 0;                 // string writes asked for, failed ones too

    // Adds an empty key (under root, any case).
    void AddKey(TRootKey root, const std::string& path);
    void RemoveKey(TRootKey root, const std::string& path) { FKeys.erase(Id(root, path)); }
    void SetValue(TRootKey root, const std::string& path, const std::string& name, const std::string& data,
                  TRegDataType type = rdString);
    bool KeyExists(TRootKey root, const std::string& path) const;
    // The value, or nullptr when the key or the value is absent.
    const TValue* Value(TRootKey root, const std::string& path, const std::string& name) const;
    // Every key and its values, for comparing whole registries.
    const std::map<std::string, std::map<std::string, TValue>>& Keys() const { return FKeys; }

protected:
    bool DoOpenKey(TRootKey root, const std::string& path, TRegAccess access, bool create) override;
    void DoCloseKey() override { FOpen.clear(); }
    bool DoReadValue(const std::string& name, TRegDataType& type, std::string& data) override;
    bool DoWriteString(const std::string& name, const std::string& value, bool expandable) override;
    // Recorded with its data as decimal text, of type rdInteger.
    bool DoWriteInteger(const std::string& name, uint32_t value) override;
    bool DoDeleteValue(const std::string& name) override;
    bool DoDeleteKey(TRootKey root, const std::string& path) override;
    bool DoReadValues(std::vector<TRegValueData>& values) override;
    bool DoWriteValueData(const TRegValueData& value) override;

private:
    static std::string Id(TRootKey root, const std::string& path);

    std::map<std::string, std::map<std::string, TValue>> FKeys; // by Id
    std::string FOpen;                                          // Id of the open key
    TRootKey FOpenRoot = rkCurrentUser;
    std::string FOpenPath;
};
