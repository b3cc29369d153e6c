#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>

#include "app/start_options.h"
#include "common/ui/radio_group.h"
#include "common/version.h"
#include "tests/support/window_fixture.h"

namespace ctiq {
namespace {

TEST(StartOptions, ReadsHelpVersionAndOneFile) {
    struct Case {
        QStringList arguments;
        bool help, version;
        QString file;  // empty: none
        bool error;
    };
    const std::vector<Case> cases = {
        {{}, false, false, "", false},
        {{"--help"}, true, false, "", false},
        {{"-h"}, true, false, "", false},
        {{"--version"}, false, true, "", false},
        {{"a.dcm"}, false, false, "a.dcm", false},
        {{"--", "-odd name.raw"}, false, false, "-odd name.raw", false},
        {{"-"}, false, false, "-", false},
        {{"--bogus", "a.dcm"}, false, false, "a.dcm", true},
        {{"a.dcm", "b.dcm"}, false, false, "a.dcm", true},
    };
    for (const Case& c : cases) {
        const StartOptions o = parseStartOptions(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(o.help, c.help) << what;
        EXPECT_EQ(o.version, c.version) << what;
        EXPECT_EQ(o.file.value_or(""), c.file) << what;
        EXPECT_EQ(!o.error.isEmpty(), c.error) << what;
    }
}

class OpenFromOutside : public test::WindowTest {};

// A DICOM file opens in mode "DICOM", a raw file in 16 bit with the geometry of its name.
TEST_F(OpenFromOutside, TakesTheModeThatFitsTheFile) {
    viewer.RadioGroupMode->setItemIndex(0);
    const std::string raw =
        copyToFolder("phantoms/noise1 256 256 0p5.raw", "noise1 256 256 0p5.raw");
    viewer.openFromOutside(raw);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(viewer.RadioGroupMode->itemIndex(), 1);
    EXPECT_EQ(viewer.imageColumns(), 256);
    EXPECT_EQ(field(viewer.EditFileName), raw);

    const std::string dicom = copyToFolder("dicom/CT_small.dcm", "slice");  // no extension
    viewer.openFromOutside(dicom);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(viewer.RadioGroupMode->itemIndex(), 2);
    EXPECT_EQ(viewer.imageColumns(), 128);

    const std::string noMeta = copyToFolder("encodings/no_meta.dcm", "no_meta.dcm");
    viewer.openFromOutside(noMeta);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(viewer.RadioGroupMode->itemIndex(), 2);
    EXPECT_EQ(viewer.imageColumns(), 64);
    EXPECT_TRUE(dialogs->inputRequests.empty());  // no size prompt
    EXPECT_EQ(dialogs->openFileRequests, 0);
}

// A file that cannot be read gives the load's message; the viewer stays empty and the next "⇒"
// asks for a file as on a fresh start.
TEST_F(OpenFromOutside, AnUnreadableFileLeavesTheViewerUsable) {
    const std::string missing = folder.path() + "/missing.dcm";
    viewer.openFromOutside(missing);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("missing.dcm"), std::string::npos) << errors()[0];
    EXPECT_EQ(viewer.imageColumns(), 0);
    load(copyToFolder("dicom/CT_small.dcm", "CT_small.dcm"), 2);
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(dialogs->openFileRequests, 1);  // "⇒" asked for the file again
    EXPECT_EQ(viewer.imageColumns(), 128);
}

struct ViewerRun {
    int status;
    std::string out, err;
};

ViewerRun runViewer(const QStringList& arguments, int waitMs = 30000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(CTIQ_VIEWER_PATH, arguments);
    const bool finished = process.waitForFinished(waitMs);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return {finished ? process.exitCode() : -1, process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

// The program itself: --help and --version answer and end, a wrong option is a usage error, and
// with a file it starts and keeps running (the load is checked above, in the same code).
TEST(ViewerProgram, AnswersItsOptionsAndStartsWithAFile) {
    const ViewerRun version = runViewer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("ctiq ") + programVersion() + "\n");
    const ViewerRun help = runViewer({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ctiq [FILE]", 0), 0u) << help.out;
    const ViewerRun bogus = runViewer({"--bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_NE(bogus.err.find("unknown option '--bogus'"), std::string::npos) << bogus.err;
    const ViewerRun started =
        runViewer({QString::fromStdString(test::testData("dicom/CT_small.dcm"))}, 3000);
    EXPECT_EQ(started.status, -1) << "ended early: " << started.err;  // still running: killed
}

}  // namespace
}  // namespace ctiq
