// The entry point of the Linux program: answers --help and --version, picks the folder the
// program works in, then runs WinMain on the stand-ins, which read no options themselves.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "app/app.h"
#include "platform/core/standins.h"
#include "platform/screen.h"

namespace fs = std::filesystem;

namespace {

// What a program started from a shell gets on Windows (SW_SHOWDEFAULT).
constexpr int ShowDefault = 10;
char EmptyCommandLine[] = "";
constexpr const char* PictureNames[] = {"spot.tga", "scr.tga"};
constexpr const char* Usage = "usage: varnelo [--help | --version]\n";

// The pictures an installed program ships, found from the program's own place rather than
// from a prefix fixed at build time, so that a tree unpacked anywhere works too. Empty for a
// program run from its build folder.
fs::path BundledPictures() {
    std::error_code error;
    const fs::path data = fs::read_symlink("/proc/self/exe", error).parent_path() / VARNELO_DATA_FROM_BIN;
    return !error && fs::is_regular_file(data / PictureNames[0], error) ? data : fs::path();
}

// The user's pictures folder as xdg-user-dirs records it (its names follow the desktop's
// language), else ~/Pictures.
fs::path PicturesFolder(const fs::path& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::ifstream dirs((config != nullptr && *config == '/' ? fs::path(config) : home / ".config") / "user-dirs.dirs");
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key, 0) != 0 || line.size() <= key.size() + 1 || line.back() != '"') continue;
        const std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME/", 0) == 0 && value.size() > 6) return home / value.substr(6);
        if (value[0] == '/') return value;
    }
    return home / "Pictures";
}

bool Refuse(const fs::path& path, const std::string& reason) {
    std::fprintf(stderr, "varnelo: cannot prepare %s: %s\n", path.c_str(), reason.c_str());
    return false;
}

// A folder holding either picture is one the user chose: the program works there, as it
// always has. From any other folder an installed program works in <pictures>/varnelo, given
// the bundled pictures the first time; pictures the user put there are never replaced.
bool EnterWorkingFolder() {
    std::error_code error;
    for (const char* name : PictureNames) {
        if (fs::exists(fs::symlink_status(name, error))) return true;
    }
    const fs::path bundled = BundledPictures();
    const char* home = std::getenv("HOME");
    if (bundled.empty() || home == nullptr || *home != '/') return true;
    const fs::path folder = PicturesFolder(home) / "varnelo";
    if (fs::create_directories(folder, error); error) return Refuse(folder, error.message());
    for (const char* name : PictureNames) {
        if (fs::exists(fs::symlink_status(folder / name, error))) continue;
        if (fs::copy_file(bundled / name, folder / name, error); error) return Refuse(folder / name, error.message());
    }
    if (chdir(folder.c_str()) != 0) return Refuse(folder, std::strerror(errno));
    // Said where a user who started it from a terminal will see it, as the screenshots go there.
    std::printf("varnelo: working in %s\n", folder.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "%s"
            "A coloured light spot follows the mouse over a scene. Esc quits, F12 saves a screenshot.\n"
            "It reads spot.tga and scr.tga from the current folder, where it also writes DirectX.log\n"
            "and the screenshots. Started from a folder without them, an installed varnelo works in\n"
            "the varnelo folder of your pictures folder (~/Pictures/varnelo), which it fills with\n"
            "its own pictures the first time. See varnelo(6).\n",
            Usage);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("varnelo " VARNELO_VERSION);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr, "varnelo: %s %s\n%s", argv[1][0] == '-' ? "unknown option" : "takes no argument such as",
                     argv[1], Usage);
        return 2;
    }
    if (!EnterWorkingFolder()) return 1;
    const int exitCode = WinMain(standins::ProgramInstance(), nullptr, EmptyCommandLine, ShowDefault);
    standins::ShutDown();
    screen::Finish(exitCode);
    return exitCode;
}
