#pragma once

// The program's icon, as the picture tool draws it and icons/ keeps it.
#include "image.h"

#include <filesystem>
#include <vector>

// The sizes of the PNGs (the hicolor theme's sizes, the page's favicon among
// them), those a Windows icon holds, and those an X11 window carries in
// _NET_WM_ICON (window managers pick or scale from them).
extern const std::vector<int> iconSizes;
extern const std::vector<int> windowsIconSizes;
extern const std::vector<int> x11IconSizes;

// Where the PNG of a size goes in a folder of icons: NxN/morvane.png.
std::filesystem::path iconPngPath(const std::filesystem::path& folder, int size);

// The icon of a size as it is kept in icons/.
Image morvaneIcon(int size);
