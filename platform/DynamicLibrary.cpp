#include "platform/DynamicLibrary.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QFile>

#include <cstring>
#include <dlfcn.h>
#endif

#ifdef Q_OS_WIN

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

#else

std::unique_ptr<DynamicLibrary> DynamicLibrary::load(const QString &path, QString &error)
{
    // A path with a separator is loaded from exactly there, whatever its name ends in.
    QString absolute = path.contains(u'/') ? path : QStringLiteral("./") + path;
    dlerror();
    void *handle = dlopen(QFile::encodeName(absolute).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *text = dlerror();
        error = QString::fromLocal8Bit(text ? text : "The library cannot be loaded");
        // dlerror names the file first; the caller adds the path itself.
        const QString prefix = absolute + QStringLiteral(": ");
        if (error.startsWith(prefix))
            error = error.mid(prefix.size());
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary()
{
    dlclose(m_handle);
}

DynamicLibrary::EntryPoint DynamicLibrary::resolve(const char *name, int &errorCode) const
{
    dlerror();
    void *symbol = dlsym(m_handle, name);
    // dlsym has no error codes of its own.
    errorCode = 0;
    return reinterpret_cast<EntryPoint>(symbol);
}

QString DynamicLibrary::errorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

#endif
