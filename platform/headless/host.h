// Headless platform: an in-process host that tests drive by hand.
//
// Implements: the native window (geometry and visibility recorded), a manual clock with the
// absolute tick schedule, mouse events at points in twips, a fake drive for file lookup, a fake
// program starter, SetWindowPos and Terminate recorded. Terminate unwinds the running handler to
// the event that the test delivered, so a test can prove that no later statement ran.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/tick_schedule.h"
#include "platform/api.h"
#include "platform/headless/fake_drive.h"
#include "platform/headless/recording_painter.h"

namespace platform::headless {

struct SetWindowPosCall {
  std::intptr_t hWnd, hWndInsertAfter;
  std::int32_t x, y, cx, cy;
  std::uint32_t flags;
  forms::PixelRect boundsBefore;  // the native window just before the call
};

// A name change as a host reports it to screen readers: after the event, with the repaint.
struct NameChange {
  const forms::Control* control;
  std::u16string name;
};

struct ShellCall {
  std::u16string path;
  int windowStyle;
};

class Host : public platform::Host, private forms::NativeWindow {
 public:
  static constexpr std::intptr_t kWindowHandle = 0x10A2;

  // What the platform reports and does; set by the test.
  forms::Twips screenWidthTwips = 1920 * forms::kTwipsPerPixel;
  int dpi = forms::kDesignDpi;  // the screen's density, given to the form when it attaches
  bool screenWidthFails = false;
  FakeDrive drive;
  std::optional<forms::RuntimeError> shellFailure;  // every start raises this
  std::int64_t dirTakesMs = 0;                      // the clock moves on during a file lookup
  // Run inside SetWindowPos and program start, after the call is recorded: what the window
  // system or the started program does meanwhile, or a look at the form at that moment.
  std::function<void()> duringSetWindowPos, duringShell;

  // What the launcher asked for.
  std::vector<SetWindowPosCall> setWindowPosCalls;
  std::vector<ShellCall> shellCalls;
  std::vector<std::u16string> dirCalls;

  // Feeding events. Each runs to completion unless the program has ended.
  void deliver(const std::function<void()>& event);
  void elapse(std::int64_t ms) { now_ += ms; }  // the clock only
  void pumpTimers();                            // every tick that has fallen due, in order
  void advance(std::int64_t ms);                // the clock, with each tick at its time
  void tick();                                  // up to the next tick and deliver it
  void press(forms::MouseButton button, forms::Twips x, forms::Twips y);
  void release(forms::MouseButton button, forms::Twips x, forms::Twips y);
  void click(forms::Twips x, forms::Twips y);
  // The window system takes the mouse away while a button is held; its release never comes.
  void loseCapture();
  void closeByWindowSystem();
  // The event loop's turn for work the form posted (a screen reader's default action).
  void runPosted();

  // How the program stands.
  [[nodiscard]] bool ended() const { return ended_; }
  [[nodiscard]] int exitCode() const { return exitCode_; }
  [[nodiscard]] const std::optional<forms::RuntimeError>& unhandledError() const {
    return unhandled_;
  }
  [[nodiscard]] const forms::PixelRect& nativeBounds() const { return bounds_; }
  [[nodiscard]] const std::vector<forms::PixelRect>& boundsHistory() const {
    return boundsHistory_;
  }
  [[nodiscard]] bool nativeVisible() const { return visible_; }
  [[nodiscard]] std::int64_t now() const { return now_; }
  [[nodiscard]] std::int64_t ticksDelivered() const { return schedule_ ? schedule_->ticks() : 0; }
  RecordingPainter& painter() { return painter_; }
  [[nodiscard]] const std::vector<NameChange>& reportedNameChanges() const { return nameChanges_; }
  [[nodiscard]] int postedSignals() const { return postedSignals_; }
  // Paints the whole form onto the recording painter and returns what it drew.
  const std::vector<PaintOp>& paint();

  // platform::Host
  forms::Twips screenWidth() override;
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t x,
                            std::int32_t y, std::int32_t cx, std::int32_t cy,
                            std::uint32_t flags) override;
  std::u16string dir(std::u16string_view path, int attributes) override;
  double shell(std::u16string_view path, int windowStyle) override;
  [[noreturn]] void terminate() override;
  void attach(forms::Form& form) override;
  int run() override { return exitCode_; }
  [[noreturn]] void reportUnhandled(const forms::RuntimeError& error) override;

 private:
  // forms::NativeWindow
  void applyBounds(const forms::PixelRect& screenPixels) override;
  void applyVisible(bool visible) override { visible_ = visible; }
  void invalidate(const forms::PixelRect&) override {}
  [[nodiscard]] std::intptr_t handle() const override { return kWindowHandle; }
  forms::TextMeasurer& measurer() override { return painter_; }
  void workPosted() override { ++postedSignals_; }
  void reportNameChanges();

  forms::Form* form_ = nullptr;
  forms::Timer* timer_ = nullptr;
  std::optional<forms::TickSchedule> schedule_;
  std::int64_t now_ = 0;
  bool ended_ = false;
  int exitCode_ = 0;
  std::optional<forms::RuntimeError> unhandled_;
  forms::PixelRect bounds_;
  std::vector<forms::PixelRect> boundsHistory_;
  bool visible_ = false;
  double nextTaskId_ = 1000;
  RecordingPainter painter_;
  std::vector<NameChange> nameChanges_;
  int postedSignals_ = 0;
};

}  // namespace platform::headless
