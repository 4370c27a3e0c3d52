// Calls an extension library's entry point as regsvr32 would, from a process
// of its own, so a test can run it with its output on a pipe.
//
//   register_library register|unregister <library>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    void *library = ::dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
    const char *name = std::strcmp(argv[1], "register") == 0 ? "DllRegisterServer" : "DllUnregisterServer";
    auto *entry = library ? reinterpret_cast<std::int32_t (*)()>(::dlsym(library, name)) : nullptr;
    if (!entry)
        return 2;
    const std::int32_t status = entry();
    // Said at once: a thread still waiting on a mount that does not answer
    // holds the process's end (and a leak check at exit) until it answers.
    std::printf("%s: %d\n", name, int(status));
    std::fflush(stdout);
    return status == 0 ? 0 : 1;
}
