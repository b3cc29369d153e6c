#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <cstdint>
#include <string>
#include <vector>

#include "app/window_wiring.h"
#include "mtf/unit2.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace ctiq::test {

// The three windows as the program wires them, scripted dialogs and a temporary folder, with the
// steps every window scenario takes: write or copy a file, load it through "⇒", place the ROI.
class WindowTest : public ::testing::Test {
  protected:
    ScopedScriptedDialogs dialogs;
    TForm1 viewer;
    TForm2 mtfWindow;
    TForm3 spectrumWindow;
    TempFolder folder;

    WindowTest() { wireWindows(viewer, mtfWindow, spectrumWindow); }

    std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    // A file of tests/data copied into the folder under `name`.
    std::string copyToFolder(const std::string& relative, const std::string& name) const;
    // Chooses `path` in the file dialog and presses "⇒" in the mode (0 8bit, 1 16bit, 2 DICOM).
    void load(const std::string& path, int mode);
    // Types the ROI's centre and size and presses "Disp".
    void setRoi(int cx, int cy, int w, int h);
    static std::string field(const QLineEdit* e) { return e->text().toStdString(); }
    std::vector<std::string> errors() const { return dialogs->errorTexts(); }
};

}  // namespace ctiq::test
