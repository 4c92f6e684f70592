// Event lines held back while the pre-scan runs beside the full pass. The
// summary lines made from the pre-scan's figures head the event list, so
// the lines of the full pass that come before them wait here and follow in
// their order. Everything else goes straight to the platform.
#pragma once

#include <string>

#include "core/platform.h"

namespace zeltlog {

class EventHold : public Platform {
 public:
  explicit EventHold(Platform& platform) : platform_(platform) {}

  // Held lines past this many bytes: the full pass should wait for the
  // pre-scan rather than hold more (a listing of every record would
  // otherwise be held whole).
  static constexpr size_t kBound = 1 << 18;
  bool Full() const { return held_.size() > kBound; }

  // Lets the lines go: those `ahead` adds first, then the held ones; from
  // then on every line goes straight through.
  template <typename Ahead>
  void Release(Ahead&& ahead) {
    holding_ = false;
    ahead();
    PassHeld();
  }
  // Forgets the held lines, and holds every later one for good.
  void Drop() { held_.clear(); }

  void AddEvent(EventKind kind, std::string_view line) override;
  void ClearEvents() override { platform_.ClearEvents(); }
  bool WantsEvents(EventKind kind) const override { return platform_.WantsEvents(kind); }
  std::optional<std::string> ChooseFile(std::string_view filter, std::string_view extension) override {
    return platform_.ChooseFile(filter, extension);
  }
  void OpenInViewer(const std::string& path) override { platform_.OpenInViewer(path); }
  void Pause(int milliseconds) override { platform_.Pause(milliseconds); }
  void ShowMessage(std::string_view text) override { platform_.ShowMessage(text); }
  void Beep() override { platform_.Beep(); }
  void SetBusy(bool busy) override { platform_.SetBusy(busy); }
  void RefreshFields(const ConversionSession& session) override { platform_.RefreshFields(session); }
  void ReportProgress(unsigned long long done, unsigned long long total) override {
    platform_.ReportProgress(done, total);
  }

 private:
  void PassHeld();

  Platform& platform_;
  bool holding_ = true;
  // Each held line as its kind, its length and its text.
  std::string held_;
};

}  // namespace zeltlog
