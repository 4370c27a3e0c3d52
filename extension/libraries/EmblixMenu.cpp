// emblixmenu.dll: the context-menu handler's self-registration.
#include "Registration.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
    return Registration::asEntryPoint(&Registration::registerMenu);
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
    return Registration::asEntryPoint(&Registration::unregisterMenu);
}
