#include "cli/phantom.h"

#include <algorithm>
#include <cmath>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/safe_file.h"
#include "tasks/disk_phantom.h"
#include "viewer/trimming.h"

namespace ctiq::cli {

namespace {

// splitmix64's output function.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

// Every seed starts a stream of its own: the seed is mixed before it becomes the state. (Taken
// as it was, seed s + 1 gave seed s's numbers shifted by one, and its noise images were 92 %
// correlated with those of seed s.)
PortableRandom::PortableRandom(std::uint64_t seed) : state_(mix(seed ^ 0x6A09E667F3BCC909ULL)) {}

std::uint64_t PortableRandom::next() {
    return mix(state_ += 0x9E3779B97F4A7C15ULL);  // splitmix64
}

double PortableRandom::uniform() {
    return static_cast<double>(next() >> 11) / 9007199254740992.0;
}

double PortableRandom::gaussian() {
    double sum = 0;
    for (int i = 0; i < 12; ++i) sum += uniform();
    return sum - 6;
}

std::vector<std::int16_t> makePhantom(const PhantomSpec& s) {
    if (s.columns < 1 || s.rows < 1 || std::int64_t{s.columns} * s.rows > (std::int64_t{1} << 26))
        throw AppError("A phantom needs between 1 and 2^26 samples.");
    requirePixelSpacing(s.spacing, "--spacing");
    if (s.kind == "point" && !(std::isfinite(s.sigma) && s.sigma > 0))
        throw AppError("--sigma must be a positive number of pixels.");
    const std::size_t n = static_cast<std::size_t>(s.columns) * s.rows;
    std::vector<double> v(n, 0.0);
    PortableRandom random(s.seed);
    if (s.kind == "point") {
        const double cx = s.centreX >= 0 ? s.centreX : s.columns / 2;
        const double cy = s.centreY >= 0 ? s.centreY : s.rows / 2;
        for (std::int32_t r = 0; r < s.rows; ++r)
            for (std::int32_t c = 0; c < s.columns; ++c) {
                const double d2 = (c - cx) * (c - cx) + (r - cy) * (r - cy);
                const double spot = s.profile == "exponential"
                                        ? std::exp(-std::sqrt(d2) / s.sigma)
                                        : std::exp(-d2 / (2 * s.sigma * s.sigma));
                v[std::size_t(r) * s.columns + c] = s.background + s.amplitude * spot;
            }
        if (s.sd > 0)
            for (double& x : v) x += s.sd * random.gaussian();
    } else if (s.kind == "noise") {
        std::vector<double> white(n);
        for (double& x : white) x = s.sd * random.gaussian();
        if (s.kernel.empty()) {
            v = white;
        } else {
            const std::int32_t half = static_cast<std::int32_t>(s.kernel.size()) / 2;
            for (std::int32_t r = 0; r < s.rows; ++r)
                for (std::int32_t c = 0; c < s.columns; ++c) {
                    double sum = 0;
                    for (std::int32_t k = 0; k < static_cast<std::int32_t>(s.kernel.size()); ++k) {
                        // Periodic along the row, so every sample sees the whole kernel.
                        const std::int32_t cc =
                            ((c + k - half) % s.columns + s.columns) % s.columns;
                        sum += s.kernel[k] * white[std::size_t(r) * s.columns + cc];
                    }
                    v[std::size_t(r) * s.columns + c] = sum;
                }
        }
        for (double& x : v) x += s.mean;
    } else if (s.kind == "uniform") {
        std::fill(v.begin(), v.end(), s.value);
    } else if (s.kind == "disk") {
        tasks::DiskPhantomSpec disk;
        disk.columns = s.columns;
        disk.rows = s.rows;
        disk.centreX = s.centreX >= 0 ? s.centreX : s.columns / 2;
        disk.centreY = s.centreY >= 0 ? s.centreY : s.rows / 2;
        disk.radius = s.radius;
        disk.background = s.background;
        disk.contrast = s.contrast;
        disk.sigma = s.sigma;
        disk.noiseSd = s.sd;
        disk.seed = s.seed;
        v = tasks::makeDiskPhantom(disk);
    } else {
        throw AppError("Unknown phantom '%1': point, noise, uniform or disk.", {s.kind});
    }
    // Values beyond any sample (an enormous kernel or amplitude) cannot be written.
    if (!std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); }))
        throw AppError("These phantom parameters give values that are not finite numbers.");
    std::vector<std::int16_t> words(n);
    for (std::size_t i = 0; i < n; ++i)
        words[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(v[i]), -32768.0, 32767.0));
    return words;
}

std::string rawPhantomName(const std::string& out, const PhantomSpec& s) {
    std::string spacing = FloatToStr(s.spacing);
    if (const std::size_t dot = spacing.find('.'); dot != std::string::npos) spacing[dot] = 'p';
    return out + " " + IntToStr(s.columns) + " " + IntToStr(s.rows) + " " + spacing + ".raw";
}

namespace {

void put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}
void element(std::vector<std::uint8_t>& b, std::uint16_t group, std::uint16_t elem, const char* vr,
             std::string value) {
    if (value.size() % 2) value.push_back(std::string(vr) == "UI" ? '\0' : ' ');
    put16(b, group);
    put16(b, elem);
    b.push_back(static_cast<std::uint8_t>(vr[0]));
    b.push_back(static_cast<std::uint8_t>(vr[1]));
    const std::string v(vr);
    if (v == "OB" || v == "OW") {
        put16(b, 0);
        put32(b, static_cast<std::uint32_t>(value.size()));
    } else {
        put16(b, static_cast<std::uint16_t>(value.size()));
    }
    b.insert(b.end(), value.begin(), value.end());
}
std::string us(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

}  // namespace

std::string writePhantom(const std::string& out, const PhantomSpec& s, bool dicom) {
    const std::vector<std::int16_t> words = makePhantom(s);
    std::vector<std::uint8_t> bytes;
    std::string path;
    if (!dicom) {
        path = rawPhantomName(out, s);
        for (std::int16_t w : words) put16(bytes, static_cast<std::uint16_t>(w));
    } else {
        // CT numbers: stored words are the values + 1024 with the intercept -1024.
        if (s.columns > 65535 || s.rows > 65535)
            throw AppError("A DICOM image has at most 65535 columns and rows.");
        path = out + ".dcm";
        bytes.assign(128, 0);
        for (char c : std::string("DICM")) bytes.push_back(static_cast<std::uint8_t>(c));
        element(bytes, 0x0002, 0x0000, "UL", std::string("\x5A\x00\x00\x00", 4));
        element(bytes, 0x0002, 0x0001, "OB", std::string("\x00\x01", 2));
        element(bytes, 0x0002, 0x0002, "UI", "1.2.840.10008.5.1.4.1.1.2");
        element(bytes, 0x0002, 0x0003, "UI", "2.25.1");
        element(bytes, 0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1");
        const std::string spacing = FloatToStr(s.spacing);
        // The identifying UIDs and the photometric interpretation that DICOM tools require.
        element(bytes, 0x0008, 0x0016, "UI", "1.2.840.10008.5.1.4.1.1.2");
        element(bytes, 0x0008, 0x0018, "UI", "2.25.1");
        element(bytes, 0x0008, 0x0060, "CS", "CT");
        element(bytes, 0x0008, 0x1090, "LO", "CTIQ PHANTOM");
        element(bytes, 0x0018, 0x0050, "DS", "1.0");
        element(bytes, 0x0018, 0x0060, "DS", "120");
        element(bytes, 0x0018, 0x1100, "DS", FloatToStr(s.spacing * s.columns));
        element(bytes, 0x0018, 0x1210, "SH", "STANDARD");
        element(bytes, 0x0020, 0x000D, "UI", "2.25.2");
        element(bytes, 0x0020, 0x000E, "UI", "2.25.3");
        element(bytes, 0x0028, 0x0002, "US", us(1));
        element(bytes, 0x0028, 0x0004, "CS", "MONOCHROME2");
        element(bytes, 0x0028, 0x0010, "US", us(static_cast<std::uint16_t>(s.rows)));
        element(bytes, 0x0028, 0x0011, "US", us(static_cast<std::uint16_t>(s.columns)));
        element(bytes, 0x0028, 0x0030, "DS", spacing + "\\" + spacing);
        element(bytes, 0x0028, 0x0100, "US", us(16));
        element(bytes, 0x0028, 0x0101, "US", us(16));
        element(bytes, 0x0028, 0x0102, "US", us(15));
        element(bytes, 0x0028, 0x0103, "US", us(1));
        element(bytes, 0x0028, 0x1050, "DS", "1500");
        element(bytes, 0x0028, 0x1051, "DS", "3000");
        element(bytes, 0x0028, 0x1052, "DS", "-1024");
        element(bytes, 0x0028, 0x1053, "DS", "1");
        std::string pixels;
        for (std::int16_t w : words) {
            const auto stored = static_cast<std::uint16_t>(std::clamp(w + 1024, -32768, 32767));
            pixels += us(stored);
        }
        element(bytes, 0x7FE0, 0x0010, "OW", pixels);
    }
    saveFileSafely(path, bytes);
    return path;
}

}  // namespace ctiq::cli
