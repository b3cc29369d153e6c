#pragma once

// Item indices of the viewer's radio groups, shared by the layout and the handlers.
namespace ctiq::viewer_ui {

constexpr int kModeByte8 = 0;
constexpr int kModeWord16 = 1;
constexpr int kModeDicom = 2;
constexpr int kToolRoi = 0;
constexpr int kToolMove = 1;
constexpr int kToolOff = 2;
constexpr int kToolHome = 3;

}  // namespace ctiq::viewer_ui
