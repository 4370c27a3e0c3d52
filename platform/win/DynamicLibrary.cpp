#include "platform/DynamicLibrary.h"

#include <windows.h>

std::unique_ptr<DynamicLibrary> DynamicLibrary::load(const QString &path, QString &error)
{
    const QByteArray name = path.toLocal8Bit();
    HMODULE handle = LoadLibraryA(name.constData());
    if (!handle) {
        error = errorText(int(GetLastError()));
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary()
{
    FreeLibrary(static_cast<HMODULE>(m_handle));
}

DynamicLibrary::EntryPoint DynamicLibrary::resolve(const char *name, int &errorCode) const
{
    FARPROC symbol = GetProcAddress(static_cast<HMODULE>(m_handle), name);
    errorCode = symbol ? 0 : int(GetLastError());
    return reinterpret_cast<EntryPoint>(symbol);
}

QString DynamicLibrary::errorText(int code)
{
    wchar_t *buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    const QString text = length ? QString::fromWCharArray(buffer, int(length)) : QString();
    LocalFree(buffer);
    return text;
}
