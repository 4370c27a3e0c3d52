// A library that breaks the self-registration contract, for the tests of
// the manager's failure reports (the real libraries are in extension/):
// built with STANDIN_NO_ENTRY_POINTS it exports nothing, with STANDIN_FAILS
// its entry points return a negative status. Otherwise DllRegisterServer
// creates the keys of STANDIN_KEYS (a "|"-separated list) under
// registry/HKEY_CLASSES_ROOT beside the library and DllUnregisterServer
// removes them.

#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

std::filesystem::path classesRoot()
{
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&classesRoot), &info);
    return std::filesystem::path(info.dli_fname).parent_path() / "registry" / "HKEY_CLASSES_ROOT";
}

template <typename Action>
bool forEachKey(Action action)
{
    const std::string keys = STANDIN_KEYS;
    std::size_t start = 0;
    bool ok = true;
    while (start <= keys.size()) {
        const std::size_t end = std::min(keys.find('|', start), keys.size());
        std::string key = keys.substr(start, end - start);
        for (char &c : key)
            if (c == '\\')
                c = '/';
        ok = action(classesRoot() / key) && ok;
        start = end + 1;
    }
    return ok;
}

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFail = std::int32_t(0x80004005u); // E_FAIL

} // namespace

#ifndef STANDIN_NO_ENTRY_POINTS
extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
#ifdef STANDIN_FAILS
    return kFail;
#else
    const bool ok = forEachKey([](const std::filesystem::path &key) {
        std::error_code error;
        std::filesystem::create_directories(key, error);
        return !error;
    });
    return ok ? kOk : kFail;
#endif
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
#ifdef STANDIN_FAILS
    return kFail;
#else
    forEachKey([](const std::filesystem::path &key) {
        std::error_code error;
        std::filesystem::remove(key, error);
        return true;
    });
    return kOk;
#endif
}
#endif
