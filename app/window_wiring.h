#pragma once

namespace ctiq {

class TForm1;
class TForm2;
class TForm3;

// The hand-offs between the three windows, in one place: the viewer's "Form2", "Form3", "toMTF"
// and "toWS" reach the MTF and spectrum windows, which read the viewer back through its link.
// A failing hand-off shows its message over the viewer, as the viewer's own handlers do.
void wireWindows(TForm1& viewer, TForm2& mtfWindow, TForm3& spectrumWindow);

}  // namespace ctiq
