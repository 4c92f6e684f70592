// What a long run shows of its progress: the busy cursor while it runs, and
// how far the read of a long file has come. A front end that shows neither
// keeps the defaults.
#pragma once

namespace zeltlog {

class Progress {
 public:
  virtual ~Progress() = default;

  virtual void SetBusy(bool busy) { (void)busy; }
  // Called now and then while a long file is read.
  virtual void ReportProgress(unsigned long long bytesDone, unsigned long long bytesTotal) {
    (void)bytesDone;
    (void)bytesTotal;
  }
};

}  // namespace zeltlog
