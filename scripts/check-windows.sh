#!/usr/bin/env bash
# Compile-checks the Windows-only sources with the mingw-w64 cross compiler
# (syntax only, against the Qt headers), so the Win32 code stays buildable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++)
qt=/usr/include/x86_64-linux-gnu/qt6
sources=(platform/DynamicLibrary.cpp platform/Registry.cpp platform/AtomicFile.cpp platform/FileStamp.cpp
         platform/FileSystem.cpp platform/FolderLock.cpp platform/HeldFile.cpp platform/TntIniFile.cpp
         shell/RegDLL.cpp shell/ShellIntegration.cpp)
for source in "${sources[@]}"; do
    "$compiler" -std=c++20 -fsyntax-only -Wno-attributes -I. -I"$qt" -I"$qt/QtCore" -DUNICODE -D_UNICODE "$source"
done
echo "Windows sources compile: ${sources[*]}"
