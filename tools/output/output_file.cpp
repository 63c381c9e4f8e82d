// Where an output goes: the file at the end of its links, written beside under a temporary name
// and moved into place once whole; or, for a pipe, a terminal or a device, the name as given.
#include "tools/output/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "image/reason.h"

namespace fs = std::filesystem;

namespace {

// As many links in a row as Linux follows before it gives up.
constexpr int MostLinksInARow = 40;

// The name a chain of links at `path` ends in, which need not exist yet: a relative link counts
// from its own folder. Folders on the way are left to the system, which reads ".." after a
// linked folder as it reads it for the link itself.
fs::path EndOfLinks(fs::path path, std::error_code& error) {
    for (int links = 0; fs::is_symlink(fs::symlink_status(path, error)); ++links) {
        // Links that change while they are read could otherwise be followed round for ever.
        if (links == MostLinksInARow) {
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
            return {};
        }
        const fs::path next = fs::read_symlink(path, error);
        if (error) return {};
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    error.clear();
    return path;
}

// What --help and --version print reached its reader only if standard output took it whole.
int Printed(const char* program) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program, std::strerror(errno));
    return 1;
}

}  // namespace

const char* WriteOutputFile(const std::string& path, const std::function<const char*(const std::string& to)>& write) {
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    // A name that cannot be looked up (links in a loop, a folder that may not be searched)
    // cannot be written either.
    if (type == fs::file_type::none) return SetReason("%s", error.message().c_str());
    // A pipe, a terminal or a device is written through the name as given: the links of
    // /dev/stdout and /dev/fd/N end in names such as "pipe:[N]" that no one can open.
    if (type != fs::file_type::regular && type != fs::file_type::not_found) return write(path);
    const fs::path target = EndOfLinks(path, error);
    if (error) return SetReason("%s", error.message().c_str());
    return WriteThenMove(
        target.string(),
        [&](const std::string& temporary) {
            const char* why = write(temporary);
            if (why == nullptr && type == fs::file_type::regular) {
                fs::permissions(temporary, fs::status(target, error).permissions(), error);
            }
            return why;
        },
        [&](const std::string& temporary) { return MoveIntoPlace(temporary, target.string()); });
}

const char* WriteThenMove(const std::string& target, const std::function<const char*(const std::string& temporary)>& write,
                          const std::function<const char*(const std::string& temporary)>& move) {
    const fs::path path(target);
    // Hidden, and of this process alone. (Appended piece by piece: GCC 12 warns wrongly on a + chain.)
    std::string name(1, '.');
    name.append(path.filename().string()).append(".").append(ProcessTag()).append(".part");
    const std::string temporary = (path.parent_path() / name).string();
    const char* failure = write(temporary);
    if (failure == nullptr) failure = move(temporary);
    // Gone once moved, unless the move placed a link to it.
    std::error_code error;
    fs::remove(temporary, error);
    return failure;
}

int AnswerHelpOrVersion(int argc, char** argv, const char* program, void (*printUsage)(std::FILE* stream),
                        const std::string& helpAfterUsage) {
    const bool help = argc > 1 && std::strcmp(argv[1], "--help") == 0;
    if (!help && (argc < 2 || std::strcmp(argv[1], "--version") != 0)) return -1;
    if (argc > 2) {
        std::fprintf(stderr, "%s: %s takes no argument such as %s\n", program, argv[1], argv[2]);
        printUsage(stderr);
        return 2;
    }
    if (help) {
        printUsage(stdout);
        std::fputs(helpAfterUsage.c_str(), stdout);
    } else {
        std::printf("%s %s\n", program, VARNELO_VERSION);
    }
    return Printed(program);
}
