// The registry access object: a current root key, at most one open key at a
// time, string values read and written. The portable part here keeps that
// state and the key-path rules; a platform (advapi32, or an in-memory test
// registry) supplies four primitives over a single key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

// A value write that failed, or a write with no key open.
DECLARE_EXCEPTION(ERegistryException);

enum TRootKey { rkClassesRoot, rkCurrentUser, rkLocalMachine };

// How a key is opened: read-only, or with full access (KEY_ALL_ACCESS).
enum TRegAccess { raRead, raFullAccess };

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// A value exactly as stored: its name, the system's type number (REG_SZ 1,
// REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4, ...) and its bytes, for
// putting back what a run changed.
struct TRegValueData {
    std::string Name;
    uint32_t Type = 0;
    std::string Data;
    bool operator==(const TRegValueData&) const = default;
};

class TRegistry {
public:
    virtual ~TRegistry() = default;

    TRootKey RootKey() const { return FRootKey; }
    // Closes an open key, then makes root the base of the next key paths.
    void SetRootKey(TRootKey root);
    // Opens key with full access, creating it when missing and canCreate; false when it cannot.
    bool OpenKey(const std::string& key, bool canCreate);
    // Opens an existing key for reading only; false when it cannot.
    bool OpenKeyReadOnly(const std::string& key);
    // Closes the open key, if any.
    void CloseKey();
    bool HasOpenKey() const { return FKeyOpen; }
    // Path of the open key from its root, without a leading "\" ("" when none is open).
    const std::string& CurrentPath() const { return FCurrentPath; }
    // A plain or expandable string value of the open key, as stored (not expanded);
    // false when absent or of another type. type, when given, says which of the two.
    bool ReadString(const std::string& name, std::string& value, TRegDataType* type = nullptr);
    // Writes a REG_SZ value, or REG_EXPAND_SZ for rdExpandString ("" names the
    // default value): ERegistryException "Failed to set data for '<name>'".
    void WriteString(const std::string& name, const std::string& value, TRegDataType type = rdString);
    // Writes a REG_DWORD value: ERegistryException "Failed to set data for '<name>'".
    void WriteInteger(const std::string& name, uint32_t value);
    // Removes a value of the open key ("" names the default value); false when it cannot.
    bool DeleteValue(const std::string& name);
    // Closes an open key, then removes key (a path from the root) when it has
    // no subkeys; never recursive. False when it cannot.
    bool DeleteKey(const std::string& key);
    // Every value of the open key as stored; false when none is open or they cannot be read.
    bool ReadValues(std::vector<TRegValueData>& values);
    // Stores a value exactly as ReadValues gave it; false when it cannot.
    bool WriteValueData(const TRegValueData& value);

protected:
    // The platform's side. Paths come from the root, without a leading "\".
    // Implementations close a key still open in their destructor.

    // Opens path under root (creating it when create): the key that the other primitives use.
    virtual bool DoOpenKey(TRootKey root, const std::string& path, TRegAccess access, bool create) = 0;
    // Releases the key that DoOpenKey opened.
    virtual void DoCloseKey() = 0;
    // A value of the open key: its type and its bytes as stored (a terminating NUL may be among them).
    virtual bool DoReadValue(const std::string& name, TRegDataType& type, std::string& data) = 0;
    // Stores value as REG_SZ (REG_EXPAND_SZ when expandable) in the open key,
    // its terminating NUL included.
    virtual bool DoWriteString(const std::string& name, const std::string& value, bool expandable) = 0;
    // Stores value as REG_DWORD in the open key.
    virtual bool DoWriteInteger(const std::string& name, uint32_t value) = 0;
    // Removes a value of the open key.
    virtual bool DoDeleteValue(const std::string& name) = 0;
    // Removes path under root, only when it has no subkeys.
    virtual bool DoDeleteKey(TRootKey root, const std::string& path) = 0;
    // Every value of the open key, as stored.
    virtual bool DoReadValues(std::vector<TRegValueData>& values) = 0;
    // Stores a value in the open key with its type and bytes as given.
    virtual bool DoWriteValueData(const TRegValueData& value) = 0;

private:
    bool Open(const std::string& key, TRegAccess access, bool canCreate);

    TRootKey FRootKey = rkCurrentUser;
    bool FKeyOpen = false;
    std::string FCurrentPath;
};
