// X11 backend: implements the decoding ahead declared in decode_ahead.h.
#include "platform/x11/decode_ahead.h"

#include <algorithm>

#include "platform/api.h"
#include "platform/x11/jpeg_decoder.h"

namespace platform::x11 {
namespace {

DecodeAhead* current = nullptr;

bool isJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

}  // namespace

DecodeAhead::DecodeAhead(const std::vector<std::span<const std::uint8_t>>& files) {
  for (auto bytes : files) items_.push_back({bytes, {}, false, false});
  current = this;
  // Without a thread (none left to the process) nothing is decoded ahead: the painter decodes.
  try {
    thread_ = std::thread([this] { decodeAll(); });
  } catch (const std::system_error&) {
    items_.clear();
  }
}

DecodeAhead::~DecodeAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    current = nullptr;
  }
  if (thread_.joinable()) thread_.join();
}

void DecodeAhead::decodeAll() {
  for (std::size_t i = 0;; ++i) {
    std::span<const std::uint8_t> bytes;
    {
      std::lock_guard lock(mutex_);
      if (stopping_ || i >= items_.size()) return;
      bytes = items_[i].bytes;
    }
    Surface surface = decodeJpeg(bytes);
    {
      std::lock_guard lock(mutex_);
      items_[i].surface = std::move(surface);
      items_[i].done = true;
    }
    decoded_.notify_all();
  }
}

Surface DecodeAhead::take(std::span<const std::uint8_t> bytes) {
  return current ? current->takeItem(bytes) : Surface{};
}

Surface DecodeAhead::takeItem(std::span<const std::uint8_t> bytes) {
  std::unique_lock lock(mutex_);
  auto item = std::find_if(items_.begin(), items_.end(), [&](const Item& i) {
    return !i.taken && i.bytes.data() == bytes.data() && i.bytes.size() == bytes.size();
  });
  if (item == items_.end()) return {};
  decoded_.wait(lock, [&] { return item->done; });
  item->taken = true;
  return std::move(item->surface);
}

std::vector<std::span<const std::uint8_t>> DecodeAhead::embeddedJpegs() {
  std::vector<std::span<const std::uint8_t>> files;
  for (int a = 0; a <= static_cast<int>(kLastAsset); ++a) {
    auto bytes = embedded(static_cast<Asset>(a));
    if (isJpeg(bytes)) files.push_back(bytes);
  }
  return files;
}

}  // namespace platform::x11
