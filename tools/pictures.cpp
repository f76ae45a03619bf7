// Renders the frames the program shows on successive ticks, with the
// program's own tick step and drawing, in a window on a private X server,
// and writes a contact sheet of one cycle and an animated GIF of two, or
// the program's icon at the sizes desktops use.
//
//   morvane_pictures [OUTPUT_DIR]          (default: the current directory)
//   morvane_pictures --icons OUTPUT_DIR    OUTPUT_DIR/NxN/morvane.png
#include "animated_gif.h"
#include "animation.h"
#include "frame_window.h"
#include "icons.h"
#include "image.h"
#include "running_program.h"
#include "x_server.h"
#include "x_window.h"

#include <GL/glx.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int thumbnailScale = 4;  // 500 x 500 frames become 125 x 125
constexpr int columns = 8;
constexpr int margin = 8;
constexpr int labelHeight = 16;

struct Frame {
    long tick;
    std::string scale;  // as the trace prints it
    Image image;
};

std::string printedScale(float scale)
{
    std::ostringstream out;
    writeTraceLine(out, scale);
    std::string text = out.str();
    text.pop_back();  // the newline
    return text;
}

std::vector<Frame> renderTicks(long count)
{
    std::vector<Frame> frames;
    AnimationState state = initialAnimationState;
    for (long tick = 1; tick <= count; ++tick) {
        advanceAnimation(state);
        frames.push_back({tick, printedScale(state.figureScale), drawFrameAndCapture(state)});
    }
    return frames;
}

// A smaller copy: each pixel is the mean of the frame pixels whose centres
// fall in it.
Image scaledDown(const Image& frame, int width, int height)
{
    Image small(width, height, 0);
    for (int y = 0; y < height; ++y) {
        const int top = y * frame.height / height;
        const int bottom = (y + 1) * frame.height / height;
        for (int x = 0; x < width; ++x) {
            const int left = x * frame.width / width;
            const int right = (x + 1) * frame.width / width;
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int fy = top; fy < bottom; ++fy) {
                    for (int fx = left; fx < right; ++fx) {
                        sum += frame.at(fx, fy)[c];
                    }
                }
                small.at(x, y)[c] = static_cast<std::uint8_t>(sum / ((bottom - top) * (right - left)));
            }
        }
    }
    return small;
}

// Thumbnails in rows of eight, each with its tick and printed scale below it.
// The labels are drawn by the X server in its built-in fixed font.
Image contactSheet(Display* display, const std::vector<Frame>& frames)
{
    const int cellWidth = frames.front().image.width / thumbnailScale;
    const int cellHeight = frames.front().image.height / thumbnailScale;
    const int rows = (static_cast<int>(frames.size()) + columns - 1) / columns;
    Image sheet(margin + columns * (cellWidth + margin), margin + rows * (cellHeight + labelHeight + margin), 224);
    // The top-left corner of the i-th thumbnail.
    const auto cellLeft = [&](size_t i) { return margin + static_cast<int>(i % columns) * (cellWidth + margin); };
    const auto cellTop = [&](size_t i) {
        return margin + static_cast<int>(i / columns) * (cellHeight + labelHeight + margin);
    };
    for (size_t i = 0; i < frames.size(); ++i) {
        const Image small = scaledDown(frames[i].image, cellWidth, cellHeight);
        const int left = cellLeft(i);
        const int top = cellTop(i);
        for (int y = 0; y < small.height; ++y) {
            for (int x = 0; x < small.width; ++x) {
                std::copy_n(small.at(x, y), 3, sheet.at(left + x, top + y));
            }
        }
    }

    const Window root = DefaultRootWindow(display);
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(sheet.width),
                                        static_cast<unsigned>(sheet.height), 24);
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    putImage(display, pixmap, gc, sheet);
    XFontStruct* font = XLoadQueryFont(display, "fixed");
    if (font != nullptr) {
        XSetFont(display, gc, font->fid);
    }
    XSetForeground(display, gc, BlackPixel(display, DefaultScreen(display)));
    for (size_t i = 0; i < frames.size(); ++i) {
        const std::string label = "tick " + std::to_string(frames[i].tick) + "  " + frames[i].scale;
        XDrawString(display, pixmap, gc, cellLeft(i) + 2, cellTop(i) + cellHeight + labelHeight - 3, label.c_str(),
                    static_cast<int>(label.size()));
    }
    const Image labelled = captureDrawable(display, pixmap);
    if (font != nullptr) {
        XFreeFont(display, font);
    }
    XFreeGC(display, gc);
    XFreePixmap(display, pixmap);
    return labelled;
}

// The icon: the merged figure two ticks after the squares meet, turned a
// little and still large, black on the program's white, as the window shows
// it. It keeps the white tile rather than a transparent background: the
// figure is black, and on a dark panel or theme (GNOME's top bar) a black
// figure on nothing would vanish, while the tile reads at 16 pixels as the
// window in small and at 256 as a frame of it.
constexpr long iconTick = 21;

void put32(std::string& out, unsigned value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

// A Windows .ico of the PNGs already written in the folder, made by icotool:
// 32-bit bitmaps up to 64 pixels, which every Windows reads, and above that
// the PNGs as they are, as Windows keeps its large icons.
void writeWindowsIcon(const std::string& path, const std::filesystem::path& folder)
{
    std::vector<std::string> command = {"icotool", "--create", "--output=" + path};
    for (const int size : windowsIconSizes) {
        const std::string png = iconPngPath(folder, size).string();
        if (size <= 64) {
            command.insert(command.end(), {"--bit-depth=32", png});
        } else {
            command.push_back("--raw=" + png);
        }
    }
    if (!runToCompletion(command, std::chrono::seconds(60)).succeeded()) {
        throw std::runtime_error("icotool could not make " + path + " (is icoutils installed?)");
    }
}

// The value of an X11 window's _NET_WM_ICON property: for each size its
// width and height, then its pixels as ARGB, each a 32-bit little-endian
// number, one image after another.
void writeX11Icon(const std::string& path, const std::map<int, Image>& images)
{
    std::string out;
    for (const int size : x11IconSizes) {
        const Image& image = images.at(size);
        put32(out, static_cast<unsigned>(image.width));
        put32(out, static_cast<unsigned>(image.height));
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* p = image.at(x, y);
                put32(out, 0xff000000u | unsigned{p[0]} << 16 | unsigned{p[1]} << 8 | p[2]);
            }
        }
    }
    std::ofstream(path, std::ios::binary) << out;
}

// Every form of the icon, from one drawing: a PNG per size as the hicolor
// theme keeps them (and the page's favicon), morvane.ico for the Windows
// programs and net_wm_icon.bin for the X11 window.
std::vector<std::string> writeIcons(const std::filesystem::path& folder)
{
    const Image frame = renderTicks(iconTick).back().image;
    std::vector<std::string> paths;
    std::map<int, Image> images;
    for (const int size : iconSizes) {
        const std::filesystem::path png = iconPngPath(folder, size);
        std::filesystem::create_directories(png.parent_path());
        paths.push_back(png.string());
        images[size] = scaledDown(frame, size, size);
        writePng(paths.back(), images[size]);
    }
    paths.push_back((folder / "morvane.ico").string());
    writeWindowsIcon(paths.back(), folder);
    paths.push_back((folder / "net_wm_icon.bin").string());
    writeX11Icon(paths.back(), images);
    return paths;
}

std::vector<std::string> writeAnimationPictures(const std::filesystem::path& folder)
{
    const std::vector<Frame> frames = renderTicks(2 * ticksPerCycle);
    const std::vector<Frame> cycle(frames.begin(), frames.begin() + ticksPerCycle);
    const std::string sheetPath = (folder / "morvane-cycle.png").string();
    writePng(sheetPath, contactSheet(glXGetCurrentDisplay(), cycle));

    std::vector<Image> images;
    for (const Frame& f : frames) {
        images.push_back(f.image);
    }
    const std::string gifPath = (folder / "morvane.gif").string();
    writeAnimatedGif(gifPath, images, tickPeriodMilliseconds / 10);
    return {sheetPath, gifPath};
}

}  // namespace

int main(int argc, char** argv)
{
    const bool icons = argc > 1 && std::string(argv[1]) == "--icons";
    const int folderArgument = icons ? 2 : 1;
    const std::filesystem::path folder = argc > folderArgument ? argv[folderArgument] : ".";
    try {
        std::filesystem::create_directories(folder);
        PrivateXServer server;
        setenv("DISPLAY", server.display().c_str(), 1);
        openProgramWindow();
        for (const std::string& path : icons ? writeIcons(folder) : writeAnimationPictures(folder)) {
            std::cout << path << "\n";
        }
        // The GL libraries still talk to the server on the way out.
        server.keepUntilExit();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvane_pictures: " << e.what() << "\n";
        return 1;
    }
}
