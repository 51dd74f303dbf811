// Win32 platform: typeface choice and the embedded stand-in fonts.
//
// Implements: the face lookup of the GDI painter (EnumFontFamiliesExW) and the private fonts
// (AddFontMemResourceEx over the embedded font resources).
#include "platform/win32/fonts.h"

#include <array>

#include "platform/api.h"
#include "platform/win32/text.h"

namespace platform::win32 {
namespace {

struct StandIn {
  std::u16string_view designed;
  Asset asset;
  const wchar_t* face;  // the family name inside the embedded font
};

constexpr std::array<StandIn, 2> kStandIns{{
    {u"新細明體", Asset::FontMing, L"LOMA Ming"},
    {u"Arial Black", Asset::FontBlack, L"LOMA Black"},
}};

int CALLBACK onFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool installed(HDC dc, const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  face.copy(query.lfFaceName, face.size());
  bool found = false;
  EnumFontFamiliesExW(dc, &query, onFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

bool addPrivately(Asset asset) {
  std::span<const std::uint8_t> bytes = embedded(asset);
  if (bytes.empty()) return false;
  DWORD fonts = 0;
  // The handle is kept for the life of the process: the font is never removed.
  return AddFontMemResourceEx(const_cast<std::uint8_t*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()), nullptr, &fonts) != nullptr &&
         fonts > 0;
}

// Our own face for a designed one that the system lacks, or "" to keep the designed one.
std::wstring standInFor(HDC dc, std::u16string_view designedFace) {
  if (installed(dc, wide(designedFace))) return {};
  for (const StandIn& s : kStandIns) {
    if (s.designed == designedFace && addPrivately(s.asset)) return s.face;
  }
  return {};
}

}  // namespace

Typeface Typefaces::resolve(HDC dc, std::u16string_view designedFace, int designedCharset) {
  auto it = standIns_.find(designedFace);
  if (it == standIns_.end())
    it = standIns_.emplace(std::u16string(designedFace), standInFor(dc, designedFace)).first;
  if (it->second.empty()) return {wide(designedFace), static_cast<BYTE>(designedCharset)};
  // Our own font covers the captions whatever character sets its tables declare, so the face
  // name alone must decide: a charset that it does not declare would send GDI to another font.
  return {it->second, DEFAULT_CHARSET};
}

}  // namespace platform::win32
