// The set-up log on disk: the banner, lines written literally, and a log that cannot be written.
#include "tests/display/display_test_support.h"

namespace {

const std::string kBanner = "__________Direct Draw - Log__________\n";

using LogTest = DisplayTest;

TEST_F(LogTest, StartEmptiesAnExistingLog) {
    std::ofstream("DirectX.log") << "a log of an earlier run\nwith two lines\n";
    LogStart();
    EXPECT_EQ(LogBytes(), kBanner);
}

TEST_F(LogTest, LineIsAppendedWithoutFormatting) {
    const std::string texts[] = {"    OK", "", "100% %s %d %n %%", "Debug - mode Inactive"};
    LogStart();
    std::string expected = kBanner;
    for (const std::string& text : texts) {
        LogLine(text.c_str());
        expected += text + "\n";
        EXPECT_EQ(LogBytes(), expected) << '"' << text << '"';
    }
}

TEST_F(LogTest, LineCreatesAMissingLog) {
    LogLine("    OK");
    EXPECT_EQ(LogBytes(), "    OK\n");
}

TEST_F(LogTest, CzechTextReachesTheFileAsWindows1250) {
    LogStart();
    LogLine(DDErrorText(DDERR_OUTOFMEMORY));
    EXPECT_EQ(LogBytes(), kBanner + "\x4D\xE1\x6C\x6F\x20\x52\x41\x4D\x20\x21\n");
}

TEST_F(LogTest, UnwritableLogIsSkippedAndTheSetUpGoesOn) {
    std::filesystem::create_directory("DirectX.log");
    LogStart();
    LogLine("    OK");
    EXPECT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
    EXPECT_EQ(ddraw_fake::Calls().size(), 7u);
    EXPECT_TRUE(std::filesystem::is_directory("DirectX.log"));
}

}  // namespace
