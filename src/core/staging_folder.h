// The private folder a set of outputs is written into before any of them
// takes its target's place: the GIS layers of a report, which GDAL writes
// file by file. It is made fresh (mode 0700) inside the targets' folder,
// so nobody can plant a link among its files and a rename moves each
// file into place; nothing of the set replaces an earlier file until the
// whole set is complete. It is removed with what it holds when it is
// dropped, and when the run is interrupted (SIGINT, SIGTERM, SIGHUP).
// One left by a run that was killed outright is removed by the next one
// that makes such a folder there, once no run holds it any longer.
#pragma once

#include <string>
#include <vector>

namespace zeltlog {

class StagingFolder {
 public:
  StagingFolder() = default;
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  ~StagingFolder() { Discard(); }

  // Makes the folder inside `folder` (the working directory when empty).
  // False with errno's reason in `error` otherwise.
  bool Create(const std::string& folder, std::string& error);
  // Its path, to write the set into.
  const std::string& Path() const { return path_; }

  // Moves every file it holds into the targets' folder, replacing files of
  // the same names, while no other run publishes a set there: concurrent
  // sets never mix. False with the file that could not be moved ("cannot
  // replace the existing file") or errno's reason; a target that is a
  // folder is found before any file moves.
  bool Publish(std::string& failedName, std::string& error);
  // Removes the folder with what it still holds.
  void Discard();

 private:
  std::string folder_;
  std::string path_;
  int lock_ = -1;  // the folder, held locked while it is in use
};

}  // namespace zeltlog
