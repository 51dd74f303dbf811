#include "forms/picture_survey.h"

#include "forms/form.h"
#include "forms/painter.h"

namespace forms {
namespace {

class Survey : public Painter {
 public:
  explicit Survey(const PixelRect& clip) : clip_(clip) {}
  std::vector<PictureUse> uses;

  PixelSize measureText(std::u16string_view, const Font&) override { return {}; }
  void fill(const PixelRect&, Colour) override {}
  void frame(const PixelRect&, Colour) override {}
  void drawPicture(const Picture& picture, const PixelRect& rect) override {
    if (!intersect(rect, clip_).empty()) uses.push_back({&picture, rect});
  }
  void drawText(std::u16string_view, const Font&, Colour, const PixelRect&, Alignment,
                bool) override {}

 private:
  PixelRect clip_;
};

}  // namespace

std::vector<PictureUse> picturesToPaint(const Form& form, const PixelRect& clip) {
  Survey survey(clip);
  form.paint(survey);
  return std::move(survey.uses);
}

}  // namespace forms
