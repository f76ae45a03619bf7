#include "icons.h"

#include <string>

const std::vector<int> iconSizes = {16, 22, 24, 32, 48, 64, 128, 256};
const std::vector<int> windowsIconSizes = {16, 24, 32, 48, 64, 128, 256};
const std::vector<int> x11IconSizes = {16, 32, 48, 64};

std::filesystem::path iconPngPath(const std::filesystem::path& folder, int size)
{
    const std::string side = std::to_string(size);
    return folder / (side + "x" + side) / "morvane.png";
}

Image morvaneIcon(int size)
{
    return readPng(iconPngPath(MORVANE_ICONS, size).string());
}
