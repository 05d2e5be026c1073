#!/usr/bin/env bash
# Makes a fresh Wine prefix, as wine-prefix.sh does, whose Windows user is USER:
#   wine-user-prefix.sh PREFIX USER [WIDTHxHEIGHT]
# Wine names the user, and the profile folder C:\users\USER, after $USER, read
# in the Unix locale's character set: so USER is given in UTF-8 under a UTF-8
# locale (C.UTF-8, whose ANSI code page stays 1252). Wine reads $USER again at
# every start and makes a profile of that name when there is none, so the name
# is kept in the prefix (wine-user) for wine-run.sh.
set -euo pipefail
prefix=${1:?usage: wine-user-prefix.sh PREFIX USER [WIDTHxHEIGHT]}
user=${2:?usage: wine-user-prefix.sh PREFIX USER [WIDTHxHEIGHT]}
export USER=$user LOGNAME=$user LC_ALL=C.UTF-8
"$(dirname "$0")/wine-prefix.sh" "$prefix" ${3:+"$3"}
test -d "$prefix/drive_c/users/$user"
printf '%s\n' "$user" >"$prefix/wine-user"
