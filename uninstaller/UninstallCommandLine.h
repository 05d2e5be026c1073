// The uninstaller's command line: its program, one blank, and the install
// log's path, unquoted and possibly with blanks, as "UninstallString" and the
// uninstall shortcut give it.
#pragma once

#include <string>

// The command line after the program's name. programPath is the running
// program's own file: an unquoted program name with blanks is recognised by it.
std::string ArgumentsAfterProgram(const std::string& commandLine, const std::string& programPath);
// The log's path: all of the arguments, blanks and all, or the text in quotes.
std::string LogPathFromArguments(const std::string& arguments);
