#include "ui/layout.h"

namespace ui {
namespace {

using forms::Alignment;
using forms::BorderStyle;
using BackStyle = forms::Label::BackStyle;
using platform::Asset;

constexpr DesignedFont kMingSmall{u"新細明體", 9.75f, 700, 136};
constexpr DesignedFont kMingMedium{u"新細明體", 15.75f, 700, 136};
constexpr DesignedFont kMingLarge{u"新細明體", 26.25f, 700, 136};
constexpr DesignedFont kArialBlack{u"Arial Black", 36.0f, 700, 0};

constexpr forms::Colour kYellow = 0x0000FFFF;
constexpr forms::Colour kRed = 0x000000FF;

}  // namespace

const WindowDesign kWindowDesign{
    u"LOMA", 3075, 2370, 8565, 8145, Asset::Backdrop, Asset::WindowIcon, forms::kButtonFace};

const std::array<ControlDesign, 12> kControlDesigns{{
    {"Timer1", {}, "", 7740, 885, 0, 0, TimerDesign{1000, true}},
    {"Picture1", {}, "", 405, 4920, 7200, 2280, PictureBoxDesign{false, 0}},
    {"sBT0", 1, "Picture1", 1320, 90, 1095, 840,
     ImageDesign{Asset::DownFace, true, BorderStyle::None}},
    {"sBT0", 0, "Picture1", 150, 105, 1095, 840,
     ImageDesign{Asset::UpFace, true, BorderStyle::None}},
    {"Label1",
     {},
     "",
     3840,
     2850,
     4050,
     195,
     LabelDesign{u"(C) ZAVRO Fi LOMA Diagnostic Launcher", forms::kWindowText,
                 forms::kWindowBackground, kMingSmall, Alignment::Center, BackStyle::Transparent,
                 true, BorderStyle::None, 4}},
    {"MSg",
     {},
     "",
     3270,
     1830,
     4560,
     990,
     LabelDesign{u"t", kYellow, forms::kWindowBackground, kMingMedium, Alignment::Center,
                 BackStyle::Transparent, false, BorderStyle::None, 3},
     AccessibleDesign{{}, {}, /*announced=*/true}},
    {"Image2",
     {},
     "",
     2085,
     3060,
     4905,
     360,
     ImageDesign{Asset::CountdownNotice, true, BorderStyle::None},
     AccessibleDesign{u"時間倒數到 0 關閉啓動器", {}, false}},
    {"ShowEndTime",
     {},
     "",
     675,
     2610,
     1335,
     1095,
     LabelDesign{u"10", kRed, forms::kWindowBackground, kArialBlack, Alignment::Center,
                 BackStyle::Transparent, false, BorderStyle::None, 2}},
    {"ComBT", 0, "", 645, 1545, 2385, 1275,
     LabelDesign{u"關閉", kYellow, forms::kWindowBackground, kMingLarge, Alignment::Center,
                 BackStyle::Transparent, false, BorderStyle::FixedSingle, 1}},
    {"BasePic", 0, "", 420, 4185, 1020, 540, ImageDesign{{}, true, BorderStyle::None},
     AccessibleDesign{{}, "ComBT", false}},  // the close button's face
    {"Image3", {}, "", 3000, 1545, 5025, 1275, ImageDesign{{}, true, BorderStyle::None}},
    {"Image1",
     {},
     "",
     630,
     450,
     7380,
     1110,
     ImageDesign{Asset::TitleBanner, true, BorderStyle::None},
     AccessibleDesign{u"ZAVRO Fi 診斷系統啓動器", {}, false}},
}};

}  // namespace ui
