// A library that breaks the self-registration contract, for the tests of
// the manager's failure reports (the real libraries are in extension/):
// built with STANDIN_NO_ENTRY_POINTS it exports nothing, otherwise its entry
// points return a failure status (E_FAIL).

#include <cstdint>

#ifndef STANDIN_NO_ENTRY_POINTS
namespace {

constexpr std::int32_t kFail = std::int32_t(0x80004005u); // E_FAIL

} // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer()
{
    return kFail;
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer()
{
    return kFail;
}
#endif
