// Linux drawing: implements the box stretch declared in box_stretch.h.
//
// Cairo 1.16 and pixman 0.42 shrink a picture in these steps, each copied here with its own
// rounding: the pattern's scale becomes a 16.16 pixman transform whose offset is corrected so
// that the target's centre maps where Cairo's matrix maps it; each axis gets a table of box
// weights for 2^n phases of a pixel; every target pixel then sums the source pixels under the
// weights of its phase, the weight of a tap being the rounded product of its two axes' weights.
// The sums are exact integers, so the order in which they are taken does not matter: here each
// axis's taps are worked out once per row or column instead of once per pixel, and on x86 the
// four channels of two taps are summed at once in SSE2 lanes (every x86-64 processor has them).
#include "platform/paint/box_stretch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::paint {
namespace {

using Fixed = std::int32_t;  // 16.16
constexpr Fixed kOne = 1 << 16;

// Cairo's conversion: to the nearest 16.16 value, ties to even, through the double's mantissa.
Fixed fixedFromDouble(double d) {
  auto bits = std::bit_cast<std::uint64_t>(d + 103079215104.0);  // 1.5 * 2^36
  return static_cast<Fixed>(static_cast<std::uint32_t>(bits));
}

// The index of (row, column) in a table of rows `width` long.
std::size_t flat(int row, int width, int column) {
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
         static_cast<std::size_t>(column);
}

// The trapezoid a box of width r leaves on square pixels.
double boxKernel(double x, double r) {
  return std::max(0.0, std::min({r, 1.0, (r + 1) / 2 - x, (r + 1) / 2 + x}));
}

// One axis of the stretch: the transform's entries for it and its weights by phase.
struct Axis {
  double scale = 1;  // source pixels per target pixel
  Fixed factor = 0, offset = 0;
  int taps = 0, phaseBits = 0;
  std::vector<Fixed> weights;  // taps weights for each of the 2^phaseBits phases
};

void makeWeights(Axis& axis, double r) {
  axis.taps = r < 1.0 ? 2 : static_cast<int>(std::ceil(r + 1));
  axis.phaseBits = 0;
  while (r * (1 << axis.phaseBits) <= 128.0) ++axis.phaseBits;
  int phases = 1 << axis.phaseBits, width = axis.taps;
  axis.weights.assign(flat(phases, width, 0), 0);
  double step = 1.0 / phases;
  Fixed* p = axis.weights.data();
  for (int i = 0; i < phases; ++i, p += width) {
    double frac = (i + .5) * step;
    double x1 = std::ceil(frac - width / 2.0 - 0.5) - frac + 0.5;  // left-most pixel's centre
    double total = 0;
    for (int j = 0; j < width; ++j) {
      double v = boxKernel(x1 + j, r);
      total += v;
      p[j] = static_cast<Fixed>(v * 65536.0);
    }
    total = 1 / total;
    Fixed newTotal = 0;
    for (int j = 0; j < width; ++j) newTotal += (p[j] = static_cast<Fixed>(p[j] * total));
    p[width / 2] += kOne - newTotal;  // what truncation lost goes to the centre
  }
}

// pixman's product of a transform row with a 16.16 coordinate of a pure scale.
std::int64_t transform(Fixed factor, Fixed offset, Fixed v) {
  std::int64_t whole = std::int64_t{factor} * (v >> 16) + offset;
  std::int64_t fraction = std::int64_t{factor} * (v & 0xFFFF);
  return whole + ((fraction + 0x8000) >> 16);
}

// The offsets that make pixman's rounded transform agree with Cairo's at the target's centre.
void centreOffsets(Axis& x, Axis& y, double xc, double yc) {
  for (int iteration = 0; iteration < 5; ++iteration) {
    double px = static_cast<double>(transform(x.factor, x.offset, fixedFromDouble(xc))) / kOne;
    double py = static_cast<double>(transform(y.factor, y.offset, fixedFromDouble(yc))) / kOne;
    // Back through the inverse of Cairo's matrix, and the error forward through the matrix.
    px = (1. / x.scale) * px;
    py = (1. / y.scale) * py;
    Fixed dx = fixedFromDouble(x.scale * (px - xc));
    Fixed dy = fixedFromDouble(y.scale * (py - yc));
    x.offset -= dx;
    y.offset -= dy;
    if (dx == 0 && dy == 0) return;
  }
}

// Whether Cairo shrinks this axis by convolving: at scales of .75 and more it draws bilinear,
// as it does at exactly one half.
bool bilinearWillDo(double scale) {
  double h = scale * scale;
  return h < 1.0 / (0.75 * 0.75) || (h > 3.99 && h < 4.01);
}

// For each target position along an axis, its source pixels and their weights: the taps beyond
// the source read its edge pixel.
struct Taps {
  std::vector<int> index;     // taps per target position
  std::vector<Fixed> weight;  // idem
};

Taps tapsOf(const Axis& axis, int targetSize, int sourceSize) {
  Taps taps;
  int shift = 16 - axis.phaseBits, width = axis.taps;
  int off = ((width << 16) - kOne) >> 1;
  taps.index.resize(flat(targetSize, width, 0));
  taps.weight.resize(taps.index.size());
  auto first = static_cast<Fixed>(transform(axis.factor, axis.offset, kOne / 2));
  for (int k = 0; k < targetSize; ++k) {
    Fixed v = first + k * axis.factor;  // pixman steps along a row by adding the factor
    Fixed c = ((v >> shift) << shift) + ((1 << shift) >> 1);  // the middle of v's phase
    int phase = (c & 0xFFFF) >> shift;
    int start = (c - 1 - off) >> 16;
    for (int j = 0; j < width; ++j) {
      std::size_t at = flat(k, width, j);
      taps.index[at] = std::clamp(start + j, 0, sourceSize - 1);
      taps.weight[at] = axis.weights[flat(phase, width, j)];
    }
  }
  return taps;
}

#if defined(__SSE2__)
// Every tap weight is below one (65536): a box of one pixel or less never sits on a single pixel
// at a phase's middle, and a wider one spreads over at least a third of another. So weights and
// their products fit 16-bit lanes, and the four channels of two taps are summed in one vector:
// the weights of a pair of horizontal taps are laid out as [w0 w0 w0 w0 w1 w1 w1 w1].

// (a * b + 0x8000) >> 16 in each 16-bit lane: the high half of the product plus the carry of the
// rounding out of its low half.
__m128i roundedProducts(__m128i a, __m128i b) {
  return _mm_add_epi16(_mm_mulhi_epu16(a, b), _mm_srli_epi16(_mm_mullo_epi16(a, b), 15));
}

// Adds two pixels (in the low 64 bits of `pixels`) times their weights to the four 32-bit channel
// sums. The unused byte of every source pixel counts as opaque.
__m128i addWeighted(__m128i sum, __m128i pixels, __m128i weights) {
  __m128i p = _mm_unpacklo_epi8(_mm_or_si128(pixels, _mm_set1_epi32(static_cast<int>(0xFF000000))),
                                _mm_setzero_si128());
  __m128i low = _mm_mullo_epi16(p, weights), high = _mm_mulhi_epu16(p, weights);
  return _mm_add_epi32(_mm_add_epi32(sum, _mm_unpacklo_epi16(low, high)),
                       _mm_unpackhi_epi16(low, high));
}

// Eight 16-bit or four 32-bit lanes, kept in a vector.
struct Lanes {
  __m128i v;
};

// The weight of one tap four times, as a 16-bit lane for each channel of its pixel.
std::uint64_t fourTimes(Fixed weight) {
  return std::uint64_t{static_cast<std::uint16_t>(weight)} * 0x0001000100010001U;
}

// The target columns' horizontal taps, padded to an even count with a weightless copy of the last.
struct Columns {
  std::size_t pairs = 0;
  std::vector<Lanes> weights;      // pairs per column
  std::vector<std::size_t> index;  // 2 * pairs per column
  std::vector<char> inRow;         // whether the column's taps are neighbours within the row
};

Columns columnsOf(const Taps& taps, int tapsPerColumn, int columns, int sourceWidth) {
  Columns out;
  auto count = static_cast<std::size_t>(tapsPerColumn);
  out.pairs = (count + 1) / 2;
  std::size_t padded = 2 * out.pairs;
  out.weights.resize(static_cast<std::size_t>(columns) * out.pairs);
  out.index.resize(static_cast<std::size_t>(columns) * padded);
  out.inRow.resize(static_cast<std::size_t>(columns));
  std::vector<Fixed> weight(padded, 0);  // the padding tap weighs nothing
  for (std::size_t c = 0; c < out.inRow.size(); ++c) {
    std::size_t* index = &out.index[c * padded];
    for (std::size_t j = 0; j < padded; ++j) {
      index[j] = static_cast<std::size_t>(taps.index[c * count + std::min(j, count - 1)]);
      if (j < count) weight[j] = taps.weight[c * count + j];
    }
    bool neighbours = index[0] + padded <= static_cast<std::size_t>(sourceWidth);
    for (std::size_t j = 1; j < padded; ++j) neighbours = neighbours && index[j] == index[0] + j;
    out.inRow[c] = neighbours ? 1 : 0;
    for (std::size_t q = 0; q < out.pairs; ++q)
      out.weights[c * out.pairs + q].v =
          _mm_set_epi64x(static_cast<long long>(fourTimes(weight[2 * q + 1])),
                         static_cast<long long>(fourTimes(weight[2 * q])));
  }
  return out;
}

// One target row: the source rows under it with their weights, and the columns' taps.
struct Row {
  const std::uint32_t* const* lines;
  const Fixed* lineWeight;
  int lineCount;
  const Columns* columns;
  Lanes* sums;  // one per column, the four channels' running sums
  std::uint32_t* out;
  std::size_t width;
};

// Adds one source row under its weight to every column's sums.
template <std::size_t kFixedPairs = 0>
void addLine(const Row& row, const std::uint32_t* line, Fixed lineWeight) {
  const std::size_t pairs = kFixedPairs > 0 ? kFixedPairs : row.columns->pairs;
  const Lanes* weights = row.columns->weights.data();
  const std::size_t* index = row.columns->index.data();
  const char* inRow = row.columns->inRow.data();
  __m128i fy = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(lineWeight)));
  for (std::size_t c = 0; c < row.width; ++c, weights += pairs, index += 2 * pairs) {
    __m128i sum = row.sums[c].v;
    if (inRow[c] != 0) {
      const std::uint32_t* taps = line + index[0];
      for (std::size_t q = 0; q < pairs; ++q)
        sum = addWeighted(sum, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps + 2 * q)),
                          roundedProducts(weights[q].v, fy));
    } else {
      for (std::size_t q = 0; q < pairs; ++q)
        sum = addWeighted(
            sum,
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(line[index[2 * q]])),
                               _mm_cvtsi32_si128(static_cast<int>(line[index[2 * q + 1]]))),
            roundedProducts(weights[q].v, fy));
    }
    row.sums[c].v = sum;
  }
}

template <std::size_t kFixedPairs = 0>
void stretchRow(const Row& row) {
  for (std::size_t c = 0; c < row.width; ++c) row.sums[c].v = _mm_setzero_si128();
  for (int i = 0; i < row.lineCount; ++i)
    addLine<kFixedPairs>(row, row.lines[i], row.lineWeight[i]);
  // Each channel's sum rounded to a byte; the sums never go below zero or much above 255.
  for (std::size_t c = 0; c < row.width; ++c) {
    __m128i sum = _mm_srli_epi32(_mm_add_epi32(row.sums[c].v, _mm_set1_epi32(0x8000)), 16);
    sum = _mm_packs_epi32(sum, sum);
    row.out[c] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
  }
}
#else
std::uint32_t clampToByte(std::int64_t total) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>((total + 0x8000) >> 16, 0, 255));
}

// One target row: the source rows under it with their weights, and the columns' taps.
struct Row {
  const std::uint32_t* const* lines;
  const Fixed* lineWeight;
  int lineCount;
  const int* index;
  const Fixed* weight;
  int taps;  // per column
  std::uint32_t* out;
  int width;
};

// Red and blue are summed in one 64-bit word, green alone, and alpha from the sum of the
// weights: the unused byte of every source pixel counts as opaque.
template <std::size_t kFixedTaps = 0>
void stretchRow(const Row& row) {
  const int taps = kFixedTaps > 0 ? static_cast<int>(kFixedTaps) : row.taps;
  const int* index = row.index;
  const Fixed* weight = row.weight;
  for (int c = 0; c < row.width; ++c, index += taps, weight += taps) {
    std::uint64_t redBlue = 0;
    std::uint32_t green = 0, weights = 0;
    for (int i = 0; i < row.lineCount; ++i) {
      auto fy = static_cast<std::uint64_t>(row.lineWeight[i]);
      const std::uint32_t* line = row.lines[i];
      for (int j = 0; j < taps; ++j) {
        auto f =
            static_cast<std::uint32_t>((static_cast<std::uint64_t>(weight[j]) * fy + 0x8000) >> 16);
        std::uint32_t pixel = line[index[j]];
        redBlue += ((std::uint64_t{pixel & 0xFF0000} << 16) | (pixel & 0xFF)) * f;
        green += ((pixel >> 8) & 0xFF) * f;
        weights += f;
      }
    }
    row.out[c] = clampToByte(std::int64_t{0xFF} * weights) << 24 |
                 clampToByte(static_cast<std::int64_t>(redBlue >> 32)) << 16 |
                 clampToByte(green) << 8 |
                 clampToByte(static_cast<std::int64_t>(redBlue & 0xFFFFFFFF));
  }
}

#endif

// stretchRow with the common counts of taps as template arguments, whose loops the compiler
// unrolls; any other count is read from the row.
template <std::size_t kFirst, std::size_t... kRest>
void stretchRowUnrolled(const Row& row, std::size_t count) {
  if (count == kFirst) return stretchRow<kFirst>(row);
  if constexpr (sizeof...(kRest) > 0)
    stretchRowUnrolled<kRest...>(row, count);
  else
    stretchRow(row);
}

}  // namespace

bool boxStretch(cairo_surface_t* source, cairo_surface_t* target) {
  if (cairo_image_surface_get_format(source) != CAIRO_FORMAT_RGB24 ||
      cairo_image_surface_get_format(target) != CAIRO_FORMAT_RGB24)
    return false;
  int sw = cairo_image_surface_get_width(source), sh = cairo_image_surface_get_height(source);
  int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return false;

  // The pattern's matrix as Cairo builds it from cairo_scale: the inverse of each factor.
  Axis x, y;
  x.scale = 1 / (double(tw) / sw);
  y.scale = 1 / (double(th) / sh);
  // A determinant of about one passes for a pixel-exact matrix: Cairo draws nearest.
  double det = x.scale * y.scale;
  if (std::fabs(det * det - 1.0) < 1.0 / 256) return false;
  if (bilinearWillDo(x.scale) && bilinearWillDo(y.scale)) return false;

  auto filterSize = [](double scale) {
    double d = std::min(scale, 16.0);
    return d < 1.0 / 0.75 ? 1.0 : d;
  };
  makeWeights(x, filterSize(x.scale));
  makeWeights(y, filterSize(y.scale));
  x.factor = fixedFromDouble(x.scale);
  y.factor = fixedFromDouble(y.scale);
  centreOffsets(x, y, tw / 2., th / 2.);

  Taps columns = tapsOf(x, tw, sw);
  Taps rows = tapsOf(y, th, sh);

  cairo_surface_flush(source);
  cairo_surface_flush(target);
  const unsigned char* from = cairo_image_surface_get_data(source);
  unsigned char* to = cairo_image_surface_get_data(target);
  auto fromStride = static_cast<std::size_t>(cairo_image_surface_get_stride(source));
  auto toStride = static_cast<std::size_t>(cairo_image_surface_get_stride(target));
  if (!from || !to) return false;

#if defined(__SSE2__)
  Columns byPairs = columnsOf(columns, x.taps, tw, sw);
  std::vector<Lanes> sums(static_cast<std::size_t>(tw));
#endif
  std::vector<const std::uint32_t*> lines(static_cast<std::size_t>(y.taps));
  for (int r = 0; r < th; ++r) {
    for (int i = 0; i < y.taps; ++i)
      lines[static_cast<std::size_t>(i)] = reinterpret_cast<const std::uint32_t*>(
          from + static_cast<std::size_t>(rows.index[flat(r, y.taps, i)]) * fromStride);
    auto* out = reinterpret_cast<std::uint32_t*>(to + static_cast<std::size_t>(r) * toStride);
#if defined(__SSE2__)
    Row row{lines.data(), &rows.weight[flat(r, y.taps, 0)], y.taps, &byPairs, sums.data(),
            out,          static_cast<std::size_t>(tw)};
    stretchRowUnrolled<1, 2, 3>(row, byPairs.pairs);
#else
    Row row{lines.data(),
            &rows.weight[flat(r, y.taps, 0)],
            y.taps,
            columns.index.data(),
            columns.weight.data(),
            x.taps,
            out,
            tw};
    stretchRowUnrolled<2, 3, 4, 5>(row, static_cast<std::size_t>(x.taps));
#endif
  }
  cairo_surface_mark_dirty(target);
  return true;
}

void cairoStretch(cairo_surface_t* source, cairo_surface_t* target) {
  cairo_t* cr = cairo_create(target);
  cairo_scale(
      cr, double(cairo_image_surface_get_width(target)) / cairo_image_surface_get_width(source),
      double(cairo_image_surface_get_height(target)) / cairo_image_surface_get_height(source));
  cairo_set_source_surface(cr, source, 0, 0);
  // Edge pixels extend outwards rather than fading into what lies behind.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
}

}  // namespace platform::paint
