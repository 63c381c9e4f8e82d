// varnelo-pictures' command line: the bundled spot.tga and scr.tga into a folder, the icons
// (--icons), or any TGA file a script describes (--tga), each file written whole or not at all.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <deque>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "image/tga_writer.h"
#include "tools/output/output_file.h"
#include "tools/pictures/art.h"
#include "tools/pictures/image_files.h"

namespace {

// Writes one output file, saying on stderr which one could not be written and why.
bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes) {
    const char* failure = WriteOutputFile(path, [&bytes](const std::string& to) { return WriteFileBytes(to.c_str(), bytes); });
    if (failure == nullptr) return true;
    std::fprintf(stderr, "varnelo-pictures: cannot write %s: %s\n", path.c_str(), failure);
    return false;
}

// FOLDER: the demo's two pictures.
int WriteBundledPictures(const std::string& folder) {
    return WriteOutput(folder + "/spot.tga", RgbTga(PaintSpotPicture())) && WriteOutput(folder + "/scr.tga", RgbTga(PaintScenePicture())) ? 0 : 1;
}

// --icons: varnelo-SIZE.png for the desktop's icon theme and the web page's manifest,
// varnelo.ico with the sizes Windows asks for, and the page's favicon.ico.
int WriteIcons(const std::string& folder) {
    std::vector<std::pair<int, std::vector<uint8_t>>> forWindows;
    for (int size : {16, 32, 48, 64, 128, 192, 256, 512}) {
        const std::vector<uint8_t> png = PngFile(PaintIcon(size));
        if (!WriteOutput(folder + "/varnelo-" + std::to_string(size) + ".png", png)) return 1;
        if (size <= 48 || size == 256) forWindows.emplace_back(size, png);
    }
    const std::vector<uint8_t> favicon = IcoFile({{32, PngFile(PaintIcon(32))}});
    return WriteOutput(folder + "/varnelo.ico", IcoFile(forWindows)) && WriteOutput(folder + "/favicon.ico", favicon) ? 0 : 1;
}

// --tga: the header from FIELD=VALUE words, then standard input as it comes (image ID, map,
// pixels). Scripts make the odd files they need this way instead of packing headers themselves.
// A value its field cannot hold is refused, not cut down to another number.
int WriteTgaFromFields(const std::string& path, const std::deque<std::string>& words) {
    TgaLayout layout;
    const struct {
        const char* name;
        unsigned long largest;
        void (*set)(TgaLayout&, unsigned long);
    } fields[] = {
        {"type", 255, [](TgaLayout& l, unsigned long v) { l.imageType = uint8_t(v); }},
        {"width", 65535, [](TgaLayout& l, unsigned long v) { l.width = uint16_t(v); }},
        {"height", 65535, [](TgaLayout& l, unsigned long v) { l.height = uint16_t(v); }},
        {"depth", 255, [](TgaLayout& l, unsigned long v) { l.pixelDepth = uint8_t(v); }},
        {"map", 65535, [](TgaLayout& l, unsigned long v) { l.colourMapLength = uint16_t(v), l.colourMapType = v != 0; }},
        {"entry", 255, [](TgaLayout& l, unsigned long v) { l.colourMapEntrySize = uint8_t(v); }},
        {"descriptor", 255, [](TgaLayout& l, unsigned long v) { l.descriptor = uint8_t(v); }},
    };
    for (const std::string& word : words) {
        const size_t equals = word.find('=');
        const auto field = std::find_if(std::begin(fields), std::end(fields),
                                        [&](const auto& f) { return equals != std::string::npos && word.compare(0, equals, f.name) == 0; });
        if (field == std::end(fields)) {
            std::fprintf(stderr, "varnelo-pictures: unknown field %s\n", word.c_str());
            return 2;
        }
        unsigned long value = 0;
        const char* const end = word.data() + word.size();
        const auto [stop, error] = std::from_chars(word.data() + equals + 1, end, value);
        if (equals + 1 == word.size() || error != std::errc{} || stop != end || value > field->largest) {
            std::fprintf(stderr, "varnelo-pictures: %s: not a whole number from 0 to %lu\n", word.c_str(), field->largest);
            return 2;
        }
        field->set(layout, value);
    }
    std::vector<uint8_t> bytes = TgaHeaderBytes(layout);
    for (int c; (c = std::getchar()) != EOF;) bytes.push_back(uint8_t(c));
    return WriteOutput(path, bytes) ? 0 : 1;
}

const char* const Usage =
    "usage: varnelo-pictures FOLDER\n"
    "       varnelo-pictures --icons FOLDER\n"
    "       varnelo-pictures --tga OUT.tga [FIELD=VALUE]...\n"
    "       varnelo-pictures --help | --version\n";

// Bad usage: what was wrong, then the usage.
int UsageError(const std::string& problem) {
    std::fprintf(stderr, "varnelo-pictures: %s\n%s", problem.c_str(), Usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const auto printUsage = [](std::FILE* stream) { std::fputs(Usage, stream); };
    if (const int answered = AnswerHelpOrVersion(argc, argv, "varnelo-pictures", printUsage); answered >= 0) return answered;
    std::deque<std::string> words(argv + 1, argv + argc);
    if (words.empty()) return std::fputs(Usage, stderr), 2;
    // The words are taken in order: the form, the file or folder it names (for the bundled
    // pictures' form, the folder is the form's word), then --tga's fields.
    const std::string form = words.front();
    const bool namesItsTarget = form == "--icons" || form == "--tga";
    if (namesItsTarget) words.pop_front();
    if (words.empty()) return UsageError(form == "--tga" ? "--tga needs a file name" : "--icons needs a folder");
    const std::string target = words.front();
    words.pop_front();
    if (!words.empty() && form != "--tga") return UsageError("unexpected argument " + words.front());
    // An empty name would write into the current folder, or into / when the name is joined to a file's.
    if (target.empty()) return UsageError(form == "--tga" ? "empty file name" : "empty folder name");
    if (form == "--tga") return WriteTgaFromFields(target, words);
    if (form == "--icons") return WriteIcons(target);
    // A folder named like an option is refused rather than created; ./-name reaches it.
    if (form[0] == '-') return UsageError("unknown option " + form);
    return WriteBundledPictures(target);
}
