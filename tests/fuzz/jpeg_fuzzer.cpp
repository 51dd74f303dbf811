// Fuzzes the JPEG decoding wrapper: any bytes give a picture or none, a picture is an opaque
// surface of the size the header states, and one whose header claims more than the size limit
// either way is refused.
#include <turbojpeg.h>

#include <cstddef>
#include <cstdint>

#include "forms/picture.h"
#include "platform/paint/jpeg_decoder.h"
#include "tests/fuzz/check.h"

namespace {

// Headers that claim a large picture within the limit make libjpeg-turbo fill every pixel of it
// from a few bytes; they are skipped to keep the runs fast.
constexpr long kMaxPixels = 1L << 20;

// The size a header states, read with a handle of its own: a TurboJPEG handle that has failed
// on one input may fail on the next, so the decoder under test takes a fresh one each time too.
bool readHeader(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  tjhandle handle = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  bool ok = size > 0 && tjDecompressHeader3(handle, data, static_cast<unsigned long>(size), &width,
                                            &height, &subsampling, &colourspace) == 0;
  tjDestroy(handle);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int width = 0, height = 0;
  bool header = readHeader(data, size, width, height);
  if (header && (width > forms::kMaxPicturePixels || height > forms::kMaxPicturePixels)) {
    fuzz::require(!platform::paint::decodeJpeg({data, size}),
                  "a picture wider or taller than the limit is refused");
    return 0;
  }
  if (header && static_cast<long>(width) * height > kMaxPixels) return 0;

  platform::paint::Surface surface = platform::paint::decodeJpeg({data, size});
  if (!surface) return 0;
  fuzz::require(header, "only bytes with a JPEG header decode");
  fuzz::require(cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_RGB24,
                "a picture is an opaque RGB surface");
  fuzz::require(cairo_image_surface_get_width(surface.get()) == width &&
                    cairo_image_surface_get_height(surface.get()) == height,
                "a picture has the size its header states");
  return 0;
}
