// varnelo-pictures: draws the bundled spot.tga (the light) and scr.tga (the scene it lights)
// and writes them as TGA files into the folder it is given; with --icons it draws the program's
// icon for the desktop, Windows and the web page (PNG files and .ico files); with --tga it writes
// any TGA file a script describes.
//
// Only integer arithmetic, + - * / and square roots are used, which come out the same on
// every IEEE machine, so the committed pictures can be checked against a fresh run.
#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "image/tga_writer.h"
#include "tools/output/output_file.h"

namespace {

struct Colour {
    double red;
    double green;
    double blue;
};

Colour Mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

Colour Scale(Colour c, double factor) { return {c.red * factor, c.green * factor, c.blue * factor}; }

double Clamp01(double t) { return std::clamp(t, 0.0, 1.0); }

// Cubic ease between edge0 and edge1, for soft borders.
double Smooth(double edge0, double edge1, double t) {
    const double s = Clamp01((t - edge0) / (edge1 - edge0));
    return s * s * (3.0 - 2.0 * s);
}

// A well-mixed 32-bit hash, for texture that looks random but never changes.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double Noise(uint32_t a, uint32_t b, uint32_t c = 0) { return double(Hash(a, b, c) & 0xFFFF) / 65535.0; }

struct Canvas {
    int width;
    int height;
    std::vector<Colour> pixels;

    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Colour{0, 0, 0}) {}
    Colour& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint8_t ToByte(double value) { return uint8_t(std::min(int(std::clamp(value, 0.0, 255.0) + 0.5), 255)); }



// A round light: warm white in the middle, through amber and rose to black at the rim.
Canvas DrawSpot() {
    constexpr int Size = 96;
    Canvas spot(Size, Size);
    const double centre = (Size - 1) / 2.0, radius = Size / 2.0;
    const Colour core{255, 252, 240}, amber{255, 196, 96}, rose{236, 84, 150}, violet{90, 40, 170};
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double dx = x - centre, dy = y - centre;
            const double r = std::sqrt(dx * dx + dy * dy) / radius;
            if (r >= 1.0) continue;
            Colour c = r < 0.45 ? Mix(core, amber, Smooth(0.1, 0.45, r))
                     : r < 0.75 ? Mix(amber, rose, Smooth(0.45, 0.75, r))
                                : Mix(rose, violet, Smooth(0.75, 1.0, r));
            const double fade = 1.0 - Smooth(0.3, 1.0, r);
            spot.At(x, y) = Scale(c, fade);
        }
    }
    return spot;
}

// Bricks with mortar, each brick its own shade of clay, lightly speckled.
Colour Brick(int x, int y) {
    constexpr int BrickWidth = 24, BrickHeight = 10;
    const int course = y / BrickHeight;
    const int shifted = x + (course % 2) * (BrickWidth / 2);
    const int column = shifted / BrickWidth;
    if (y % BrickHeight == 0 || shifted % BrickWidth == 0) return {186, 178, 160};
    const double shade = Noise(uint32_t(course), uint32_t(column), 1);
    const Colour clay = Mix(Colour{178, 64, 42}, Colour{214, 128, 60}, shade);
    const double speckle = 0.88 + 0.12 * Noise(uint32_t(x), uint32_t(y), 2);
    return Scale(clay, speckle);
}

// A round window of coloured glass in eight panes, with lead between them.
bool Window(int x, int y, Colour& colour) {
    const double cx = 160, cy = 78, outer = 46;
    const double dx = x - cx, dy = y - cy;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r > outer + 3) return false;
    if (r > outer) {
        colour = {120, 116, 110};  // stone frame
        return true;
    }
    const double ax = std::fabs(dx), ay = std::fabs(dy);
    const bool nearLead = std::fabs(ax - ay) < 1.5 || ax < 1.2 || ay < 1.2 || std::fabs(r - 16) < 1.2;
    if (nearLead) {
        colour = {40, 36, 44};
        return true;
    }
    static const Colour panes[8] = {{230, 40, 50}, {250, 150, 30}, {250, 230, 60}, {70, 200, 80},
                                    {40, 190, 210}, {50, 80, 230}, {150, 60, 220}, {230, 70, 170}};
    const int pane = (dy < 0 ? 4 : 0) + (dx < 0 ? 2 : 0) + (ax > ay ? 1 : 0);
    Colour glass = r < 16 ? Colour{255, 240, 200} : panes[pane];
    colour = Scale(glass, 0.8 + 0.2 * (1.0 - r / outer));
    return true;
}

// A floor of two-tone tiles that narrow toward the back.
Colour Floor(int x, int y) {
    const double depth = (y - 150) / 50.0 + 0.25;  // 0.25 at the back, 1.25 at the front
    const double u = (x - 160) / depth, v = 3.0 / depth;
    const int tileU = int(std::floor(u / 28.0)), tileV = int(std::floor(v));
    const bool light = ((tileU + tileV) % 2 + 2) % 2 == 0;
    const Colour tile = light ? Colour{236, 228, 206} : Colour{32, 132, 140};
    return Scale(tile, 0.6 + 0.4 * Clamp01(depth));
}

// A rainbow banner hung on the wall, with a wave along its lower edge.
bool Banner(int x, int y, Colour& colour) {
    if (x < 12 || x > 96) return false;
    const int wave = (x / 6) % 2 == 0 ? 0 : 3;
    if (y < 20 || y > 128 + wave) return false;
    static const Colour stripes[6] = {{228, 48, 48}, {244, 140, 36}, {244, 220, 60},
                                      {64, 180, 72}, {52, 110, 220}, {132, 64, 196}};
    colour = stripes[((x - 12) / 14) % 6];
    if ((x + y) % 16 < 2) colour = Scale(colour, 0.7);  // woven diagonal
    return true;
}

// A framed picture of concentric rings on the right side of the wall.
bool Rings(int x, int y, Colour& colour) {
    const int left = 226, top = 28, right = 304, bottom = 126;
    if (x < left || x > right || y < top || y > bottom) return false;
    if (x < left + 4 || x > right - 4 || y < top + 4 || y > bottom - 4) {
        colour = {196, 160, 48};  // gilt frame
        return true;
    }
    const double dx = x - (left + right) / 2.0, dy = y - (top + bottom) / 2.0;
    const int ring = int(std::sqrt(dx * dx + dy * dy) / 5.0);
    static const Colour inks[4] = {{20, 30, 90}, {240, 240, 230}, {200, 40, 60}, {40, 160, 170}};
    colour = inks[ring % 4];
    return true;
}

Canvas DrawScene() {
    Canvas scene(320, 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            Colour c;
            if (y >= 150) {
                c = Floor(x, y);
            } else if (!Window(x, y, c) && !Banner(x, y, c) && !Rings(x, y, c)) {
                c = Brick(x, y);
                if (y >= 140) c = Scale(c, 0.55 + 0.045 * (149 - y));  // skirting shadow
            }
            scene.At(x, y) = c;
        }
    }
    return scene;
}

// The icon: the round window as the demo shows it, lit by the spot, on a disc that fades out at
// its rim. Each pixel averages 4 x 4 samples, so that small sizes stay smooth.
std::vector<uint8_t> DrawIcon(int size, Canvas& spot, Canvas& scene) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour sum{0, 0, 0};
            double cover = 0;
            for (int sample = 0; sample < 16; ++sample) {
                const double u = (x + (sample % 4 + 0.5) / 4) / size, v = (y + (sample / 4 + 0.5) / 4) / size;
                const double r = std::sqrt((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2;
                if (r >= 1.0) continue;
                const Colour light = spot.At(int(u * spot.width), int(v * spot.height));
                const Colour lit = scene.At(112 + int(u * 96), 30 + int(v * 96));
                const double weight = 1.0 - Smooth(0.9, 1.0, r);
                // Brighter than the demo's product, which would leave a small icon too dark.
                sum.red += weight * std::min(255.0, lit.red * light.red / 160);
                sum.green += weight * std::min(255.0, lit.green * light.green / 160);
                sum.blue += weight * std::min(255.0, lit.blue * light.blue / 160);
                cover += weight;
            }
            const double keep = cover > 0 ? 1.0 / cover : 0;
            rgba.insert(rgba.end(), {ToByte(sum.red * keep), ToByte(sum.green * keep), ToByte(sum.blue * keep),
                                     ToByte(cover * 255 / 16)});
        }
    }
    return rgba;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

uint32_t Crc32(const uint8_t* bytes, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBigEndian(png, Crc32(png.data() + start, png.size() - start));
}

// Bits as deflate packs them: a value's least significant bit first, a Huffman code's most
// significant bit first.
class BitWriter {
public:
    std::vector<uint8_t> bytes;

    void Put(uint32_t value, int count) {
        for (int bit = 0; bit < count; ++bit, used_ = (used_ + 1) % 8) {
            if (used_ == 0) bytes.push_back(0);
            bytes.back() = uint8_t(bytes.back() | ((value >> bit) & 1) << used_);
        }
    }
    void PutCode(uint32_t code, int length) {
        for (int bit = length - 1; bit >= 0; --bit) Put(code >> bit, 1);
    }

private:
    int used_ = 0;
};

// Huffman code lengths for symbol counts, none longer than limit: where the tree grows too deep
// the counts are flattened and the tree built again.
std::vector<int> CodeLengths(std::vector<uint32_t> counts, int limit) {
    for (;;) {
        using Node = std::pair<uint64_t, int>;  // weight, then index: ties break the same everywhere
        std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
        std::vector<int> parent(counts.size(), -1), lengths(counts.size(), 0);
        for (size_t symbol = 0; symbol < counts.size(); ++symbol) {
            if (counts[symbol] != 0) queue.push({counts[symbol], int(symbol)});
        }
        if (queue.size() == 1) lengths[size_t(queue.top().second)] = 1;
        while (queue.size() > 1) {
            const Node first = queue.top();
            queue.pop();
            const Node second = queue.top();
            queue.pop();
            parent[size_t(first.second)] = parent[size_t(second.second)] = int(parent.size());
            queue.push({first.first + second.first, int(parent.size())});
            parent.push_back(-1);
        }
        int longest = 0;
        for (size_t symbol = 0; symbol < counts.size(); ++symbol) {
            for (int node = int(symbol); counts[symbol] != 0 && parent[size_t(node)] != -1; node = parent[size_t(node)]) {
                ++lengths[symbol];
            }
            longest = std::max(longest, lengths[symbol]);
        }
        if (longest <= limit) return lengths;
        for (uint32_t& count : counts) count = (count + 1) / 2;
    }
}

// The canonical codes that deflate derives from code lengths.
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    uint32_t perLength[16] = {}, next[16] = {};
    for (int length : lengths) perLength[length] += length != 0;
    for (int bits = 1; bits < 16; ++bits) next[bits] = (next[bits - 1] + perLength[bits - 1]) << 1;
    std::vector<uint32_t> codes(lengths.size());
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        if (lengths[symbol] != 0) codes[symbol] = next[lengths[symbol]]++;
    }
    return codes;
}

// One deflate symbol: a literal byte, or a copy of length bytes from distance back.
struct Piece {
    int length;  // 1: a literal
    int value;   // the literal, or the distance
};

// Greedy LZ77 over deflate's 32 KiB window, through chains of earlier places that start with the
// same three bytes.
std::vector<Piece> FindRepeats(const std::vector<uint8_t>& data) {
    constexpr size_t Window = 32768, MaxLength = 258;
    constexpr int Tries = 64;
    const auto hash = [&](size_t at) { return (data[at] << 10 ^ data[at + 1] << 5 ^ data[at + 2]) & 0x7FFF; };
    std::vector<ptrdiff_t> latest(0x8000, -1), earlier(data.size(), -1);
    std::vector<Piece> pieces;
    for (size_t at = 0; at < data.size();) {
        size_t best = 0, distance = 0;
        int tries = Tries;
        for (ptrdiff_t from = at + 3 <= data.size() ? latest[size_t(hash(at))] : -1;
             from >= 0 && at - size_t(from) <= Window && tries-- > 0 && best < MaxLength; from = earlier[size_t(from)]) {
            size_t length = 0;
            while (length < MaxLength && at + length < data.size() && data[size_t(from) + length] == data[at + length]) ++length;
            if (length > best) best = length, distance = at - size_t(from);
        }
        if (best < 3) best = 1;
        pieces.push_back(best == 1 ? Piece{1, data[at]} : Piece{int(best), int(distance)});
        for (const size_t end = at + best; at < end; ++at) {
            if (at + 3 > data.size()) continue;
            earlier[at] = latest[size_t(hash(at))];
            latest[size_t(hash(at))] = ptrdiff_t(at);
        }
    }
    return pieces;
}

// The code for a length or distance and its extra bits: codes[i] covers base[i] on, with
// extra[i] bits to tell which. Lengths have codes 257..285, distances 0..29.
struct Range {
    int base[30];
    int extra[30];
    int count;

    int CodeOf(int value) const {
        int code = count - 1;
        while (base[code] > value) --code;
        return code;
    }
};

constexpr Range MakeRange(bool lengths) {
    Range range{};
    range.count = lengths ? 29 : 30;
    for (int code = 0, base = lengths ? 3 : 1; code < range.count; ++code) {
        range.extra[code] = lengths ? (code < 8 || code == 28 ? 0 : code / 4 - 1) : (code < 4 ? 0 : code / 2 - 1);
        range.base[code] = lengths && code == 28 ? 258 : base;
        base += 1 << range.extra[code];
    }
    return range;
}

constexpr Range LengthRange = MakeRange(true), DistanceRange = MakeRange(false);

// The code lengths of both alphabets, run-length coded as deflate's header wants them: symbol,
// and the extra bits' value (16 repeats the last length, 17 and 18 give runs of zeros).
std::vector<std::pair<int, int>> RunsOfLengths(const std::vector<int>& lengths) {
    std::vector<std::pair<int, int>> runs;
    for (size_t at = 0; at < lengths.size();) {
        size_t run = 1;
        while (at + run < lengths.size() && lengths[at + run] == lengths[at]) ++run;
        if (lengths[at] == 0 && run >= 3) {
            run = std::min<size_t>(run, 138);
            runs.push_back(run <= 10 ? std::pair{17, int(run) - 3} : std::pair{18, int(run) - 11});
        } else if (at > 0 && lengths[at] == lengths[at - 1] && run >= 3) {
            run = std::min<size_t>(run, 6);
            runs.push_back({16, int(run) - 3});
        } else {
            run = 1;
            runs.push_back({lengths[at], 0});
        }
        at += run;
    }
    return runs;
}

// Deflate (RFC 1951) in one block of Huffman codes made for the data.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
    const std::vector<Piece> pieces = FindRepeats(data);
    std::vector<uint32_t> literalCounts(286), distanceCounts(30);
    for (const Piece& piece : pieces) {
        if (piece.length == 1) ++literalCounts[size_t(piece.value)];
        if (piece.length > 1) ++literalCounts[size_t(257 + LengthRange.CodeOf(piece.length))];
        if (piece.length > 1) ++distanceCounts[size_t(DistanceRange.CodeOf(piece.value))];
    }
    ++literalCounts[256];  // the end of the block
    distanceCounts[0] += pieces.size() == data.size();  // a stream without repeats still names a distance code
    const std::vector<int> literalLengths = CodeLengths(literalCounts, 15), distanceLengths = CodeLengths(distanceCounts, 15);
    const std::vector<uint32_t> literalCodes = CanonicalCodes(literalLengths), distanceCodes = CanonicalCodes(distanceLengths);
    std::vector<int> bothLengths(literalLengths);
    bothLengths.insert(bothLengths.end(), distanceLengths.begin(), distanceLengths.end());
    const std::vector<std::pair<int, int>> runs = RunsOfLengths(bothLengths);
    std::vector<uint32_t> runCounts(19);
    for (const auto& run : runs) ++runCounts[size_t(run.first)];
    const std::vector<int> runLengths = CodeLengths(runCounts, 7);
    const std::vector<uint32_t> runCodes = CanonicalCodes(runLengths);
    constexpr int Order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

    BitWriter out;
    out.Put(1, 1);  // the last block
    out.Put(2, 2);  // with codes of its own
    out.Put(286 - 257, 5);
    out.Put(30 - 1, 5);
    out.Put(19 - 4, 4);
    for (int symbol : Order) out.Put(uint32_t(runLengths[size_t(symbol)]), 3);
    for (const auto& [symbol, extra] : runs) {
        out.PutCode(runCodes[size_t(symbol)], runLengths[size_t(symbol)]);
        out.Put(uint32_t(extra), symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0);
    }
    for (const Piece& piece : pieces) {
        if (piece.length == 1) {
            out.PutCode(literalCodes[size_t(piece.value)], literalLengths[size_t(piece.value)]);
            continue;
        }
        for (const auto& [range, codes, lengths, value, first] :
             {std::tuple{&LengthRange, &literalCodes, &literalLengths, piece.length, 257},
              std::tuple{&DistanceRange, &distanceCodes, &distanceLengths, piece.value, 0}}) {
            const int code = range->CodeOf(value);
            out.PutCode((*codes)[size_t(first + code)], (*lengths)[size_t(first + code)]);
            out.Put(uint32_t(value - range->base[code]), range->extra[code]);
        }
    }
    out.PutCode(literalCodes[256], literalLengths[256]);
    return out.bytes;
}

// A PNG of RGBA rows. The small sizes go in stored blocks, unfiltered: the packages and archives
// that carry them compress them anyway. The large ones are compressed here, each row as its
// difference from the row above: the web page sends its sizes as they are, and the 256-pixel
// image is the most of the icon that varnelo.exe carries unpacked on the disk.
std::vector<uint8_t> PngFile(int size, const std::vector<uint8_t>& rgba, bool compressed) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header, raw, zlib = {0x78, 0x01};
    PutBigEndian(header, uint32_t(size));
    PutBigEndian(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA, no interlace
    const size_t rowBytes = size_t(size) * 4;
    for (size_t y = 0; y < size_t(size); ++y) {
        raw.push_back(compressed ? 2 : 0);  // the filter: "up", or none
        for (size_t x = 0; x < rowBytes; ++x) {
            raw.push_back(uint8_t(rgba[y * rowBytes + x] - (compressed && y > 0 ? rgba[(y - 1) * rowBytes + x] : 0)));
        }
    }
    if (compressed) {
        const std::vector<uint8_t> deflated = Deflate(raw);
        zlib.insert(zlib.end(), deflated.begin(), deflated.end());
    }
    for (size_t at = 0; !compressed && at < raw.size(); at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + length == raw.size());
        PutLittleEndian(zlib, uint32_t(length), 2);
        PutLittleEndian(zlib, uint32_t(~length), 2);
        zlib.insert(zlib.end(), raw.begin() + ptrdiff_t(at), raw.begin() + ptrdiff_t(at + length));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    PutBigEndian(zlib, b << 16 | a);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

// Writes one output file, saying on stderr which one could not be written and why.
bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string failure = WriteOutputFile(path, [&bytes](const std::string& to) {
        errno = 0;
        return WriteFileBytes(to.c_str(), bytes) ? std::string() : std::strerror(errno);
    });
    if (failure.empty()) return true;
    std::fprintf(stderr, "varnelo-pictures: cannot write %s: %s\n", path.c_str(), failure.c_str());
    return false;
}

// Uncompressed 24-bit true-colour TGA, top row first (descriptor bit 5), blue-green-red.
bool WriteTga(const std::string& path, const Canvas& canvas) {
    std::vector<uint8_t> bytes = TgaHeaderBytes({.width = uint16_t(canvas.width), .height = uint16_t(canvas.height),
                                                 .descriptor = 0x20});
    for (const Colour& c : canvas.pixels) bytes.insert(bytes.end(), {ToByte(c.blue), ToByte(c.green), ToByte(c.red)});
    return WriteOutput(path, bytes);
}

// An icon file of PNG images (which Windows reads since Vista), each given with its size.
std::vector<uint8_t> IcoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& pngs) {
    std::vector<uint8_t> ico = {0, 0, 1, 0, uint8_t(pngs.size()), 0}, images;
    for (const auto& [size, png] : pngs) {
        // Width and height of 256 are written as 0; no palette; 1 plane of 32 bits.
        ico.insert(ico.end(), {uint8_t(size), uint8_t(size), 0, 0, 1, 0, 32, 0});
        PutLittleEndian(ico, uint32_t(png.size()), 4);
        PutLittleEndian(ico, uint32_t(6 + 16 * pngs.size() + images.size()), 4);
        images.insert(images.end(), png.begin(), png.end());
    }
    ico.insert(ico.end(), images.begin(), images.end());
    return ico;
}

// --icons: varnelo-SIZE.png for the desktop's icon theme and the web page's manifest,
// varnelo.ico with the sizes Windows asks for, and the page's favicon.ico.
int WriteIcons(const std::string& folder) {
    Canvas spot = DrawSpot(), scene = DrawScene();
    const int pngSizes[] = {16, 32, 48, 64, 128, 192, 256, 512};
    std::vector<std::pair<int, std::vector<uint8_t>>> forWindows;
    for (int size : pngSizes) {
        const std::vector<uint8_t> png = PngFile(size, DrawIcon(size, spot, scene), size >= 192);
        if (!WriteOutput(folder + "/varnelo-" + std::to_string(size) + ".png", png)) return 1;
        if (size <= 48 || size == 256) forWindows.push_back({size, png});
    }
    const std::vector<uint8_t> favicon = IcoFile({{32, PngFile(32, DrawIcon(32, spot, scene), true)}});
    return WriteOutput(folder + "/varnelo.ico", IcoFile(forWindows)) && WriteOutput(folder + "/favicon.ico", favicon) ? 0 : 1;
}

// --tga: the header from FIELD=VALUE words, then standard input as it comes (image ID, map,
// pixels). Scripts make the odd files they need this way instead of packing headers themselves.
// A value its field cannot hold is refused, not cut down to another number.
int WriteTgaFromFields(int argc, char** argv) {
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
    for (int i = 3; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        const auto field = std::find_if(std::begin(fields), std::end(fields), [&](const auto& f) {
            return equals != nullptr && std::string(argv[i], size_t(equals - argv[i])) == f.name;
        });
        if (field == std::end(fields)) {
            std::fprintf(stderr, "varnelo-pictures: unknown field %s\n", argv[i]);
            return 2;
        }
        unsigned long value = 0;
        const char* end = equals + std::strlen(equals);
        const auto [stop, error] = std::from_chars(equals + 1, end, value);
        if (equals[1] == '\0' || error != std::errc{} || stop != end || value > field->largest) {
            std::fprintf(stderr, "varnelo-pictures: %s: not a whole number from 0 to %lu\n", argv[i], field->largest);
            return 2;
        }
        field->set(layout, value);
    }
    std::vector<uint8_t> bytes = TgaHeaderBytes(layout);
    for (int c; (c = std::getchar()) != EOF;) bytes.push_back(uint8_t(c));
    return WriteOutput(argv[2], bytes) ? 0 : 1;
}

const char* const Usage =
    "usage: varnelo-pictures FOLDER\n"
    "       varnelo-pictures --icons FOLDER\n"
    "       varnelo-pictures --tga OUT.tga [FIELD=VALUE]...\n"
    "       varnelo-pictures --help | --version\n";

// Bad usage: what was wrong, then the usage.
int UsageError(const char* problem, const char* argument) {
    std::fprintf(stderr, "varnelo-pictures: %s%s\n%s", problem, argument, Usage);
    return 2;
}

// What --help and --version print reached its reader only if it could be written whole.
int Printed() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "varnelo-pictures: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return std::fputs(Usage, stderr), 2;
    const std::string_view first = argv[1];
    // Each form takes its words in fixed places, but --tga, whose fields follow its file.
    const int words = first == "--icons" || first == "--tga" ? 3 : 2;
    if (argc < words) return UsageError(first == "--tga" ? "--tga needs a file name" : "--icons needs a folder", "");
    if (argc > words && first != "--tga") return UsageError("unexpected argument ", argv[words]);
    // An empty name would write into the current folder, or into / when the name is joined to a file's.
    if (argv[words - 1][0] == '\0') return UsageError(first == "--tga" ? "empty file name" : "empty folder name", "");
    if (first == "--help") return std::fputs(Usage, stdout), Printed();
    if (first == "--version") return std::puts("varnelo-pictures " VARNELO_VERSION), Printed();
    if (first == "--tga") return WriteTgaFromFields(argc, argv);
    if (first == "--icons") return WriteIcons(argv[2]);
    // A folder named like an option is refused rather than created; ./-name reaches it.
    if (first[0] == '-') return UsageError("unknown option ", argv[1]);
    const std::string folder = argv[1];
    for (const auto& [name, canvas] : {std::pair{"spot.tga", DrawSpot()}, std::pair{"scr.tga", DrawScene()}}) {
        if (!WriteTga(folder + "/" + name, canvas)) return 1;
    }
    return 0;
}
