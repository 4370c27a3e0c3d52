#!/usr/bin/env bash
# Compile-checks the Windows-only sources with the mingw-w64 cross compiler
# (syntax only, against the Qt headers), so the Win32 code stays buildable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++)
qt=/usr/include/x86_64-linux-gnu/qt6
# Every product source with a Windows branch, and every Core-only platform
# and shell service (Windows runs them all), taken from the sources.
mapfile -t sources < <(
    {
        git ls-files '*.cpp' | grep -vE '^(tests|bench|fuzz|demo|resources)/' | xargs grep -lE 'Q_OS_WIN|_WIN32'
        git ls-files 'platform/*.cpp' 'shell/*.cpp' | grep -v '/ui/'
    } | sort -u
)
for source in "${sources[@]}"; do
    "$compiler" -std=c++20 -fsyntax-only -Wno-attributes -I. -I"$qt" -I"$qt/QtCore" -DUNICODE -D_UNICODE "$source"
done
echo "Windows sources compile: ${sources[*]}"
