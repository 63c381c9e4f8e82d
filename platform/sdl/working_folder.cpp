// Where the Linux program works: the folder it was started in when that holds a picture, or else
// the varnelo folder of the user's pictures folder, filled with the bundled pictures.
#include "platform/sdl/working_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "image/reason.h"
#include "platform/screen.h"
#include "tools/output/output_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* PictureNames[] = {"spot.tga", "scr.tga"};

// The pictures an installed program ships, found from the program's own place rather than
// from a prefix fixed at build time, so that a tree unpacked anywhere works too. Empty for a
// program run from its build folder.
fs::path BundledPictures() {
    std::error_code error;
    const fs::path data = fs::read_symlink("/proc/self/exe", error).parent_path() / VARNELO_DATA_FROM_BIN;
    return !error && fs::is_regular_file(data / PictureNames[0], error) ? data : fs::path();
}

// Text without the blanks (spaces, tabs) the shell ignores around a line.
std::string Trimmed(const std::string& line) {
    const size_t begin = line.find_first_not_of(" \t\r"), end = line.find_last_not_of(" \t\r");
    return begin == std::string::npos ? std::string() : line.substr(begin, end - begin + 1);
}

// One XDG_PICTURES_DIR line of user-dirs.dirs, read as the shell of xdg-user-dir(1) reads it:
// blanks around the line do not count; within the quotes a backslash keeps a following ", \, $ or
// ` as it is (and stays itself before any other character); after them only blanks and a comment
// may follow. A leading $HOME is the home folder. False for a line the shell would read otherwise
// (no closing quote, more text after it, a $ or ` it would expand), which is passed over.
bool ReadPicturesRecord(const std::string& line, bool& inHome, std::string& value) {
    const std::string key = "XDG_PICTURES_DIR=\"", home = "$HOME";
    if (line.rfind(key, 0) != 0) return false;
    size_t at = key.size();
    inHome = line.compare(at, home.size(), home) == 0 && (line.size() > at + home.size()) &&
             (line[at + home.size()] == '/' || line[at + home.size()] == '"');
    if (inHome) at += home.size();
    value.clear();
    for (; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size() && std::strchr("\"\\$`", line[at + 1]) != nullptr) {
            value += line[++at];
        } else if (line[at] == '$' || line[at] == '`') {
            return false;
        } else {
            value += line[at];
        }
    }
    if (at == line.size()) return false;
    const size_t after = at + 1, rest = line.find_first_not_of(" \t", after);
    return rest == std::string::npos || (rest > after && line[rest] == '#');
}

// The user's pictures folder as xdg-user-dirs records it (its names follow the desktop's
// language), read as xdg-user-dir(1) reads it: the last assignment counts. An empty value or
// "$HOME" alone, which is how a desktop turns the folder off, means the home folder itself, as
// that tool answers. "$HOME//x" stays within home. Without a record: ~/Pictures.
fs::path PicturesFolder(const fs::path& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::ifstream dirs((config != nullptr && *config == '/' ? fs::path(config) : home / ".config") / "user-dirs.dirs");
    fs::path folder = home / "Pictures";
    bool inHome = false;
    std::string value;
    for (std::string line; std::getline(dirs, line);) {
        if (!ReadPicturesRecord(Trimmed(line), inHome, value)) continue;
        if (inHome || value.empty()) {
            const size_t rest = value.find_first_not_of('/');
            folder = rest == std::string::npos ? home : home / value.substr(rest);
        } else if (value[0] == '/') {
            folder = value;
        }
    }
    return folder;
}

// Said on stderr and, where a display can show it, in a box: a program started from the
// desktop's menu has no terminal.
bool Refuse(const fs::path& path, const std::string& reason) {
    const std::string text = "cannot prepare " + path.string() + ": " + reason;
    screen::Tell("varnelo", text.c_str());
    return false;
}

// Writes all of in to out and makes it durable; false with errno set.
bool CopyWhole(int in, int out) {
    char buffer[1 << 16];
    for (ssize_t got; (got = read(in, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        for (ssize_t put = 0, wrote; put < got; put += wrote) {
            if ((wrote = write(out, buffer + put, static_cast<size_t>(got - put))) < 0) {
                if (errno != EINTR) return false;
                wrote = 0;
            }
        }
    }
    return fsync(out) == 0;
}

// Copies from one open file to a new one, and where the copy cannot be made whole, removes it
// again: a file cut short must never pass for a picture. False with errno set.
bool CopyInto(int in, const fs::path& to) {
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) return false;
    bool whole = lseek(in, 0, SEEK_SET) == 0 && CopyWhole(in, out);
    if (close(out) != 0) whole = false;
    if (!whole) {
        const int reason = errno;
        unlink(to.c_str());
        errno = reason;
    }
    return whole;
}

// How a file system says that it cannot rename without replacing, and that it has no hard links
// (FAT and many FUSE file systems answer a link with EPERM).
bool RenameNotOffered(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }
bool LinkNotOffered(int error) { return error == EPERM || error == ENOSYS || error == EOPNOTSUPP; }

// Gives the folder a copy of a bundled picture, and never replaces a picture that is there: one
// that another start, or the user, put there meanwhile is kept. The copy is made under a name of
// this process's own and renamed into place only once whole, so that a copy cut short (a full
// disk, a size limit, a crash) never passes for the user's picture. Where the file system renames
// only with replacing, a hard link into place does the same; where it has no hard links either
// (FUSE file systems such as sshfs), the picture is written under its own name, created only if
// absent, and removed if it cannot be written whole.
bool PlacePicture(const fs::path& from, const fs::path& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Refuse(from, std::strerror(errno));
    const char* failure = WriteThenMove(
        to.string(),
        [&](const std::string& part) {
            // Only a start that died with this process number can have left one.
            unlink(part.c_str());
            return CopyInto(in, part) ? nullptr : SetReason("%s", std::strerror(errno));
        },
        [&](const std::string& part) -> const char* {
            if (renameat2(AT_FDCWD, part.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 || errno == EEXIST) return nullptr;
            if (RenameNotOffered(errno) && (link(part.c_str(), to.c_str()) == 0 || errno == EEXIST)) return nullptr;
            if (LinkNotOffered(errno) && (CopyInto(in, to) || errno == EEXIST)) return nullptr;
            return SetReason("%s", std::strerror(errno));
        });
    close(in);
    return failure == nullptr || Refuse(to, failure);
}

}  // namespace

bool EnterWorkingFolder() {
    std::error_code error;
    for (const char* name : PictureNames) {
        if (fs::exists(fs::symlink_status(name, error))) return true;
    }
    const fs::path bundled = BundledPictures();
    if (bundled.empty()) return true;
    // Without a home there is no pictures folder; where the program was started there is no
    // picture, so reading one could only fail: it says where it looked, and why nowhere else.
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
        const std::string text = "no spot.tga or scr.tga in " + fs::current_path(error).string() +
                                 ", and no pictures folder to take them from, as HOME is " +
                                 (home == nullptr ? "not set" : *home == '\0' ? "empty" : "relative (" + std::string(home) + ")");
        screen::Tell("varnelo", text.c_str());
        return false;
    }
    const fs::path folder = PicturesFolder(home) / "varnelo";
    if (fs::create_directories(folder, error); error) return Refuse(folder, error.message());
    for (const char* name : PictureNames) {
        if (fs::exists(fs::symlink_status(folder / name, error))) continue;
        if (!PlacePicture(bundled / name, folder / name)) return false;
    }
    if (chdir(folder.c_str()) != 0) return Refuse(folder, std::strerror(errno));
    // Said where a user who started it from a terminal will see it, as the screenshots go there.
    std::printf("varnelo: working in %s\n", folder.c_str());
    return true;
}

