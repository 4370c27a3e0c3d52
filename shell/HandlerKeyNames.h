#pragma once

// The handler keys under the classes root whose presence tells the manager
// that a library is registered: written by the libraries, read by the
// manager. Plain text, so the test stand-ins, which use no Qt, read the same.
namespace HandlerKeyNames {

inline constexpr char kPropertySheet[] = "*\\shellex\\PropertySheetHandlers\\Varnick.EmblixProp.1"; // SheetExt.dll
inline constexpr char kFolderMenu[] = "Directory\\shellex\\ContextMenuHandlers\\Varnick.EmblixContextMenu";
inline constexpr char kFileMenu[] = "*\\shellex\\ContextMenuHandlers\\Varnick.Emblix.ContextMenu";

} // namespace HandlerKeyNames
