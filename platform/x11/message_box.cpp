// X11 platform: implements message_box.h.
#include "platform/x11/message_box.h"

#include <X11/keysym.h>

#include <algorithm>
#include <string>

#include "platform/paint/cairo_painter.h"
#include "platform/x11/presenter.h"

namespace platform::x11 {

namespace {

// The look of a plain message box of a current Windows desktop, in pixels at 96 dpi; a denser
// screen scales each measure by the same rule as the launcher's twips.
struct Measures {
  int margin, textTop, buttonWidth, buttonHeight, buttonStrip, minWidth;
  explicit Measures(int dpi)
      : margin(scaled(12, dpi)),
        textTop(scaled(20, dpi)),
        buttonWidth(scaled(75, dpi)),
        buttonHeight(scaled(23, dpi)),
        buttonStrip(scaled(45, dpi)),
        minWidth(scaled(180, dpi)) {}
  static int scaled(int pixelsAt96, int dpi) {
    return forms::toPixels(forms::pointerToTwips(pixelsAt96, forms::kDesignDpi), dpi);
  }
};
constexpr forms::Colour kPanel = 0x00FFFFFF, kStrip = 0x00F0F0F0, kText = 0x00000000,
                        kButtonFace = 0x00E1E1E1, kButtonEdge = 0x00ADADAD,
                        kPressedFace = 0x00F7E4CC, kPressedEdge = 0x00995400;

const forms::Font kFont{u"新細明體", 9.0f, 400};

struct Layout {
  Measures m;
  forms::PixelSize window;
  forms::PixelRect text, button;
};

Layout layOut(forms::PixelSize textSize, int dpi) {
  Measures m(dpi);
  int width = std::max(m.minWidth, textSize.width + 2 * m.margin + Measures::scaled(24, dpi));
  // Our CJK face's line is one em high: Latin descenders (g, p) reach below it.
  int textHeight = textSize.height + Measures::scaled(4, dpi);
  int panel = m.textTop + textHeight + m.textTop;
  int height = panel + m.buttonStrip;
  return {m,
          {width, height},
          {m.margin, m.textTop, width - 2 * m.margin, textHeight},
          {width - m.margin - m.buttonWidth, panel + (m.buttonStrip - m.buttonHeight) / 2,
           m.buttonWidth, m.buttonHeight}};
}

void draw(paint::CairoPainter& painter, const Layout& layout, std::u16string_view text,
          bool pressed) {
  const Measures& m = layout.m;
  int panel = layout.window.height - m.buttonStrip;
  painter.fill({0, 0, layout.window.width, panel}, kPanel);
  painter.fill({0, panel, layout.window.width, m.buttonStrip}, kStrip);
  painter.drawText(text, kFont, kText, layout.text, forms::Alignment::Left, false);
  painter.fill(layout.button, pressed ? kPressedFace : kButtonFace);
  painter.frame(layout.button, pressed ? kPressedEdge : kButtonEdge);
  forms::PixelSize ok = painter.measureText(u"OK", kFont);
  forms::PixelRect caption{layout.button.x, layout.button.y + (m.buttonHeight - ok.height) / 2,
                           m.buttonWidth, ok.height};
  painter.drawText(u"OK", kFont, kText, caption, forms::Alignment::Center, false);
}

}  // namespace

void showMessageBox(Display* display, const Atoms& atoms, const forms::PixelRect& monitor, int dpi,
                    std::u16string_view title, std::u16string_view text) {
  paint::CairoPainter painter(1, 1);
  painter.setDpi(dpi);
  Layout layout = layOut(painter.measureText(text, kFont), dpi);
  painter.resize(layout.window.width, layout.window.height);
  forms::PixelRect bounds{monitor.x + (monitor.width - layout.window.width) / 2,
                          monitor.y + (monitor.height - layout.window.height) / 2,
                          layout.window.width, layout.window.height};

  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.event_mask =
      ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | VisibilityChangeMask;
  Window window = XCreateWindow(
      display, DefaultRootWindow(display), bounds.x, bounds.y, static_cast<unsigned>(bounds.width),
      static_cast<unsigned>(bounds.height), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWBackPixmap | CWEventMask, &attributes);
  describeWindow(display, window, atoms, forms::toUtf8(title), /*takesFocus=*/true);
  setFixedGeometry(display, window, bounds);
  keepAbove(display, window, atoms, /*mapped=*/false);
  XMapRaised(display, window);
  Presenter presenter(display, window);

  bool pressed = false;
  draw(painter, layout, text, pressed);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.xany.window != window) continue;
    switch (event.type) {
      case Expose: {
        const XExposeEvent& e = event.xexpose;
        presenter.show(painter.surface(), {e.x, e.y, e.width, e.height});
        break;
      }
      case ButtonPress:
      case ButtonRelease: {
        if (event.xbutton.button != Button1) break;
        bool over = layout.button.contains(event.xbutton.x, event.xbutton.y);
        if (event.type == ButtonRelease && pressed && over) return;
        pressed = event.type == ButtonPress && over;
        draw(painter, layout, text, pressed);
        presenter.show(painter.surface(), layout.button);
        break;
      }
      case KeyPress: {
        KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Return || key == XK_KP_Enter || key == XK_space || key == XK_Escape) return;
        break;
      }
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == atoms.wmDeleteWindow) return;
        break;
      case VisibilityNotify:
        if (event.xvisibility.state != VisibilityUnobscured && !managerKeepsAbove(display, atoms))
          XRaiseWindow(display, window);
        break;
      default:
        break;
    }
  }
}

}  // namespace platform::x11
