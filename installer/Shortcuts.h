// Shell link files and the per-user shell folders they go into.
#pragma once

#include <cstdint>
#include <string>

class TRegistry;
class TShellLinks;

// Reads one value of the user's Explorer "Shell Folders" key into folder ("" when
// absent); folder keeps its text when the key cannot be opened.
void GetShellFolder(TRegistry& registry, const std::string& name, std::string& folder);

// Writes one link file; Created is set to LinkFile (whether the save succeeded is not known).
void CreateLink(TShellLinks& links, const std::string& LinkFile, const std::string& Target,
                const std::string& Arguments, const std::string& Description, const std::string& WorkingDir,
                int32_t ShowCmd, const std::string& IconFile, uint8_t IconIndex, std::string& Created);
