#pragma once

#include <QString>

#include <cstdint>
#include <memory>

// A library loaded by path and unloaded when the object goes: LoadLibrary
// and GetProcAddress on Windows, dlopen and dlsym elsewhere.
class DynamicLibrary final
{
public:
    using EntryPoint = std::int32_t (*)();

    // Loads the library; on failure returns null and the platform's
    // description of the error in `error`.
    static std::unique_ptr<DynamicLibrary> load(const QString &path, QString &error);
    ~DynamicLibrary();

    // The exported function of that name, or null; then `errorCode` holds the
    // platform's error code (0 when the platform gives none).
    EntryPoint resolve(const char *name, int &errorCode) const;

    // The platform's text for an error code.
    static QString errorText(int code);

private:
    explicit DynamicLibrary(void *handle) : m_handle(handle) {}
    void *m_handle;
};
