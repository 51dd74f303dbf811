#include "tools/snapshot/snapshot.h"

#include "app/startup.h"
#include "launch/detection.h"
#include "platform/headless/host.h"

namespace snapshot {
namespace {

// The headless host, but labels that size themselves measure with the painter that draws them.
class PaintingHost : public platform::headless::Host {
 public:
  platform::paint::CairoPainter painter{1, 1};

 private:
  forms::TextMeasurer& measurer() override { return painter; }
};

}  // namespace

std::unique_ptr<platform::paint::CairoPainter> render(State state, int dpi) {
  auto host = std::make_unique<PaintingHost>();
  host->dpi = dpi;
  if (state != State::NotFound) host->drive.addFile(launch::kDiagnosticPath);
  app::Launcher launcher(*host);
  launcher.load();
  switch (state) {
    case State::ButtonDown:
      // Held on the middle of the close button's face, where its caption label lies in front.
      host->press(forms::MouseButton::Left, forms::pointerToTwips(122, dpi),
                  forms::pointerToTwips(145, dpi));
      break;
    case State::ThreeTicks:
      for (int i = 0; i < 3; ++i) host->tick();
      break;
    default:
      break;
  }
  forms::PixelRect client = launcher.form().clientPixels();
  auto painter = std::make_unique<platform::paint::CairoPainter>(client.width, client.height);
  // As the window hosts paint: the pictures got ready first.
  painter->paint(launcher.form(), client);
  return painter;
}

}  // namespace snapshot
