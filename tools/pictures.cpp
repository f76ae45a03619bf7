// Renders the frames the program shows on successive ticks, with the
// program's own tick step and drawing, in a window on a private X server,
// and writes a contact sheet of one cycle and an animated GIF of two.
//
//   morvane_pictures [OUTPUT_DIR]     (default: the current directory)
#include "animation/animation_state.h"
#include "animation/animation_tick.h"
#include "common/animated_gif.h"
#include "common/image.h"
#include "common/x_server.h"
#include "common/x_window.h"
#include "frames/frame_window.h"

#include <GL/glx.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
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

// Each thumbnail pixel is the mean of the square of frame pixels it covers.
Image thumbnail(const Image& frame)
{
    Image small(frame.width / thumbnailScale, frame.height / thumbnailScale, 0);
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < thumbnailScale; ++dy) {
                    for (int dx = 0; dx < thumbnailScale; ++dx) {
                        sum += frame.at(x * thumbnailScale + dx, y * thumbnailScale + dy)[c];
                    }
                }
                small.at(x, y)[c] = static_cast<std::uint8_t>(sum / (thumbnailScale * thumbnailScale));
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
        const Image small = thumbnail(frames[i].image);
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

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    try {
        std::filesystem::create_directories(folder);
        PrivateXServer server;
        setenv("DISPLAY", server.display().c_str(), 1);
        openProgramWindow();

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

        std::cout << sheetPath << "\n" << gifPath << "\n";
        // The GL libraries still talk to the server on the way out.
        server.keepUntilExit();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvane_pictures: " << e.what() << "\n";
        return 1;
    }
}
