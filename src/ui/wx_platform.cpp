#include "ui/wx_platform.h"

#include "ui/file_pick.h"
#include "ui/wx_text.h"

namespace zeltlog::ui {

WxPlatform::~WxPlatform() { SetBusy(false); }

std::optional<std::string> WxPlatform::ChooseFile(std::string_view filter, std::string_view defaultExtension) {
  surface_.SyncEventList();
  if (hooks_.chooseFile) return hooks_.chooseFile(filter, defaultExtension);
  // The desktop's open dialog needs no default extension: it returns only
  // files that exist, and "All Files" shows files of every name.
  wxFileDialog dialog(surface_.Owner(), "Open", FromLibraryText(surface_.ChooserFolder()), wxEmptyString,
                      FromLibraryText(WildcardFromFilter(filter)), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return ToLibraryText(dialog.GetPath());
}

void WxPlatform::OpenInViewer(const std::string& path) {
  if (hooks_.openInViewer) {
    hooks_.openInViewer(path);
    return;
  }
  // As the shell's "open": the result is not looked at.
  wxLaunchDefaultApplication(FromLibraryText(path));
}

void WxPlatform::Pause(int milliseconds) {
  if (hooks_.pause) {
    hooks_.pause(milliseconds);
    return;
  }
  wxMilliSleep(static_cast<unsigned long>(milliseconds));
}

void WxPlatform::ShowMessage(std::string_view text) {
  surface_.SyncEventList();
  if (hooks_.showMessage) {
    hooks_.showMessage(text);
    return;
  }
  wxMessageBox(FromLibraryText(text), "ZELTLOG", wxOK, surface_.Owner());
}

void WxPlatform::Beep() {
  if (hooks_.beep) {
    hooks_.beep();
    return;
  }
  wxBell();
}

void WxPlatform::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    wxBeginBusyCursor();
  } else {
    wxEndBusyCursor();
  }
}

void WxPlatform::ReportProgress(unsigned long long bytesDone, unsigned long long bytesTotal) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastProgress_ < kProgressInterval) return;
  lastProgress_ = now;
  surface_.ShowProgress(bytesDone, bytesTotal);
}

int WxPlatform::ShowModal(wxDialog& dialog) {
  surface_.SyncEventList();
  if (hooks_.showModal) return hooks_.showModal(dialog);
  return dialog.ShowModal();
}

}  // namespace zeltlog::ui
