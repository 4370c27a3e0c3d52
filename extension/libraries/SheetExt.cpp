// SheetExt.dll: the property-sheet handler's self-registration.
#include "Integration.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
    return Integration::asEntryPoint(&Integration::registerSheet);
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
    return Integration::asEntryPoint(&Integration::unregisterSheet);
}
