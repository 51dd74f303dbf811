#include "ui/layout.h"

namespace ui {
namespace {

using platform::Asset;

constexpr DesignedFont kMingSmall{u"新細明體", 9.75f, 700, 136};
constexpr DesignedFont kMingMedium{u"新細明體", 15.75f, 700, 136};
constexpr DesignedFont kMingLarge{u"新細明體", 26.25f, 700, 136};
constexpr DesignedFont kArialBlack{u"Arial Black", 36.0f, 700, 0};

constexpr forms::Colour kYellow = 0x0000FFFF;
constexpr forms::Colour kRed = 0x000000FF;
constexpr forms::Colour kText = forms::kWindowText;
constexpr forms::Colour kWindow = forms::kWindowBackground;
constexpr auto kCentre = forms::Alignment::Center;
constexpr auto kTransparent = forms::Label::BackStyle::Transparent;
constexpr auto kNoBorder = forms::BorderStyle::None;
constexpr auto kSingle = forms::BorderStyle::FixedSingle;

// Every image of the window stretches its picture to its rectangle and has no border.
constexpr ImageDesign stretched(std::optional<Asset> picture) {
  return {picture, true, kNoBorder};
}

// clang-format off
//                               caption                                   fore     back     font         alignment back style    auto   border     tab
constexpr LabelDesign kCredit   {u"(C) ZAVRO Fi LOMA Diagnostic Launcher", kText,   kWindow, kMingSmall,  kCentre,  kTransparent, true,  kNoBorder, 4};
constexpr LabelDesign kMessage  {u"t",                                     kYellow, kWindow, kMingMedium, kCentre,  kTransparent, false, kNoBorder, 3};
constexpr LabelDesign kCount    {u"10",                                    kRed,    kWindow, kArialBlack, kCentre,  kTransparent, false, kNoBorder, 2};
constexpr LabelDesign kClose    {u"關閉",                                  kYellow, kWindow, kMingLarge,  kCentre,  kTransparent, false, kSingle,   1};

//                                     description                    drawn as part of  announced
constexpr AccessibleDesign kAnnounced {{},                            {},               true};
constexpr AccessibleDesign kNotice    {u"時間倒數到 0 關閉啓動器",    {},               false};
constexpr AccessibleDesign kButtonFace{{},                            "ComBT",          false};
constexpr AccessibleDesign kBanner    {u"ZAVRO Fi 診斷系統啓動器",    {},               false};
// clang-format on

}  // namespace

const WindowDesign kWindowDesign{
    u"LOMA", 3075, 2370, 8565, 8145, Asset::Backdrop, Asset::WindowIcon, forms::kButtonFace};

// clang-format off
const std::array<ControlDesign, 12> kControlDesigns{{
//  name           index  container   left   top  width height  kind                                  for a screen reader
  {"Timer1",      {},    "",         7740,  885,     0,    0,  TimerDesign{1000, true}},
  {"Picture1",    {},    "",          405, 4920,  7200, 2280,  PictureBoxDesign{false, 0}},
  {"sBT0",         1,    "Picture1", 1320,   90,  1095,  840,  stretched(Asset::DownFace)},
  {"sBT0",         0,    "Picture1",  150,  105,  1095,  840,  stretched(Asset::UpFace)},
  {"Label1",      {},    "",         3840, 2850,  4050,  195,  kCredit},
  {"MSg",         {},    "",         3270, 1830,  4560,  990,  kMessage,                             kAnnounced},
  {"Image2",      {},    "",         2085, 3060,  4905,  360,  stretched(Asset::CountdownNotice),    kNotice},
  {"ShowEndTime", {},    "",          675, 2610,  1335, 1095,  kCount},
  {"ComBT",        0,    "",          645, 1545,  2385, 1275,  kClose},
  {"BasePic",      0,    "",          420, 4185,  1020,  540,  stretched({}),                        kButtonFace},
  {"Image3",      {},    "",         3000, 1545,  5025, 1275,  stretched({})},
  {"Image1",      {},    "",          630,  450,  7380, 1110,  stretched(Asset::TitleBanner),        kBanner},
}};
// clang-format on

}  // namespace ui
