#pragma once

// The program's icon, as the picture tool draws it and icons/ keeps it.
#include "image.h"

#include <array>
#include <filesystem>

// The sizes of the PNGs (the hicolor theme's sizes, the page's favicon among
// them), those a Windows icon holds, and those an X11 window carries in
// _NET_WM_ICON (window managers pick or scale from them). Constants, so
// that a check in another file never reads them before they are set.
inline constexpr std::array<int, 8> iconSizes{16, 22, 24, 32, 48, 64, 128, 256};
inline constexpr std::array<int, 7> windowsIconSizes{16, 24, 32, 48, 64, 128, 256};
inline constexpr std::array<int, 4> x11IconSizes{16, 32, 48, 64};

// Where the PNG of a size goes in a folder of icons: NxN/morvane.png.
std::filesystem::path iconPngPath(const std::filesystem::path& folder, int size);

// The icon of a size as it is kept in icons/.
Image morvaneIcon(int size);
