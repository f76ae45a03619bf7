#include "icons.h"

#include <string>

std::filesystem::path iconPngPath(const std::filesystem::path& folder, int size)
{
    const std::string side = std::to_string(size);
    return folder / (side + "x" + side) / "morvane.png";
}

Image morvaneIcon(int size)
{
    return readPng(iconPngPath(MORVANE_ICONS, size).string());
}
