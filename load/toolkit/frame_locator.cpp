#include "load/toolkit/frame_locator.h"

#include <algorithm>

namespace ctiq::toolkit {
namespace {

FrameRanges refuse(std::string why) {
    FrameRanges r;
    r.refusal = std::move(why);
    return r;
}

std::string framesText(std::int64_t n) {
    return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

FrameRanges byOffsets(const std::vector<FragmentView>& fragments,
                      const std::vector<std::uint64_t>& offsets, std::int64_t frames,
                      const std::string& table) {
    if (static_cast<std::int64_t>(offsets.size()) != frames)
        return refuse("its " + table + " lists " + framesText(std::int64_t(offsets.size())) +
                      ", the header says " + framesText(frames));
    FrameRanges r;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        // Frames follow one another: each is looked for after the previous one's first fragment.
        const auto from = fragments.begin() + (k == 0 ? 0 : std::ptrdiff_t(r.first.back()) + 1);
        const auto at = std::find_if(from, fragments.end(),
                                     [&](const auto& f) { return f.position == offsets[k]; });
        const auto index = static_cast<std::size_t>(at - fragments.begin());
        if (at == fragments.end() || (k == 0 && index != 0))
            return refuse("its " + table + " puts frame " + std::to_string(k + 1) + " at byte " +
                          std::to_string(offsets[k]) +
                          ", where no fragment after the previous frame's begins");
        r.first.push_back(index);
    }
    return r;
}

std::uint64_t frameBytes(const std::vector<FragmentView>& fragments, const FrameRanges& r,
                         std::size_t frame) {
    const std::size_t end = frame + 1 < r.first.size() ? r.first[frame + 1] : fragments.size();
    std::uint64_t sum = 0;
    for (std::size_t i = r.first[frame]; i < end; ++i) sum += fragments[i].size;
    return sum;
}

FrameRanges byExtendedTable(const std::vector<FragmentView>& fragments, const OffsetTables& t,
                            std::int64_t frames) {
    FrameRanges r = byOffsets(fragments, t.extended, frames, "extended offset table");
    if (r.refusal) return r;
    if (t.extendedLengths.size() != t.extended.size())
        return refuse("its extended offset table lists " + std::to_string(t.extended.size()) +
                      " offsets and " + std::to_string(t.extendedLengths.size()) + " lengths");
    for (std::size_t k = 0; k < r.first.size(); ++k)
        if (t.extendedLengths[k] > frameBytes(fragments, r, k))
            return refuse("its extended offset table gives frame " + std::to_string(k + 1) + " " +
                          std::to_string(t.extendedLengths[k]) + " bytes, its fragments hold " +
                          std::to_string(frameBytes(fragments, r, k)));
    return r;
}

FrameRanges byCodestreamStarts(const std::vector<FragmentView>& fragments, std::int64_t frames,
                               Codestream kind) {
    FrameRanges r;
    if (kind == Codestream::Rle || kind == Codestream::Other) {
        // No start to recognise: without a table, one fragment a frame.
        if (static_cast<std::int64_t>(fragments.size()) != frames)
            return refuse("it has " + std::to_string(fragments.size()) + " fragments for " +
                          framesText(frames) + " and no offset table to tell them apart");
        for (std::size_t i = 0; i < fragments.size(); ++i) r.first.push_back(i);
        return r;
    }
    for (std::size_t i = 0; i < fragments.size(); ++i)
        if (startsCodestream(kind, fragments[i].data, fragments[i].size)) r.first.push_back(i);
    if (static_cast<std::int64_t>(r.first.size()) != frames || r.first.empty() || r.first[0] != 0)
        return refuse("without an offset table, its fragments begin " +
                      std::to_string(r.first.size()) + " codestreams for " + framesText(frames));
    return r;
}

}  // namespace

std::vector<std::uint64_t> offsetValues(const std::uint8_t* data, std::size_t size, int width) {
    std::vector<std::uint64_t> values;
    for (std::size_t at = 0; at + std::size_t(width) <= size; at += std::size_t(width)) {
        std::uint64_t v = 0;
        for (int b = width - 1; b >= 0; --b) v = v << 8 | data[at + std::size_t(b)];
        values.push_back(v);
    }
    return values;
}

FrameRanges locateFrames(const std::vector<FragmentView>& fragments, const OffsetTables& tables,
                         std::int64_t frames, Codestream kind) {
    if (frames < 1) return refuse("it says it has " + framesText(frames));
    if (fragments.empty()) return refuse("its pixel data holds no fragments");
    if (!tables.basic.empty())
        return byOffsets(fragments, tables.basic, frames, "basic offset table");
    if (!tables.extended.empty()) return byExtendedTable(fragments, tables, frames);
    if (frames == 1) return FrameRanges{{0}, std::nullopt};
    return byCodestreamStarts(fragments, frames, kind);
}

}  // namespace ctiq::toolkit
