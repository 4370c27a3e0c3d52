// emblixmenu.dll: the context-menu handler's self-registration.
#include "Integration.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
    return Integration::asEntryPoint(&Integration::registerMenu);
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
    return Integration::asEntryPoint(&Integration::unregisterMenu);
}
