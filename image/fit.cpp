// Fitting pictures to the frame: the weights along each side, the sums fed band by band, and the
// rounding at the end.
#include "image/fit.h"

#include <algorithm>
#include <cstdlib>

#include "image/reason.h"

namespace {

// Along one side of `length` source pixels, `count` output pixels at scale p/q, centred. In units
// of 1/(2p) source pixel, source pixel s covers [2ps, 2p(s+1)) and output pixel i covers
// [length*p - count*q + 2iq, ... + 2q): every bound is whole, so each weight is the exact length
// of an overlap. Where the picture grows, an output pixel takes the source pixel under its centre.
FitAxis MakeAxis(int64_t length, int64_t count, int64_t p, int64_t q) {
    FitAxis axis;
    axis.total = q <= p ? 1 : static_cast<uint64_t>(2 * q);
    axis.count = static_cast<int32_t>(count);
    axis.begin.assign(static_cast<size_t>(length) + 1, 0);
    // Output by output the taps come in source order, so counting them per source pixel first
    // lets the second pass put each in its place.
    const int64_t unit = 2 * p;
    const auto eachTap = [&](auto&& take) {
        for (int64_t i = 0; i < count; ++i) {
            const int64_t from = length * p - count * q + 2 * i * q, to = from + 2 * q;
            if (q <= p) {
                take(std::min((from + q) / unit, length - 1), i, 1);
                continue;
            }
            for (int64_t s = from / unit; s * unit < to; ++s) take(s, i, std::min(unit * (s + 1), to) - std::max(unit * s, from));
        }
    };
    eachTap([&](int64_t source, int64_t, int64_t) { ++axis.begin[static_cast<size_t>(source) + 1]; });
    for (size_t s = 1; s < axis.begin.size(); ++s) axis.begin[s] += axis.begin[s - 1];
    axis.output.resize(static_cast<size_t>(axis.begin.back()));
    axis.weight.resize(axis.output.size());
    // Each source pixel's start serves as its place to fill, and ends as the next one's start.
    eachTap([&](int64_t source, int64_t output, int64_t weight) {
        const auto at = static_cast<size_t>(axis.begin[static_cast<size_t>(source)]++);
        axis.output[at] = static_cast<int32_t>(output);
        axis.weight[at] = static_cast<int32_t>(weight);
    });
    for (size_t s = axis.begin.size() - 1; s > 0; --s) axis.begin[s] = axis.begin[s - 1];
    axis.begin[0] = 0;
    return axis;
}

// Within 2^32 pixels every sum stays far below 2^64: a shrinking side's weights add up to at most
// twice the limiting side, which that many pixels keep below 2^17. A refusal records why.
bool Fittable(int32_t width, int32_t height) {
    const bool empty = width <= 0 || height <= 0;
    if (!empty && static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= (uint64_t{1} << 32)) return true;
    SetReason("%s", empty ? "no pixels to fit" : "too many pixels to fit");
    return false;
}

void Start(Fitting& fitting, int32_t width, FitAxis columns, FitAxis rows, FitAlpha alpha) {
    fitting.sums.assign(static_cast<size_t>(columns.count) * static_cast<size_t>(rows.count) * 3, 0);
    fitting.columns = std::move(columns);
    fitting.rows = std::move(rows);
    fitting.alpha = alpha;
    fitting.width = width;
    fitting.nextRow = 0;
}

// Half up: the nearest whole number, a half going up.
uint32_t Rounded(uint64_t sum, uint64_t total) { return static_cast<uint32_t>((2 * sum + total) / (2 * total)); }

}  // namespace

void FitSpotSize(int32_t width, int32_t height, int32_t& fitWidth, int32_t& fitHeight) {
    fitWidth = width;
    fitHeight = height;
    if (width <= Width && height <= Height) return;
    const int64_t w = width, h = height;
    if (w * Height >= h * Width) {
        fitWidth = Width;
        fitHeight = static_cast<int32_t>(std::max<int64_t>(1, (2 * h * Width + w) / (2 * w)));
    } else {
        fitHeight = Height;
        fitWidth = static_cast<int32_t>(std::max<int64_t>(1, (2 * w * Height + h) / (2 * h)));
    }
}

bool StartSceneFitting(Fitting& fitting, int32_t width, int32_t height, FitAlpha alpha) {
    if (!Fittable(width, height)) return false;
    // The larger of Width / width and Height / height, as p / q.
    const bool byWidth = int64_t{Width} * height >= int64_t{Height} * width;
    const int64_t p = byWidth ? Width : Height, q = byWidth ? width : height;
    Start(fitting, width, MakeAxis(width, Width, p, q), MakeAxis(height, Height, p, q), alpha);
    return true;
}

bool StartSpotFitting(Fitting& fitting, int32_t width, int32_t height) {
    if (!Fittable(width, height)) return false;
    int32_t fitWidth = 0, fitHeight = 0;
    FitSpotSize(width, height, fitWidth, fitHeight);
    Start(fitting, width, MakeAxis(width, fitWidth, fitWidth, width), MakeAxis(height, fitHeight, fitHeight, height),
          FitAlpha::OverBlack);
    return true;
}

void FitRows(Fitting& fitting, const uint32_t* pixels, int32_t rows) {
    const FitAxis& columns = fitting.columns;
    const int32_t end = std::min<int32_t>(fitting.nextRow + rows, static_cast<int32_t>(fitting.rows.begin.size()) - 1);
    const size_t rowSums = static_cast<size_t>(columns.count) * 3;
    fitting.across.resize(rowSums);
    for (; fitting.nextRow < end; ++fitting.nextRow, pixels += fitting.width) {
        const auto y = static_cast<size_t>(fitting.nextRow);
        if (fitting.rows.begin[y] == fitting.rows.begin[y + 1]) continue;  // a row cut off
        // The row's sums along the output row once, then added to each output row it counts in.
        std::fill(fitting.across.begin(), fitting.across.end(), 0);
        for (int32_t x = 0; x < fitting.width; ++x) {
            const uint32_t pixel = pixels[x];
            const uint64_t alpha = fitting.alpha == FitAlpha::Ignored ? 255 : pixel >> 24;
            if (alpha == 0) continue;
            for (int32_t tap = columns.begin[static_cast<size_t>(x)]; tap < columns.begin[static_cast<size_t>(x) + 1]; ++tap) {
                const uint64_t weight = columns.weight[static_cast<size_t>(tap)] * alpha;
                uint64_t* sum = fitting.across.data() + static_cast<size_t>(columns.output[static_cast<size_t>(tap)]) * 3;
                sum[0] += weight * (pixel & 0xFF);
                sum[1] += weight * (pixel >> 8 & 0xFF);
                sum[2] += weight * (pixel >> 16 & 0xFF);
            }
        }
        for (int32_t tap = fitting.rows.begin[y]; tap < fitting.rows.begin[y + 1]; ++tap) {
            uint64_t* sums = fitting.sums.data() + static_cast<size_t>(fitting.rows.output[static_cast<size_t>(tap)]) * rowSums;
            const uint64_t weight = fitting.rows.weight[static_cast<size_t>(tap)];
            for (size_t i = 0; i < rowSums; ++i) sums[i] += weight * fitting.across[i];
        }
    }
}

Image* FinishFitting(Fitting& fitting) {
    const size_t count = static_cast<size_t>(fitting.columns.count) * static_cast<size_t>(fitting.rows.count);
    Image* image = NewImage(fitting.columns.count, fitting.rows.count);
    if (image == nullptr) {
        SetReason("out of memory");
        return nullptr;
    }
    const uint64_t total = fitting.columns.total * fitting.rows.total * 255;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t* sum = fitting.sums.data() + i * 3;
        image->pixels[i] = Rounded(sum[0], total) | Rounded(sum[1], total) << 8 | Rounded(sum[2], total) << 16;
    }
    return image;
}

Image* FitScene(const Image& picture, FitAlpha alpha) {
    Fitting fitting;
    if (!StartSceneFitting(fitting, picture.width, picture.height, alpha)) return nullptr;
    FitRows(fitting, picture.pixels, picture.height);
    return FinishFitting(fitting);
}

Image* FitSpot(const Image& picture) {
    Fitting fitting;
    if (!StartSpotFitting(fitting, picture.width, picture.height)) return nullptr;
    FitRows(fitting, picture.pixels, picture.height);
    return FinishFitting(fitting);
}

Image* SceneForFrame(Image* scene) {
    if (scene == nullptr || (scene->width == Width && scene->height == Height)) return scene;
    Image* fitted = FitScene(*scene, FitAlpha::Ignored);
    FreeImage(scene);
    return fitted;
}
