// The viewer grows around its image area, a square: by d, the smaller of the window's growths
// across and down. What stands right of the area moves right by d (the window's extra width stays
// empty), the bottom row moves down by the whole growth down and the folder list takes it in
// height. The header table moves down by d below the area and takes the rest of the height, or
// enlarged over the area takes the whole growth down. At a larger font the same holds from the
// larger first size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "common/ui/radio_group.h"
#include "tests/support/scripted_dialogs.h"
#include "viewer/image_view.h"
#include "viewer/unit1.h"

namespace ctiq {
namespace {

// How an edge follows the window's growth: it stays, moves with the image area's square growth,
// or with the window's growth down.
enum Edge { Stays, Square, Down };

struct Follows {
    const char* name;
    QWidget* control;
    Edge left, top, right, bottom;
};

QRect grown(QRect r, const Follows& f, int square, int down) {
    const auto by = [&](Edge e) { return e == Square ? square : e == Down ? down : 0; };
    r.setCoords(r.left() + by(f.left), r.top() + by(f.top), r.right() + by(f.right),
                r.bottom() + by(f.bottom));
    return r;
}

// The desktop's font at the parameter's times its size while the test runs.
class ViewerGrowth : public ::testing::TestWithParam<double> {
  protected:
    void SetUp() override {
        QFont font = before_;
        font.setPointSizeF(before_.pointSizeF() * GetParam());
        QApplication::setFont(font);
        QApplication::sendPostedEvents();
    }
    void TearDown() override {
        QApplication::setFont(before_);
        QApplication::sendPostedEvents();
    }

  private:
    QFont before_ = QApplication::font();
};

TEST_P(ViewerGrowth, TheImageAreaGrowsAsASquareAndTheRestFollows) {
    test::ScopedScriptedDialogs dialogs;
    TForm1 v;
    v.show();
    const QSize first = v.minimumSize();
    const Follows rules[] = {
        {"image area", v.ScrollBox1, Stays, Stays, Square, Square},
        {"image", v.Image1, Stays, Stays, Square, Square},
        {"title picture", v.Image2, Stays, Stays, Square, Square},
        {"overlay", v.Image3, Stays, Stays, Square, Square},
        {"\"+\" beside the image", v.Button1, Square, Stays, Square, Stays},
        {"\"imgToCB\" beside the image", v.ButtonSaveBMP, Square, Stays, Square, Stays},
        {"file name", v.EditFileName, Stays, Stays, Square, Stays},
        {"close", v.BitBtn1, Square, Stays, Square, Stays},
        {"mode", v.RadioGroupMode, Square, Stays, Square, Stays},
        {"level, in its panel", v.EditWindowLevel, Stays, Stays, Stays, Stays},
        {"\"Form3\"", v.ButtonForm3, Square, Stays, Square, Stays},
        {"summary", v.Memo1, Square, Stays, Square, Stays},
        {"folder list", v.ListBox1, Square, Stays, Square, Down},
        {"\"HeaderToCB\"", v.ButtonHeaderToCB, Square, Down, Square, Down},
        {"memo 2", v.Memo2, Square, Down, Square, Down},
        {"\"File\" caption", v.Label1, Stays, Down, Stays, Down},
        {"file size", v.EditFileSize, Stays, Down, Stays, Down},
        {"\"<>\"", v.ButtonRowCulm, Stays, Down, Stays, Down},
        {"header table", v.StringGridDICOM, Stays, Square, Square, Down},
    };
    const Follows enlargedTable{
        "enlarged header table", v.StringGridDICOM, Stays, Stays, Square, Down};
    std::vector<QRect> atFirst;
    for (const Follows& f : rules) atFirst.push_back(f.control->geometry());
    v.StringGridDICOMDblClick();
    const QRect enlargedAtFirst = v.StringGridDICOM->geometry();
    v.StringGridDICOMDblClick();

    const QSize growths[] = {{200, 0}, {0, 200}, {150, 250}, {300, 120}, {900, 700}, {0, 0}};
    for (const QSize g : growths) {
        v.resize(first + g);
        const int d = std::min(g.width(), g.height());
        const std::string by = std::to_string(g.width()) + " × " + std::to_string(g.height());
        for (std::size_t i = 0; i < std::size(rules); ++i)
            EXPECT_EQ(rules[i].control->geometry(), grown(atFirst[i], rules[i], d, g.height()))
                << rules[i].name << ", the window grown by " << by;
        v.StringGridDICOMDblClick();
        EXPECT_EQ(v.StringGridDICOM->geometry(),
                  grown(enlargedAtFirst, enlargedTable, d, g.height()))
            << "the window grown by " << by;
        v.StringGridDICOMDblClick();
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, ViewerGrowth, ::testing::Values(1.0, 1.25));

}  // namespace
}  // namespace ctiq
