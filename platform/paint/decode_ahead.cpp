// Linux drawing: implements the decoding ahead declared in decode_ahead.h.
#include "platform/paint/decode_ahead.h"

#include <algorithm>

#include "platform/api.h"
#include "platform/paint/jpeg_decoder.h"

namespace platform::paint {
namespace {

DecodeAhead* current = nullptr;

bool isJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

}  // namespace

DecodeAhead::DecodeAhead(const std::vector<std::span<const std::uint8_t>>& files) {
  for (auto bytes : files) items_.push_back({bytes, {}, false, false, false});
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
  // Read from the headers here rather than by the caller: the bytes never change, and the
  // thread is the only one to use these.
  std::vector<std::int64_t> pixels;
  pixels.reserve(items_.size());
  for (const Item& item : items_) pixels.push_back(jpegPixelCount(item.bytes));
  for (;;) {
    Item* item = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      std::size_t next = items_.size();
      for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].started && (next == items_.size() || pixels[i] < pixels[next])) next = i;
      if (next == items_.size()) return;
      item = &items_[next];
      item->started = true;
    }
    Surface surface = decodeJpeg(item->bytes);
    {
      std::lock_guard lock(mutex_);
      item->surface = std::move(surface);
      item->done = true;
    }
    decoded_.notify_all();
  }
}

Surface DecodeAhead::take(std::span<const std::uint8_t> bytes) {
  return current ? current->takeItem(bytes) : Surface{};
}

Surface DecodeAhead::takeItem(std::span<const std::uint8_t> bytes) {
  std::unique_lock lock(mutex_);
  auto item = std::ranges::find_if(items_, [&](const Item& i) {
    return !i.taken && i.bytes.data() == bytes.data() && i.bytes.size() == bytes.size();
  });
  if (item == items_.end()) return {};
  item->taken = true;
  // One the thread has not come to yet is decoded here, while the thread goes on with the rest.
  if (!item->started) {
    item->started = true;
    lock.unlock();
    return decodeJpeg(bytes);
  }
  decoded_.wait(lock, [&] { return item->done; });
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

}  // namespace platform::paint
