#pragma once

// The product's per-user paths as the dialogs use them, with the fixed arguments of the
// per-user data directory lookups. The returned pointers are the process-wide buffers of
// productDataDirectory.h: copy the text to keep it. GUI thread only.

#include "support/productDataDirectory.h"

namespace productPaths
{

inline constexpr const WCHAR* productFolder = u"Tarnwick x64";
inline constexpr int uiLogLabel = 1031;
inline constexpr int mainLogLabel = 1027;

inline const WCHAR* uiLogFile()
{
    return getUILogFilePath(u"", productFolder, u"twLogUI_x64.txt");
}

inline const WCHAR* mainLogFile()
{
    return getLogFilePath(u"", productFolder, u"twLog_x64.txt");
}

} // namespace productPaths
