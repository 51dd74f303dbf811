// Linux drawing: the program's JPEG pictures decoded on a second core while the first one opens the
// display, asks it about its monitors and builds the form. The first frame needs every one of
// them, and until it is painted the first core mostly waits for the X server's replies.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "platform/paint/surface.h"

namespace platform::paint {

class DecodeAhead {
 public:
  // Starts decoding these files on a thread of its own, the smallest picture first. The bytes
  // must outlive this object; the program's embedded files do. While it lives, it is the
  // program's one.
  //
  // Smallest first: the painter resamples the pictures it draws stretched before it draws
  // anything, and those are the small ones (the banner and the button faces, at the launcher's
  // sizes); the backdrop it draws pixel for pixel, last. So when the paint begins, the thread is
  // left with the largest picture to decode while the painter resamples the others, instead of
  // the painter decoding or waiting for those while the backdrop is done.
  explicit DecodeAhead(const std::vector<std::span<const std::uint8_t>>& files);
  // Waits for the thread: whatever is left undecoded is dropped.
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The surface decoded from exactly these bytes, once it is ready, and only to the first that
  // asks; decoded by the caller when the thread has not begun it yet. Null when no DecodeAhead
  // lives, the bytes were not among its files, they were taken already or held no picture. The
  // painter then decodes them itself.
  static Surface take(std::span<const std::uint8_t> bytes);

  // The program's embedded files that are JPEG pictures, in the order the assets are listed.
  static std::vector<std::span<const std::uint8_t>> embeddedJpegs();

 private:
  struct Item {
    std::span<const std::uint8_t> bytes;
    Surface surface;
    bool started = false;  // by the thread, or by the painter that could not wait for it
    bool done = false;
    bool taken = false;
  };
  void decodeAll();
  Surface takeItem(std::span<const std::uint8_t> bytes);

  std::mutex mutex_;
  std::condition_variable decoded_;
  std::vector<Item> items_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace platform::paint
