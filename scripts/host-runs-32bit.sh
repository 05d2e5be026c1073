#!/usr/bin/env bash
# Exits 0 when this host can run Wine's 32-bit loader, and so the shipped
# 32-bit build. Some virtual machines run no 32-bit Linux program at all (the
# kernel answers "Exec format error"); there the Wine stage falls back to the
# x86-64 build, and says so.
/usr/lib/wine/wine --version >/dev/null 2>&1
