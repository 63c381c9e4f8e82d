// What varnelo-render says when a file lets it down, and the one way it writes an output.
#include "tools/render/report.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "image/bmp.h"
#include "image/reason.h"
#include "tools/output/output_file.h"

void ReportUnreadable(const char* path, const char* reason) {
    std::fprintf(stderr, "varnelo-render: cannot read %s: %s\n", path, reason);
}

void ReportUnwritable(const char* path, const char* reason) {
    std::fprintf(stderr, "varnelo-render: cannot write %s: %s\n", path, reason);
}

bool OutputIsInput(const char* outputPath, const char* inputPath) {
    // Compared by what the names lead to, without opening either: an output that does not
    // exist yet is no input.
    std::error_code error;
    if (!std::filesystem::equivalent(outputPath, inputPath, error) || error) return false;
    ReportUnwritable(outputPath, "it is the input picture");
    return true;
}

int WriteOutputOrReport(const char* path, const std::function<const char*(const std::string& to)>& write) {
    const char* failure = WriteOutputFile(path, write);
    if (failure == nullptr) return 0;
    ReportUnwritable(path, failure);
    return 1;
}

int WriteBmpOrReport(const char* path, const Image& image) {
    return WriteOutputOrReport(path, [&image](const std::string& to) {
        return SaveBmp(to.c_str(), &image) == 1 ? nullptr : LastReason();
    });
}
