// The JPEG check: a walk of the file that reads every byte and bit as stb_image 2.27 reads it, and
// follows each component's DC value through the scans that set it, where that decoder overflows.
#include "image/jpeg_check.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <utility>

#include "image/reason.h"

namespace {

constexpr const char* Damaged = "a JPEG" UNDECODABLE_REASON;
constexpr int NoMarker = 0xFF;  // as the decoder says "none": no marker has this code
constexpr int StartOfImage = 0xD8, EndOfImage = 0xD9, StartOfScan = 0xDA, NumberOfLines = 0xDC;
constexpr int FastBits = 9;  // the decoder looks codes up by their first 9 bits

bool IsRestart(int marker) { return marker >= 0xD0 && marker <= 0xD7; }

// SOF0 to SOF15; among them 0xC4 defines tables, 0xC8 is reserved and 0xCC sets arithmetic coding.
bool IsFrame(int marker) { return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC; }

// The markers of the kinds of JPEG the decoder does not take. A lossless file is called lossless
// whatever else it is (the word its user knows it by); an arithmetic-coded hierarchical one,
// arithmetic-coded.
const char* UnsupportedKind(int marker) {
    switch (marker) {
        case 0xC3: case 0xC7: case 0xCB: case 0xCF: return "a lossless JPEG is not supported";
        case 0xC9: case 0xCA: case 0xCC: case 0xCD: case 0xCE: return "an arithmetic-coded JPEG is not supported";
        case 0xC5: case 0xC6: case 0xDE: case 0xDF: return "a hierarchical JPEG is not supported";
        default: return nullptr;
    }
}

// The low 16 bits of a value as a short, as the decoder passes an int to a short parameter.
int Short(int64_t value) {
    const int low = static_cast<int>(value & 0xFFFF);
    return low >= 0x8000 ? low - 0x10000 : low;
}

// stb_image 2.28's test that the product of two shorts is a short, including its refusal of some
// products of two negative numbers that do fit.
bool ShortsMultiply(int a, int b) {
    if (b == 0 || b == -1) return true;
    if ((a >= 0) == (b >= 0)) return a <= SHRT_MAX / b;
    if (b < 0) return a <= SHRT_MIN / b;
    return a >= SHRT_MIN / b;
}

// Whether a DC value passes: 2.28 and later refuse one past an int, or whose product with its
// factor (the quantisation step, or the scale of a progressive scan) leaves a short; 2.27 takes
// both, overflowing an int in the sum or the product, or keeping the product's low 16 bits. Later
// versions too overflow in a product that fits their short test (a step of 65535 is -1 there).
bool DcFits(int64_t dc, int64_t factor) {
    const int64_t product = dc * factor;
    return dc >= INT_MIN && dc <= INT_MAX && product >= INT_MIN && product <= INT_MAX && ShortsMultiply(Short(dc), Short(factor));
}

// Whether each of dc + diff, dc + 2 diff, ... (blocks of them) passes, where dc has passed and
// diff <= 0, without visiting them all. The values only fall, so the int bounds hold throughout
// where they hold for the last. The short test is followed stretch by stretch: from the stretch of
// passing shorts the value is in, to the first value below it. For a positive factor that one
// fails, the stretch outside being wider than any step; for a negative factor the int bound,
// below 65536 from 0, ends the walk within a few stretches.
bool DcRunFits(int64_t dc, int64_t diff, int64_t blocks, int64_t factor) {
    if (diff == 0) return true;
    const int64_t lowest = factor == 0 ? INT_MIN : INT_MIN / factor;  // lowest dc whose product is an int
    if (dc + diff * blocks < lowest) return false;
    const int b = Short(factor);
    if (b >= -1 && b <= 1) return true;  // every short passes
    for (;;) {
        // The passing shorts: one stretch around 0 for a positive factor, else [SHRT_MIN, x] and [0, y].
        const int s = Short(dc), bottom = b > 0 ? SHRT_MIN / b : s >= 0 ? 0 : SHRT_MIN;
        const int64_t staying = (s - bottom) / -diff;
        if (staying >= blocks) return true;
        dc += (staying + 1) * diff;
        blocks -= staying + 1;
        if (!ShortsMultiply(Short(dc), b)) return false;
    }
}

// The file as the decoder reads it from memory: every byte past the end reads as 0.
struct Source {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool AtEnd() const { return at >= size; }
    int Get8() { return at < size ? data[at++] : 0; }
    int Get16() {
        const int high = Get8();
        return high << 8 | Get8();
    }
    void Skip(size_t count) { at = count < size - std::min(at, size) ? at + count : size; }
};

// A Huffman table laid out as stbi__build_huffman lays it: codes by length, the symbol index of
// each 9-bit prefix that starts with a short code (255 for none), and stbi__build_fast_ac's
// small AC values taken in one look-up.
struct Huffman {
    bool defined;
    int total;
    uint8_t fast[1 << FastBits];
    uint16_t code[256];
    uint8_t values[256];
    uint8_t size[257];
    uint32_t maxcode[18];
    int delta[17];
    int16_t fastAc[1 << FastBits];

    // False for lengths that make more codes than there are bit patterns.
    bool Build(const int counts[16]) {
        total = 0;
        for (int length = 1; length <= 16; ++length) {
            for (int i = 0; i < counts[length - 1]; ++i) size[total++] = static_cast<uint8_t>(length);
        }
        size[total] = 0;
        uint32_t next = 0;
        int k = 0;
        for (int length = 1; length <= 16; ++length) {
            delta[length] = k - static_cast<int>(next);
            if (size[k] == length) {
                while (size[k] == length) code[k++] = static_cast<uint16_t>(next++);
                if (next - 1 >= 1u << length) return false;
            }
            maxcode[length] = next << (16 - length);
            next <<= 1;
        }
        maxcode[17] = 0xFFFFFFFF;
        std::memset(fast, 255, sizeof fast);
        for (int i = 0; i < total; ++i) {
            if (size[i] > FastBits) continue;
            const int first = code[i] << (FastBits - size[i]);
            std::fill(fast + first, fast + first + (1 << (FastBits - size[i])), static_cast<uint8_t>(i));
        }
        defined = true;
        return true;
    }

    // A code and the value bits after it, where both fit in 9 bits and the value in a signed byte:
    // the value * 256 + run * 16 + the bits taken. The decoder then takes the bits unchecked.
    void BuildFastAc() {
        for (int prefix = 0; prefix < 1 << FastBits; ++prefix) {
            fastAc[prefix] = 0;
            if (fast[prefix] == 255) continue;
            const int symbol = values[fast[prefix]], length = size[fast[prefix]], bits = symbol & 15;
            if (bits == 0 || length + bits > FastBits) continue;
            int value = ((prefix << length) & ((1 << FastBits) - 1)) >> (FastBits - bits);
            if (value < 1 << (bits - 1)) value -= (1 << bits) - 1;
            if (value >= -128 && value <= 127) fastAc[prefix] = static_cast<int16_t>(value * 256 + (symbol >> 4) * 16 + length + bits);
        }
    }
};

// The entropy-coded bits as the decoder takes them: a 32-bit buffer topped up a byte at a time,
// stuffed 0xFF 0x00 read as 0xFF, and zero bits once a marker (kept for later) or the end is met.
struct Bits {
    Source& file;
    uint32_t buffer = 0;
    int count = 0;  // may fall below 0 where a code was cut short
    bool noMore = false;
    int marker = NoMarker;
    // 2.27 shifts by 32 bits or more here, or takes bits past a marker where 2.28 gives 0.
    bool undefined = false;

    void Reset() {
        buffer = 0;
        count = 0;
        noMore = false;
        marker = NoMarker;
    }

    // Every bit from here to the next restart is 0.
    bool Zeros() const { return buffer == 0 && (noMore || file.AtEnd()); }

    void Grow() {
        do {
            const int byte = noMore ? 0 : file.Get8();
            if (byte == 0xFF) {
                int next = file.Get8();
                while (next == 0xFF) next = file.Get8();
                if (next != 0) {
                    marker = next;
                    noMore = true;
                    return;
                }
            }
            if (count <= -8) {
                undefined = true;
                return;
            }
            buffer |= static_cast<uint32_t>(byte) << (24 - count);
            count += 8;
        } while (count <= 24);
    }

    // The symbol of the next code, or -1 where none matches or the code runs past the bits there are.
    int Decode(const Huffman& table) {
        if (count < 16) Grow();
        int index = table.fast[buffer >> (32 - FastBits)], length = 0;
        if (index < 255) {
            length = table.size[index];
        } else {
            for (length = FastBits + 1; buffer >> 16 >= table.maxcode[length]; ++length) {}
            if (length == 17) {
                count -= 16;
                return -1;
            }
            index = static_cast<int>(buffer >> (32 - length)) + table.delta[length];
        }
        if (length > count) return -1;
        buffer <<= length;
        count -= length;
        return table.values[index];
    }

    // The next `length` bits as a signed value (stbi__extend_receive).
    int Receive(int length) {
        if (count < length) Grow();
        if (count < length) {
            undefined = true;
            return 0;
        }
        const bool negative = buffer >> 31 == 0;
        const uint32_t rotated = std::rotl(buffer, length), mask = (1u << length) - 1;
        buffer = rotated & ~mask;
        count -= length;
        const int value = static_cast<int>(rotated & mask);
        return negative ? value - static_cast<int>(mask) : value;
    }
};

struct Component {
    int id = 0, h = 1, v = 1, quant = 0, dcTable = 0, acTable = 0;
    int64_t columns = 0, rows = 0;  // the samples that reach the picture
    int64_t dc = 0;                 // the DC value the next block's difference adds to
    bool written = false;           // every block written by a scan: none is left as the heap had it
};

// One walk of a file, with the decoder's state: tables, the frame, the bits of the scan in hand.
class Walk {
public:
    Walk(const uint8_t* data, size_t size) : file_{data, size}, bits_{file_} {}

    // The marker that ends the header as the decoder walks it: a frame, a marker of a kind it does
    // not take, or NoMarker where the file ends or a segment is broken first.
    int ToFrame() {
        if (NextMarker() != StartOfImage) return NoMarker;
        int marker = NextMarker();
        while (!IsFrame(marker) && UnsupportedKind(marker) == nullptr) {
            if (!Segment(marker)) return NoMarker;
            // Bytes between segments are passed over here, before the frame, and nowhere else.
            for (marker = NextMarker(); marker == NoMarker; marker = NextMarker()) {
                if (file_.AtEnd()) return NoMarker;
            }
        }
        return marker;
    }

    bool FrameSize(int64_t& width, int64_t& height) {
        if (!IsFrame(ToFrame())) return false;
        file_.Skip(3);
        height = file_.Get16();
        width = file_.Get16();
        return true;
    }

    const char* Problem() {
        const int frame = ToFrame();
        if (const char* kind = UnsupportedKind(frame)) return kind;
        if (frame == NoMarker) return Damaged;
        progressive_ = frame == 0xC2;
        if (const char* problem = Frame()) return problem;
        for (int marker = NextMarker(); marker != EndOfImage; marker = NextMarker()) {
            if (marker == StartOfScan) {
                if (!Scan()) return Damaged;
            } else if (marker == NumberOfLines) {
                if (file_.Get16() != 4 || file_.Get16() != height_) return Damaged;
            } else if (!Segment(marker)) {
                return Damaged;
            }
        }
        // A progressive file's blocks are scaled by their quantisation tables only at the end.
        for (int i = 0; i < count_; ++i) {
            if (!components_[i].written || (progressive_ && !quant_[components_[i].quant].defined)) return Damaged;
        }
        return nullptr;
    }

private:
    struct Quantisation {
        bool defined = false;
        int first = 0;  // the DC step
    };

    // stbi__get_marker: the marker a scan stopped at, else the one at hand, past fill bytes.
    int NextMarker() {
        if (bits_.marker != NoMarker) return std::exchange(bits_.marker, NoMarker);
        int byte = file_.Get8();
        if (byte != 0xFF) return NoMarker;
        while (byte == 0xFF) byte = file_.Get8();
        return byte;
    }

    // stbi__process_marker: false for a broken segment or a marker the decoder does not know.
    bool Segment(int marker) {
        if (marker == 0xDD) {
            if (file_.Get16() != 4) return false;
            restartInterval_ = file_.Get16();
            return true;
        }
        if (marker == 0xDB) return QuantisationTables();
        if (marker == 0xC4) return HuffmanTables();
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) {
            const int length = file_.Get16();
            file_.Skip(static_cast<size_t>(length - 2));
            return length >= 2;
        }
        return false;
    }

    bool QuantisationTables() {
        int left = file_.Get16() - 2;
        while (left > 0) {
            const int kind = file_.Get8(), wide = kind >> 4, table = kind & 15;
            if (wide > 1 || table > 3) return false;
            quant_[table] = {true, wide ? file_.Get16() : file_.Get8()};
            file_.Skip(wide ? 126 : 63);
            left -= wide ? 129 : 65;
        }
        return left == 0;
    }

    bool HuffmanTables() {
        int left = file_.Get16() - 2;
        while (left > 0) {
            const int kind = file_.Get8(), ac = kind >> 4, id = kind & 15;
            if (ac > 1 || id > 3) return false;
            int counts[16], total = 0;
            for (int& count : counts) total += count = file_.Get8();
            // 2.27 trusts counts over 256 and writes past its tables.
            Huffman& table = ac ? ac_[id] : dc_[id];
            if (total > 256 || !table.Build(counts)) return false;
            for (int i = 0; i < total; ++i) table.values[i] = static_cast<uint8_t>(file_.Get8());
            if (ac) table.BuildFastAc();
            left -= 17 + total;
        }
        return left == 0;
    }

    // stbi__process_frame_header for an 8-bit sequential or progressive frame.
    const char* Frame() {
        const int length = file_.Get16(), precision = file_.Get8();
        if (length < 11) return Damaged;
        if (precision == 12 || precision == 16) return precision == 12 ? "a 12-bit JPEG is not supported" : "a 16-bit JPEG is not supported";
        height_ = file_.Get16();
        width_ = file_.Get16();
        count_ = file_.Get8();
        if (precision != 8 || height_ == 0 || width_ == 0 || (count_ != 1 && count_ != 3 && count_ != 4) || length != 8 + 3 * count_) {
            return Damaged;
        }
        int hMax = 1, vMax = 1;
        for (int i = 0; i < count_; ++i) {
            Component& c = components_[i];
            c.id = file_.Get8();
            const int sampling = file_.Get8();
            c.h = sampling >> 4;
            c.v = sampling & 15;
            c.quant = file_.Get8();
            if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quant > 3) return Damaged;
            hMax = std::max(hMax, c.h);
            vMax = std::max(vMax, c.v);
        }
        mcuColumns_ = (width_ + 8 * hMax - 1) / (8 * hMax);
        mcuRows_ = (height_ + 8 * vMax - 1) / (8 * vMax);
        for (int i = 0; i < count_; ++i) {
            Component& c = components_[i];
            if (hMax % c.h != 0 || vMax % c.v != 0) return Damaged;
            c.columns = (width_ * c.h + hMax - 1) / hMax;
            c.rows = (height_ * c.v + vMax - 1) / vMax;
        }
        return nullptr;
    }

    // stbi__process_scan_header, then the scan's data. Sequential scans and the first DC scans of
    // a progressive file are decoded; the others change no DC value and are passed over.
    bool Scan() {
        const int length = file_.Get16(), count = file_.Get8();
        if (count < 1 || count > 4 || count > count_ || length != 6 + 2 * count) return false;
        int order[4];
        for (int i = 0; i < count; ++i) {
            const int id = file_.Get8(), tables = file_.Get8();
            order[i] = 0;
            while (order[i] < count_ && components_[order[i]].id != id) ++order[i];
            if (order[i] == count_ || tables >> 4 > 3 || (tables & 15) > 3) return false;
            components_[order[i]].dcTable = tables >> 4;
            components_[order[i]].acTable = tables & 15;
        }
        const int start = file_.Get8(), end = file_.Get8(), successive = file_.Get8(), high = successive >> 4, low = successive & 15;
        if (progressive_ ? start > 63 || end > 63 || start > end || high > 13 || low > 13 : start != 0 || successive != 0) return false;
        // A progressive scan of DC values (every interleaved one is taken as such) may hold no others.
        if (progressive_ && end != 0 && (count > 1 || start == 0)) return false;
        const bool firstDc = !progressive_ || (start == 0 && high == 0);
        // A table the file never defined would be read as the heap left it.
        for (int i = 0; i < count; ++i) {
            const Component& c = components_[order[i]];
            if ((firstDc && !dc_[c.dcTable].defined) || ((!progressive_ || start != 0) && !ac_[c.acTable].defined) ||
                (!progressive_ && !quant_[c.quant].defined)) {
                return false;
            }
        }
        if (!firstDc) {
            PassOver();
            return true;
        }
        if (!Decode(order, count, int64_t{1} << low)) return false;
        // Past the bytes the blocks did not need, to the next 0xFF, whatever follows it.
        if (bits_.marker != NoMarker) return true;
        while (!file_.AtEnd()) {
            if (file_.Get8() == 0xFF) {
                bits_.marker = file_.Get8();
                break;
            }
        }
        return true;
    }

    // Up to the marker the decoder stops at in a scan: past stuffed bytes, fill and restarts.
    void PassOver() {
        bits_.Reset();
        while (!file_.AtEnd()) {
            if (file_.Get8() != 0xFF) continue;
            int next = file_.Get8();
            while (next == 0xFF) next = file_.Get8();
            if (next != 0 && !IsRestart(next)) {
                bits_.marker = next;
                return;
            }
        }
    }

    // stbi__parse_entropy_coded_data for the blocks of a scan that set DC values, in units of an
    // MCU (several components) or of one block (one component). From where only zero bits are left
    // to the next restart or the end, the blocks are counted rather than read.
    bool Decode(const int* order, int count, int64_t scale) {
        int blocks[4];
        for (int i = 0; i < count; ++i) blocks[i] = count == 1 ? 1 : components_[order[i]].h * components_[order[i]].v;
        const Component& lone = components_[order[0]];
        const int64_t units = count == 1 ? (lone.columns + 7) / 8 * ((lone.rows + 7) / 8) : mcuColumns_ * mcuRows_;
        Restart();
        int64_t unit = 0;
        while (unit < units) {
            int64_t taken = 1;
            bool zeros = false;
            for (int i = 0; i < count && !zeros; ++i) {
                for (int block = 0; block < blocks[i]; ++block) {
                    if (bits_.count < 16) bits_.Grow();
                    if (bits_.Zeros()) {
                        taken = std::min(todo_, units - unit);
                        if (!ZeroBlocks(order, count, blocks, i, block, taken - 1, scale)) return false;
                        zeros = true;
                        break;
                    }
                    if (!Block(components_[order[i]], scale)) return false;
                }
            }
            unit += taken;
            todo_ -= taken;
            if (todo_ <= 0) {
                if (bits_.count < 24) bits_.Grow();
                if (!IsRestart(bits_.marker)) break;
                Restart();
            }
            if (bits_.undefined) return false;
        }
        if (unit == units) {
            for (int i = 0; i < count; ++i) components_[order[i]].written = true;
        }
        return !bits_.undefined;
    }

    void Restart() {
        bits_.Reset();
        for (Component& c : components_) c.dc = 0;
        todo_ = restartInterval_ != 0 ? restartInterval_ : 0x7FFFFFFF;
    }

    // One block as stbi__jpeg_decode_block reads it, or its DC value alone as the first DC scan of
    // a progressive file reads it, after the bits were topped up.
    bool Block(Component& c, int64_t scale) {
        const int size = bits_.Decode(dc_[c.dcTable]);
        if (size < 0 || size > 15) return false;
        c.dc += size != 0 ? bits_.Receive(size) : 0;
        if (!DcFits(c.dc, progressive_ ? scale : quant_[c.quant].first)) return false;
        if (progressive_) return !bits_.undefined;
        const Huffman& table = ac_[c.acTable];
        for (int k = 1; k < 64;) {
            if (bits_.count < 16) bits_.Grow();
            // Each zero code from here ends the block or moves on in it; only an empty table fails.
            if (bits_.Zeros()) return table.total > 0 && !bits_.undefined;
            if (const int fast = table.fastAc[bits_.buffer >> (32 - FastBits)]; fast != 0) {
                k += (fast >> 4 & 15) + 1;
                bits_.buffer <<= fast & 15;
                bits_.count -= fast & 15;
                continue;
            }
            const int symbol = bits_.Decode(table);
            if (symbol < 0) return false;
            if ((symbol & 15) == 0) {
                if (symbol != 0xF0) break;  // end of block; 0xF0 is a run of 16 zeros
                k += 16;
            } else {
                k += (symbol >> 4) + 1;
                bits_.Receive(symbol & 15);
            }
        }
        return !bits_.undefined;
    }

    // The blocks from block `block` of entry `entry` of this unit to the end of the unit, and
    // `units` whole units after it, all read from zero bits: each component's first code, a
    // difference of 1 - 2^size, comes the same in all of its blocks. The DC values they reach are
    // not kept: a restart or the end of the scan follows.
    bool ZeroBlocks(const int* order, int count, const int* blocks, int entry, int block, int64_t units, int64_t scale) {
        int64_t run[4] = {};
        for (int i = 0; i < count; ++i) run[order[i]] += blocks[i] * units + (i > entry ? blocks[i] : i == entry ? blocks[i] - block : 0);
        for (int n = 0; n < count_; ++n) {
            Component& c = components_[n];
            const Huffman& table = dc_[c.dcTable];
            if (run[n] == 0) continue;
            if (table.total == 0 || table.values[0] > 15 || (!progressive_ && ac_[c.acTable].total == 0)) return false;
            const int64_t diff = 1 - (int64_t{1} << table.values[0]);
            if (!DcRunFits(c.dc, diff, run[n], progressive_ ? scale : quant_[c.quant].first)) return false;
        }
        return true;
    }

    Source file_;
    Bits bits_;
    Huffman dc_[4]{}, ac_[4]{};
    Quantisation quant_[4];
    Component components_[4];
    int count_ = 0;
    int64_t width_ = 0, height_ = 0, mcuColumns_ = 0, mcuRows_ = 0;
    bool progressive_ = false;
    int restartInterval_ = 0;
    int64_t todo_ = 0;  // units to the next restart
};

}  // namespace

const char* JpegProblem(const uint8_t* data, size_t size) { return Walk(data, size).Problem(); }

bool JpegFrameSize(const uint8_t* data, size_t size, int64_t& width, int64_t& height) {
    return Walk(data, size).FrameSize(width, height);
}
