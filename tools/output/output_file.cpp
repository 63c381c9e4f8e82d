// Where an output goes: the file a link names, written beside under a temporary name unless it
// is a device or a pipe, and moved into place once whole.
#include "tools/output/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string WriteOutputFile(const std::string& path, const std::function<std::string(const std::string& to)>& write) {
    std::error_code error;
    // Through any links to the file they name, which need not exist yet.
    const fs::path target = fs::symlink_status(path, error).type() == fs::file_type::symlink ? fs::weakly_canonical(path, error) : fs::path(path);
    const fs::file_type type = fs::status(target, error).type();
    if (type != fs::file_type::regular && type != fs::file_type::not_found) return write(path);
    // Hidden, and of this process alone. (Appended piece by piece: GCC 12 warns wrongly on a + chain.)
    std::string name(1, '.');
    name.append(target.filename().string()).append(1, '.').append(ProcessTag()).append(".part");
    const fs::path temporary = target.parent_path() / name;
    std::string failure = write(temporary.string());
    if (failure.empty() && type == fs::file_type::regular) {
        fs::permissions(temporary, fs::status(target, error).permissions(), error);
    }
    if (failure.empty()) failure = MoveIntoPlace(temporary.string(), target.string());
    if (!failure.empty()) fs::remove(temporary, error);
    return failure;
}

int Printed(const char* program) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program, std::strerror(errno));
    return 1;
}
