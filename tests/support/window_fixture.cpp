#include "tests/support/window_fixture.h"

#include <QPushButton>

#include "common/ui/radio_group.h"

namespace ctiq::test {

std::string WindowTest::writeFile(const std::string& name,
                                  const std::vector<std::uint8_t>& bytes) const {
    const std::string path = folder.file(name);
    writeBytes(path, bytes);
    return path;
}

std::string WindowTest::copyToFolder(const std::string& relative, const std::string& name) const {
    return writeFile(name, readBytes(testData(relative)));
}

void WindowTest::load(const std::string& path, int mode) {
    viewer.RadioGroupMode->setItemIndex(mode);
    dialogs->openFileAnswers.push_back(QString::fromStdString(path));
    viewer.BitBtnLoad->click();
}

void WindowTest::setRoi(int cx, int cy, int w, int h) {
    viewer.EditROIPosX->setText(QString::number(cx));
    viewer.EditROIPosY->setText(QString::number(cy));
    viewer.EditROISizeX->setText(QString::number(w));
    viewer.EditROISizeY->setText(QString::number(h));
    viewer.ButtonDisp->click();
}

}  // namespace ctiq::test
