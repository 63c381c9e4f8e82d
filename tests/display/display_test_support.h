// Shared ground for the display tests: a fresh working directory per test (the log name is
// fixed), a clean display state and double, and the Windows-1250 form of the expected texts.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "tests/fakes/ddraw/ddraw_fake.h"

// Converts through the system's iconv, apart from the compiler conversion the program relies on.
inline std::string Cp1250(const std::string& utf8) {
    iconv_t converter = iconv_open("CP1250", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv knows no CP1250";
        return {};
    }
    std::string input = utf8;
    std::string output(input.size(), '\0');
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
        ADD_FAILURE() << "not convertible to CP1250: " << utf8;
    }
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

inline const HWND kWindow = reinterpret_cast<HWND>(0x1234);

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "varnelo-display-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        std::filesystem::current_path(directory_);
        ClearDisplayState();
        ddraw_fake::Reset();
    }

    void TearDown() override {
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(directory_);
        ClearDisplayState();
        ddraw_fake::Reset();
    }

    static void ClearDisplayState() {
        lpDD = nullptr;
        lpDDSPrimary = nullptr;
        lpDDSBack = nullptr;
        lpDDSOne = nullptr;
        lpDDSTwo = nullptr;
        std::memset(&ddsd, 0, sizeof(ddsd));
        DisplayWidth = 0;
        DisplayHeight = 0;
        bPageOne = 0;
    }

    static std::string LogBytes() {
        std::ifstream file("DirectX.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // The log split at its line ends; a last line without one shows up as such.
    static std::vector<std::string> LogLines() {
        const std::string bytes = LogBytes();
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(bytes.substr(start, end - start));
        }
        if (start < bytes.size()) {
            lines.push_back(bytes.substr(start) + "<no line end>");
        }
        return lines;
    }

private:
    std::filesystem::path home_;
    std::filesystem::path directory_;
};
