#pragma once

// Item indices of the viewer's radio groups and the header table's two heights, shared by the
// layout and the handlers.
namespace ctiq::viewer_ui {

constexpr int kModeByte8 = 0;
constexpr int kModeWord16 = 1;
constexpr int kModeDicom = 2;
constexpr int kToolRoi = 0;
constexpr int kToolMove = 1;
constexpr int kToolOff = 2;
constexpr int kToolHome = 3;
constexpr int kSmallTableHeight = 109;
constexpr int kLargeTableHeight = 618;

}  // namespace ctiq::viewer_ui
