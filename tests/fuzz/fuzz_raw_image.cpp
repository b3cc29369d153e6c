// A raw image with arbitrary field values: rendering, frame, automatic window, and every
// operation that reads or moves samples under the ROI.
#include <cstddef>
#include <cstdint>

#include "common/app_error.h"
#include "image/roi_block.h"
#include "mtf/roi_table.h"
#include "tests/fuzz/fuzz_input.h"
#include "viewer/auto_window.h"
#include "viewer/image_transform.h"
#include "viewer/render.h"
#include "viewer/roi_statistics.h"
#include "viewer/trimming.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    fuzz::Input in(data, size);
    StoredImageLayout image;
    image.header = in.take<std::int16_t>();
    image.columns = in.take<std::int16_t>();
    image.rows = in.take<std::int16_t>();
    const auto flags = in.take<std::uint8_t>();
    image.format = flags & 1 ? SampleFormat::Byte8 : SampleFormat::Word16;
    const double m = (in.take<std::int8_t>() + 12) / 10.0;
    const auto shiftX = in.take<std::int16_t>(), shiftY = in.take<std::int16_t>();
    GreyWindow window{in.take<std::int32_t>(), in.take<std::int32_t>()};
    PaintOptions options;
    options.format = image.format;
    options.swap = flags & 2;
    options.invert = flags & 4;
    options.offset = in.take<std::int32_t>();
    const auto posX = in.take<std::int16_t>(), posY = in.take<std::int16_t>();
    const auto sizeX = in.take<std::int16_t>(), sizeY = in.take<std::int16_t>();
    std::vector<std::uint8_t> buffer(in.data(), in.data() + in.size());

    try {
        const ViewLayout layout = computeView(m, image.columns, image.rows, shiftX, shiftY);
        requireDrawableBitmap(layout);
        // Keep runs fast: very large bitmaps are allowed by the viewer but slow to fuzz.
        if (std::int64_t{layout.bitmapWidth} * layout.bitmapHeight > (1 << 22)) return 0;
        DisplayBitmap bitmap;
        bitmap.resize(layout.bitmapWidth, layout.bitmapHeight);
        paintView(buffer.data(), buffer.size(), image, layout, window, options, bitmap);
        const IntRect roi = roiFromFields(posX, sizeX, posY, sizeY);
        const IntRect frame = toBitmapCoordinates(roi, layout.view.left, layout.view.top);
        drawRoiFrame(bitmap, frame);

        SampleValueRule rule;
        rule.format = image.format;
        rule.swap = options.swap;
        rule.offset = options.offset;
        (void)computeAutoWindow(buffer.data(), buffer.size(), image, rule);

        const RoiBlock block = roiBlock(frame, layout.view.left, layout.view.top);
        requireBlockInside(block, image, buffer.size());
        (void)computeRoiStatistics(buffer.data(), image, block, rule);
        (void)trimmedSamples(buffer.data(), image, block);
        if (std::int64_t{block.nc} * block.nr <= 4096)
            (void)roiPixelTable(buffer.data(), image, block, frame, rule);
        flipVertical(buffer.data(), buffer.size(), image);
        flipHorizontal(buffer.data(), buffer.size(), image);
        const IntRect square = rotationSquare(layout.view, image, buffer.size());
        rotateSquare(buffer.data(), image, square,
                     flags & 8 ? Turn::Clockwise : Turn::CounterClockwise);
    } catch (const AppError&) {
    }
    return 0;
}
