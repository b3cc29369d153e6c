#include "load/toolkit/frame_locator.h"

#include <algorithm>

#include "common/language.h"

namespace ctiq::toolkit {
namespace {

FrameRanges refused(std::string why) {
    FrameRanges r;
    r.refusal = std::move(why);
    return r;
}

std::string framesText(std::int64_t n) {
    return inUserLanguage(n == 1 ? "%1 frame" : "%1 frames", {std::to_string(n)});
}

FrameRanges byOffsets(const std::vector<FragmentView>& fragments,
                      const std::vector<std::uint64_t>& offsets, std::int64_t frames,
                      bool extended) {
    if (static_cast<std::int64_t>(offsets.size()) != frames)
        return refused(
            inUserLanguage(extended ? "its extended offset table lists %1, the header says %2"
                                    : "its basic offset table lists %1, the header says %2",
                           {framesText(std::int64_t(offsets.size())), framesText(frames)}));
    FrameRanges r;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        // Frames follow one another: each is looked for after the previous one's first fragment.
        const auto from = fragments.begin() + (k == 0 ? 0 : std::ptrdiff_t(r.first.back()) + 1);
        const auto at = std::find_if(from, fragments.end(),
                                     [&](const auto& f) { return f.position == offsets[k]; });
        const auto index = static_cast<std::size_t>(at - fragments.begin());
        if (at == fragments.end() || (k == 0 && index != 0))
            return refused(inUserLanguage(
                extended ? "its extended offset table puts frame %1 at byte %2, where no fragment "
                           "after the previous frame's begins"
                         : "its basic offset table puts frame %1 at byte %2, where no fragment "
                           "after the previous frame's begins",
                {std::to_string(k + 1), std::to_string(offsets[k])}));
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
    FrameRanges r = byOffsets(fragments, t.extended, frames, true);
    if (r.refusal) return r;
    if (t.extendedLengths.size() != t.extended.size())
        return refused(inUserLanguage(
            "its extended offset table lists %1 offsets and %2 lengths",
            {std::to_string(t.extended.size()), std::to_string(t.extendedLengths.size())}));
    for (std::size_t k = 0; k < r.first.size(); ++k)
        if (t.extendedLengths[k] > frameBytes(fragments, r, k))
            return refused(inUserLanguage(
                "its extended offset table gives frame %1 %2 bytes, its fragments hold %3",
                {std::to_string(k + 1), std::to_string(t.extendedLengths[k]),
                 std::to_string(frameBytes(fragments, r, k))}));
    return r;
}

FrameRanges byCodestreamStarts(const std::vector<FragmentView>& fragments, std::int64_t frames,
                               Codestream kind) {
    FrameRanges r;
    if (kind == Codestream::Rle || kind == Codestream::Other) {
        // No start to recognise: without a table, one fragment a frame.
        if (static_cast<std::int64_t>(fragments.size()) != frames)
            return refused(
                inUserLanguage("it has %1 fragments for %2 and no offset table to tell them apart",
                               {std::to_string(fragments.size()), framesText(frames)}));
        for (std::size_t i = 0; i < fragments.size(); ++i) r.first.push_back(i);
        return r;
    }
    for (std::size_t i = 0; i < fragments.size(); ++i)
        if (startsCodestream(kind, fragments[i].data, fragments[i].size)) r.first.push_back(i);
    if (static_cast<std::int64_t>(r.first.size()) != frames || r.first.empty() || r.first[0] != 0)
        return refused(
            inUserLanguage("without an offset table, its fragments begin %1 codestreams for %2",
                           {std::to_string(r.first.size()), framesText(frames)}));
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
    if (frames < 1) return refused(inUserLanguage("it says it has %1", {framesText(frames)}));
    if (fragments.empty()) return refused(inUserLanguage("its pixel data holds no fragments"));
    if (!tables.basic.empty()) return byOffsets(fragments, tables.basic, frames, false);
    if (!tables.extended.empty()) return byExtendedTable(fragments, tables, frames);
    if (frames == 1) return FrameRanges{{0}, std::nullopt};
    return byCodestreamStarts(fragments, frames, kind);
}

}  // namespace ctiq::toolkit
