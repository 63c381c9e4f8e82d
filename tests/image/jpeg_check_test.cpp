// The JPEG check over every file crafted_jpegs.py writes, each named for the reason and frame size it must give.
#include "image/jpeg_check.h"
#include "tests/support/working_folder.h"

constexpr const char* Damaged = "a JPEG that could not be decoded, as if damaged or cut short";

TEST(JpegCheck, GivesEachFileTheReasonAndSizeItsNameSays) {
    WorkingFolder folder;
    ASSERT_EQ(std::system("PYTHONPATH=" VARNELO_SUPPORT " /usr/bin/python3 -c 'import crafted_jpegs; crafted_jpegs.write()'"), 0);
    int files = 0, passed = 0;
    for (const std::string& name : folder.Names()) {
        const std::vector<uint8_t> file = ReadFileBytes(name);
        const size_t dot = name.find('.'), next = name.find('.', dot + 1);
        const std::string reason = name.substr(0, dot), stated = name.substr(dot + 1, next - dot - 1);
        const std::string expected = reason == "ok" ? reason : reason == "damaged" ? Damaged : (reason[0] == 'a' ? "an " : "a ") + reason + " JPEG is not supported";
        const char* problem = JpegProblem(file.data(), file.size());
        int64_t width = 0, height = 0;
        const std::string size = JpegFrameSize(file.data(), file.size(), width, height) ? std::to_string(width) + "x" + std::to_string(height) : "none";
        EXPECT_EQ((problem != nullptr ? problem : "ok") + (" " + size), expected + " " + stated) << name;
        ++files, passed += reason == "ok";
    }
    EXPECT_GE(files, 40) << "JPEGs written";
    EXPECT_GE(passed, 20) << "the makers' JPEGs of every kind and the crafted twins that pass";
}
