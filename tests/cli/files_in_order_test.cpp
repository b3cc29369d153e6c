#include "cli/files_in_order.h"

#include "cli/frame_items.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace ctiq::cli {
namespace {

std::vector<std::string> numbered(int count) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) files.push_back(std::to_string(i));
    return files;
}

// Later files finish first; the outcomes still arrive in the files' order, with their notes
// and errors, on one thread and on several.
TEST(FilesInOrder, OutcomesArriveInTheFilesOrder) {
    const std::vector<std::string> files = numbered(24);
    for (unsigned threads : {1u, 2u, 5u}) {
        std::vector<std::string> seen;
        measureFilesInOrder<std::string>(
            files, threads,
            [](const std::string& file, std::string& notes) {
                const int i = std::stoi(file);
                std::this_thread::sleep_for(std::chrono::microseconds((24 - i) * 200));
                notes = "note " + file;
                if (i % 7 == 3) throw std::runtime_error("bad " + file);
                return "row " + file;
            },
            [&](const std::string& file, FileOutcome<std::string>& outcome) {
                EXPECT_EQ(outcome.notes, "note " + file);
                if (outcome.error) {
                    try {
                        std::rethrow_exception(outcome.error);
                    } catch (const std::runtime_error& e) {
                        seen.push_back(e.what());
                    }
                } else {
                    seen.push_back(outcome.measured);
                }
                return true;
            });
        ASSERT_EQ(seen.size(), files.size()) << threads;
        for (int i = 0; i < 24; ++i)
            EXPECT_EQ(seen[i], (i % 7 == 3 ? "bad " : "row ") + std::to_string(i)) << threads;
    }
}

// Stopping at a file hands over nothing after it; the workers never run more than two files
// per thread ahead of the output.
TEST(FilesInOrder, StoppingEndsTheBatch) {
    const std::vector<std::string> files = numbered(200);
    for (unsigned threads : {1u, 3u}) {
        std::atomic<int> started{0};
        std::vector<std::string> taken;
        measureFilesInOrder<std::string>(
            files, threads,
            [&](const std::string& file, std::string&) {
                ++started;
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                return file;
            },
            [&](const std::string& file, FileOutcome<std::string>&) {
                taken.push_back(file);
                return file != "5";
            });
        EXPECT_EQ(taken, numbered(6)) << threads;
        EXPECT_LE(started.load(), threads == 1 ? 6 : 6 + 2 * static_cast<int>(threads)) << threads;
    }
}

// Each file's measurement carries its own name only, so a batch takes memory in proportion to
// its files; --frames gives each frame its --frame; --plot keeps the batch's names for its check.
TEST(MeasuredItems, EachLineNamesItsOwnFile) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> files;   // of the items, in order
        std::vector<std::string> frames;  // their --frame ("" for none)
        std::size_t lineFiles;            // file names in each item's line
    };
    const std::vector<Case> cases = {
        {{"stats", "a.dcm", "b.dcm", "c.dcm"}, {"a.dcm", "b.dcm", "c.dcm"}, {"", "", ""}, 1},
        {{"nps", "--frames", "2-3", "a.dcm", "b.dcm"},
         {"a.dcm", "a.dcm", "b.dcm", "b.dcm"},
         {"2", "3", "2", "3"},
         1},
        {{"mtf", "--plot", "p.png", "a.dcm", "b.dcm"}, {"a.dcm", "b.dcm"}, {"", ""}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const std::vector<MeasuredItem> items = measuredItems(parseCommandLine(c.arguments));
        ASSERT_EQ(items.size(), c.files.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].file, c.files[i]);
            EXPECT_EQ(items[i].line.value("frame", ""), c.frames[i]);
            EXPECT_FALSE(items[i].line.has("frames"));
            ASSERT_EQ(items[i].line.files.size(), c.lineFiles);
            if (c.lineFiles == 1) {
                EXPECT_EQ(items[i].line.files[0], c.files[i]);
                EXPECT_TRUE(items[i].line.arguments.empty());
            }
        }
    }
}

}  // namespace
}  // namespace ctiq::cli
