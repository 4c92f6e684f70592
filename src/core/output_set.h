// The outputs of one command, from creation to commit: each is created
// beside its target through OutputFile, one that cannot be created is
// listed as "Cannot create <path>" and gets no writes, and each is
// committed in turn ("Cannot write <path>" when completing it fails). The
// report says what was written and what failed. Outputs not committed are
// abandoned with the set, leaving their targets as they were.
#pragma once

#include <deque>
#include <string>

#include "core/command_result.h"
#include "core/output_file.h"
#include "core/event_log.h"

namespace zeltlog {

// Makes `target` from the finished document in `finished` (a KMZ packs
// it), replacing the target only when complete. False with the reason.
using OutputPacker = bool (*)(const std::string& finished, const std::string& target, std::string* error);

class OutputSet {
 public:
  explicit OutputSet(EventLog& events) : events_(events) {}
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // A new output for `path`; nullptr when it cannot be created.
  OutputFile* Create(const std::string& path, OutputFile::Mode mode = OutputFile::Mode::Text);
  // Completes one output and puts it in place of its target. False when
  // that failed (reported); an output never created is no failure.
  bool Commit(OutputFile* file);
  // Commits every output still open, in the order they were created.
  void CommitAll();
  // Drops every output still open: their targets stay as they were.
  void AbandonAll();
  // From now on each output is committed through `packer` instead of
  // being renamed over its target.
  void PackEachOutput(OutputPacker packer) { packer_ = packer; }

  const OutputReport& report() const { return report_; }

 private:
  bool Pack(OutputFile& file, std::string& reason);

  EventLog& events_;
  std::deque<OutputFile> files_;  // stable addresses
  OutputReport report_;
  OutputPacker packer_ = nullptr;
};

}  // namespace zeltlog
