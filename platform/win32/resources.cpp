// Win32 platform: the embedded files.
//
// Implements: platform::embedded() over the program's RCDATA resources (ids in
// resource_ids.h). A missing resource gives no bytes, which the picture loader reports.
#include "platform/win32/win32_api.h"

#include "resource_ids.h"

namespace platform {
namespace {

int resourceId(Asset asset) {
  switch (asset) {
    case Asset::Backdrop:
      return IDR_BACKDROP;
    case Asset::WindowIcon:
      return IDR_WINDOW_ICON;
    case Asset::DownFace:
      return IDR_DOWN_FACE;
    case Asset::UpFace:
      return IDR_UP_FACE;
    case Asset::CountdownNotice:
      return IDR_COUNTDOWN_NOTICE;
    case Asset::TitleBanner:
      return IDR_TITLE_BANNER;
    case Asset::FontMing:
      return IDR_FONT_MING;
    case Asset::FontBlack:
      return IDR_FONT_BLACK;
  }
  return 0;
}

}  // namespace

std::span<const std::uint8_t> embedded(Asset asset) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId(asset)), RT_RCDATA);
  if (!found) return {};
  // Resources stay mapped for the life of the process: no unlock or free exists for them.
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

}  // namespace platform
