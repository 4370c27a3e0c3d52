#pragma once

#include <QString>

// Drives a shell extension library's self-registration: loads it, calls
// DllRegisterServer or DllUnregisterServer, and unloads it in every case.
// Raises AppError with the platform's words when loading, finding the entry
// point or the call itself fails.
void RegisterServerLibrary(bool registerLibrary, const QString &path);
