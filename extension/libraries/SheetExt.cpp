// SheetExt.dll: the property-sheet handler's self-registration.
#include "Registration.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
    return Registration::asEntryPoint(&Registration::registerSheet);
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
    return Registration::asEntryPoint(&Registration::unregisterSheet);
}
