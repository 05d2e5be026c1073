// The settings record as text: the settings file's Name=Value lines. mksetup
// reads a packager's file with it and stores the record in the setup program
// as resource "SETTINGS"/"DATA"; the setup program reads it back at start-up.
#pragma once

#include <string>
#include <vector>

#include "installer/SetupControl.h"
#include "platform/Exception.h"

class TResourceProvider;

// A settings text that is not a complete record: the message names the fault.
DECLARE_EXCEPTION(ESettingsError);
// The program carries no settings record: a setup stub started as it is.
DECLARE_EXCEPTION(ENoSettingsRecord);

inline constexpr const char* SettingsResourceType = "SETTINGS";
inline constexpr const char* SettingsResourceName = "DATA";

struct TSettingsFile {
    TSetupControl Settings;
    // The archive's entry order from an "Order=a;b;c" line; empty when none.
    std::vector<std::string> Order;
};

// Blank lines and lines beginning with ";" are comments; a UTF-8 byte order
// mark and blanks around "=" are allowed. Every one of the eleven values must
// be given once, the optional ones (Version, Publisher, Copyright, URL,
// CodePage) at most once; the flags are True or False in any case.
// ESettingsError names the first fault.
TSettingsFile ParseSettingsText(const std::string& text);
// The record as the settings file's lines, in a fixed order, without comments,
// Order or empty optional values: the same record always gives the same text.
std::string SettingsText(const TSetupControl& settings);
// The record this program carries, with its texts in UTF-8: stored as ANSI
// text of its CodePage, or of systemCodePage for a record that names none
// (which the result's CodePage then holds). ENoSettingsRecord when it has
// none, ESettingsError when it is not a complete record.
TSetupControl EmbeddedSettings(TResourceProvider& resources, unsigned systemCodePage);
