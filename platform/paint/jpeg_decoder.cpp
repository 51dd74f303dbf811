// Linux drawing: implements JPEG decoding into Cairo surfaces with the TurboJPEG API.
#include "platform/paint/jpeg_decoder.h"

#include <turbojpeg.h>

#include <bit>

#include "forms/picture.h"

namespace platform::paint {
namespace {

struct DecoderRelease {
  void operator()(void* h) const { tjDestroy(h); }
};

bool readHeader(void* decoder, std::span<const std::uint8_t> bytes, int& width, int& height) {
  int subsampling = 0, colourspace = 0;
  return tjDecompressHeader3(decoder, bytes.data(), static_cast<unsigned long>(bytes.size()),
                             &width, &height, &subsampling, &colourspace) == 0;
}

}  // namespace

Surface decodeJpeg(std::span<const std::uint8_t> bytes) {
  std::unique_ptr<void, DecoderRelease> decoder(tjInitDecompress());
  if (!decoder || bytes.empty()) return {};
  int width = 0, height = 0;
  if (!readHeader(decoder.get(), bytes, width, height)) return {};
  // The header alone decides: a claimed 12000 x 12000 would take over half a gigabyte.
  if (width > forms::kMaxPicturePixels || height > forms::kMaxPicturePixels) return {};
  Surface surface = createSurface(CAIRO_FORMAT_RGB24, width, height);
  if (!surface) return {};
  cairo_surface_flush(surface.get());
  // RGB24 keeps each pixel as a native-endian 32-bit word: B, G, R, X in memory here.
  static_assert(std::endian::native == std::endian::little);
  // A warning (say, data cut short) still leaves a picture, as the classic runtime showed one.
  if (tjDecompress2(decoder.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                    cairo_image_surface_get_data(surface.get()), width,
                    cairo_image_surface_get_stride(surface.get()), height, TJPF_BGRX,
                    TJFLAG_ACCURATEDCT) != 0 &&
      tjGetErrorCode(decoder.get()) != TJERR_WARNING)
    return {};
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

std::int64_t jpegPixelCount(std::span<const std::uint8_t> bytes) {
  std::unique_ptr<void, DecoderRelease> decoder(tjInitDecompress());
  int width = 0, height = 0;
  if (!decoder || bytes.empty() || !readHeader(decoder.get(), bytes, width, height)) return 0;
  return std::int64_t{width} * height;
}

}  // namespace platform::paint
