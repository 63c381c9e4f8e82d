// The Windows command line as the start options read it: words at blanks, quotes taken off.
#include "app/options.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsTest, SplitsTheWindowsCommandLineIntoWords) {
    const struct {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {nullptr, {}},
        {"  --whole\t--aspect   4:3 ", {"--whole", "--aspect", "4:3"}},
        {"\"--window\" --aspect \"4:3\"", {"--window", "--aspect", "4:3"}},
        {"--aspect \"\"", {"--aspect", ""}},
        {"\"two words\"", {"two words"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandLineWords(c.line), c.words) << "line: " << (c.line != nullptr ? c.line : "(null)");
    }
}

TEST(OptionsTest, ReadsWhatTheWindowsCommandLineAsks) {
    const StartReading reading = ReadStartOptions(CommandLineWords("--aspect 4:3 --whole --window"));
    EXPECT_EQ(reading.request, StartRequest::Run);
    EXPECT_TRUE(reading.options.window);
    EXPECT_TRUE(reading.options.shape.whole);
    EXPECT_EQ(reading.options.shape.aspect, letterbox::Aspect::FourThree);
    const StartReading plain = ReadStartOptions({});
    EXPECT_EQ(plain.request, StartRequest::Run);
    EXPECT_FALSE(plain.options.window);
    EXPECT_FALSE(plain.options.shape.whole);
    EXPECT_EQ(plain.options.shape.aspect, letterbox::Aspect::Square);
    EXPECT_EQ(ReadStartOptions(CommandLineWords("--aspect \"\"")).complaint, "--aspect needs a value");
}

}  // namespace
