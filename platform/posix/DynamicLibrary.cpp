#include "platform/DynamicLibrary.h"

#include <QFile>

#include <cstring>
#include <dlfcn.h>

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
