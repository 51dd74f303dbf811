#include "platform/headless/host.h"

#include "forms/accessibility.h"

namespace platform::headless {

void Host::deliver(const std::function<void()>& event) {
  if (ended_) return;
  try {
    event();
  } catch (const forms::Terminated&) {
    ended_ = true;
    return;  // the process is gone: nothing more is reported
  }
  reportNameChanges();
}

void Host::reportNameChanges() {
  if (!form_) return;
  std::vector<const forms::Control*> renamed = form_->takeRenamed();
  if (renamed.empty()) return;
  auto nodes = forms::accessibleNodes(*form_);
  for (const forms::Control* c : renamed) {
    int i = forms::nodeIndexOf(nodes, c);
    if (i >= 0) nameChanges_.push_back({c, nodes[static_cast<std::size_t>(i)].name});
  }
}

void Host::runPosted() {
  deliver([&] { form_->runPosted(); });
}

void Host::pumpTimers() {
  while (!ended_ && schedule_ && timer_->enabled() && schedule_->due(now_)) {
    schedule_->advance();
    deliver([&] {
      if (timer_->onTimer) timer_->onTimer(*timer_);
    });
  }
}

void Host::advance(std::int64_t ms) {
  std::int64_t until = now_ + ms;
  while (!ended_ && schedule_ && schedule_->nextDue() <= until) {
    now_ = std::max(now_, schedule_->nextDue());
    pumpTimers();
  }
  now_ = until;
}

void Host::tick() {
  if (schedule_) advance(std::max<std::int64_t>(0, schedule_->nextDue() - now_));
}

void Host::press(forms::MouseButton button, forms::Twips x, forms::Twips y) {
  deliver([&] { form_->mouseDown(button, 0, x, y); });
}

void Host::release(forms::MouseButton button, forms::Twips x, forms::Twips y) {
  deliver([&] { form_->mouseUp(button, 0, x, y); });
}

void Host::click(forms::Twips x, forms::Twips y) {
  press(forms::MouseButton::Left, x, y);
  release(forms::MouseButton::Left, x, y);
}

void Host::loseCapture() {
  deliver([&] { form_->captureLost(); });
}

void Host::closeByWindowSystem() {
  // The only window is unloaded and the program ends; no handler of the launcher runs.
  if (ended_) return;
  visible_ = false;
  ended_ = true;
}

const std::vector<PaintOp>& Host::paint() {
  painter_.ops.clear();
  form_->paint(painter_);
  return painter_.ops;
}

forms::Twips Host::screenWidth() {
  if (screenWidthFails) throw forms::err::invalidProcedureCall();
  return screenWidthTwips;
}

std::int32_t Host::setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t x,
                                std::int32_t y, std::int32_t cx, std::int32_t cy,
                                std::uint32_t flags) {
  setWindowPosCalls.push_back({hWnd, hWndInsertAfter, x, y, cx, cy, flags, bounds_});
  // As the window manager does: the values are pixels, and neither move nor size is held back.
  applyBounds({x, y, cx, cy});
  if (flags & kSwpShowWindow) visible_ = true;
  if (duringSetWindowPos) duringSetWindowPos();
  return 1;
}

std::u16string Host::dir(std::u16string_view path, int attributes) {
  dirCalls.emplace_back(path);
  now_ += dirTakesMs;
  return drive.dir(path, attributes);
}

double Host::shell(std::u16string_view path, int windowStyle) {
  if (shellFailure) throw *shellFailure;
  shellCalls.push_back({std::u16string(path), windowStyle});
  if (duringShell) duringShell();
  return nextTaskId_++;
}

void Host::terminate() {
  ended_ = true;
  throw forms::Terminated{};
}

void Host::attach(forms::Form& form) {
  form_ = &form;
  timer_ = form.timer();
  // The window is created now, and its timer runs from its creation.
  if (timer_) schedule_.emplace(now_, timer_->interval());
  form.setDpi(dpi);
  form.attach(this);
  form.takeRenamed();  // the designed captions are no change
}

void Host::reportUnhandled(const forms::RuntimeError& error) {
  visible_ = false;  // the launcher window goes before the message shows
  unhandled_ = error;
  exitCode_ = kUnhandledErrorExitCode;
  ended_ = true;
  throw forms::Terminated{};
}

void Host::applyBounds(const forms::PixelRect& screenPixels) {
  bounds_ = screenPixels;
  boundsHistory_.push_back(screenPixels);
}

}  // namespace platform::headless
