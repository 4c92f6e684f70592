// A report's GIS export and its field file against an unlucky or hostile
// world: a full disk or a file size limit, signals and kills in mid-write,
// its folder removed, two exports of one name at once, and field files that
// point at the network. The export is written whole into a private folder
// beside its target before any file of the set replaces an earlier one.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "testkit.h"
#include "gdal_files.h"
#include "gis/export_names.h"
#include "robustness_inputs.h"

namespace zeltlog {
namespace {

using testkit::PipedRun;

// The private folders of exports under way in `folder`.
std::vector<std::string> StagingFoldersIn(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(".zeltlog-set-", 0) == 0) found.push_back(entry.path().string());
  }
  return found;
}

// An earlier set of every file an export to `target` may write.
void WriteEarlierSet(const std::string& target) {
  for (const std::string& file : GisExportEveryFile(target)) WriteFile(file, "earlier " + file);
}

// Stops the run once its private folder in `folder` holds a file: the
// export is under way. False when the run ended first.
bool StopInMidExport(pid_t pid, const std::string& folder) {
  for (;;) {
    for (const std::string& staging : StagingFoldersIn(folder)) {
      std::error_code ec;
      if (!std::filesystem::is_empty(staging, ec) && !ec) {
        kill(pid, SIGSTOP);
        return true;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

class ReportExports : public ::testing::Test {
 protected:
  std::string F(const std::string& name) const { return dir.File(name); }
  testkit::TempDir dir;
};

// A full disk and a file size limit, for each format: exit 1, the file and
// the reason named, the earlier set as it was, nothing left beside it.
TEST_F(ReportExports, FailedExportsKeepTheEarlierSet) {
  WriteFile(F("JOB.LOG"), JobLog(3000));
  const std::string small = F("small");
  std::filesystem::create_directory(small);
  const bool mounted = mount("tmpfs", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") == 0;
  struct Case {
    std::string folder, prefix, reason;
    bool blocked;  // a folder takes the swaths layer's name, found before any file moves
    bool metadata = false;  // ... or the metadata's
  };
  std::vector<Case> cases{{F("limited"), "ulimit -f 64; ", std::strerror(EFBIG), false},
                          {F("blocked"), "", "cannot replace the existing file", true},
                          {F("blocked"), "", "cannot replace the existing file", true, true}};
  if (mounted) cases.push_back({small, "", std::strerror(ENOSPC), false});
  std::filesystem::create_directory(F("limited"));
  std::filesystem::create_directory(F("blocked"));
  for (const Case& c : cases) {
    for (const char* extension : {"geojson", "shp", "fgb", "gpkg"}) {
      SCOPED_TRACE(c.folder + " " + extension);
      const std::string target = c.folder + "/out." + extension;
      WriteEarlierSet(target);
      const std::string blocker = c.metadata ? GisExportEveryFile(target).back()
                                             : GisExportFiles(target, true)[std::string(extension) == "gpkg" ? 0 : 1];
      if (c.blocked) {
        std::filesystem::remove(blocker);
        std::filesystem::create_directory(blocker);
      }
      const auto before = Snapshot(c.folder);
      const auto result = RunCli("report --export " + ShellQuote(target) + " " + ShellQuote(F("JOB.LOG")), c.prefix);
      EXPECT_EQ(result.status, 1);
      const size_t named = result.err.find(": cannot be written: ");
      ASSERT_NE(named, std::string::npos) << result.err;
      EXPECT_EQ(result.err.rfind("zeltlog-cli: " + (c.blocked ? blocker : c.folder + "/out"), 0), 0u) << result.err;
      // SQLite words the GeoPackage's failure itself.
      if (std::string(extension) != "gpkg" || c.blocked) {
        EXPECT_EQ(result.err.substr(named), ": cannot be written: " + c.reason + "\n");
      }
      EXPECT_EQ(Snapshot(c.folder), before);
      for (const auto& [name, bytes] : before) std::filesystem::remove_all(c.folder + "/" + name);
    }
  }
  if (mounted) umount2(small.c_str(), MNT_DETACH);
  if (!mounted) GTEST_SKIP() << "a small file system cannot be mounted here: the full disk is left out";
}

// SIGINT, SIGTERM and SIGHUP in mid-export: exit 128 + the signal, the
// earlier set as it was, the private folder gone. After SIGKILL the folder
// stays, and the next export there removes it, but not a folder of that
// name that another user owns. The private folder is the run's alone.
TEST_F(ReportExports, InterruptedExportsLeaveNothingBehind) {
  WriteFile(F("JOB.LOG"), JobLog(20000));
  const std::string out = F("out") + "/e.geojson";
  std::filesystem::create_directory(F("out"));
  WriteEarlierSet(out);
  const std::string planted = F("out/.zeltlog-set-AbCdEf");
  std::filesystem::create_directory(planted);
  ASSERT_EQ(chmod(planted.c_str(), 0700), 0);
  ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
  const auto before = Snapshot(F("out"));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    PipedRun run({"report", "--export", out, F("JOB.LOG")});
    ASSERT_TRUE(StopInMidExport(run.pid(), F("out")));
    for (const std::string& staging : StagingFoldersIn(F("out"))) {
      struct stat status {};
      ASSERT_EQ(stat(staging.c_str(), &status), 0);
      if (staging != planted) {
        EXPECT_EQ(status.st_mode & 07777, 0700u);
      }
    }
    run.Signal(signal);
    run.Signal(SIGCONT);
    const int status = run.Wait();
    if (signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status));
      EXPECT_EQ(StagingFoldersIn(F("out")).size(), 2u);
    } else {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
      EXPECT_EQ(Snapshot(F("out")), before);
    }
  }
  const auto result = RunCli("report --export " + ShellQuote(out) + " " + ShellQuote(F("JOB.LOG")));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(StagingFoldersIn(F("out")), std::vector<std::string>{planted});
  EXPECT_NE(ReadFile(F("out/e_swaths.geojson")), before.at("e_swaths.geojson"));
}

// Two exports of one name at once both finish, and what stays is one whole
// set: every layer from the same log. The output folder removed while a
// GeoPackage is written: a message and exit 1, never an abort.
TEST_F(ReportExports, ConcurrentExportsAndAFolderThatGoes) {
  WriteFile(F("A.LOG"), JobLog(3000));
  WriteFile(F("B.LOG"), JobLog(4000));
  GDALAllRegister();
  auto countsOf = [&](const std::string& target) {
    std::vector<long long> counts;
    const bool one = target.size() > 5 && target.compare(target.size() - 5, 5, ".gpkg") == 0;
    const std::string base = target.substr(0, target.find_last_of('.'));
    for (const char* layer : {"path", "swaths", "coverage", "marks"}) {
      const std::string path = one ? target : base + "_" + layer + target.substr(target.find_last_of('.'));
      GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
      OGRLayer* found = !dataset ? nullptr : one ? dataset->GetLayerByName(layer) : dataset->GetLayer(0);
      counts.push_back(found ? static_cast<long long>(found->GetFeatureCount()) : -1LL);
    }
    return counts;
  };
  for (const std::string extension : {".gpkg", ".geojson"}) {
    SCOPED_TRACE(extension);
    for (const char* log : {"A", "B"}) {
      ASSERT_EQ(RunCli("report --export " + ShellQuote(F(log + extension)) + " " + ShellQuote(F(log + std::string(".LOG"))))
                    .status,
                0);
    }
    const auto a = countsOf(F("A" + extension)), b = countsOf(F("B" + extension));
    ASSERT_NE(a, b);
    for (int round = 0; round < 3; ++round) {
      const std::string target = F("same" + extension);
      PipedRun first({"report", "--export", target, F("A.LOG")}), second({"report", "--export", target, F("B.LOG")});
      const int statusA = first.Wait(), statusB = second.Wait();
      EXPECT_TRUE(WIFEXITED(statusA) && WEXITSTATUS(statusA) == 0) << statusA;
      EXPECT_TRUE(WIFEXITED(statusB) && WEXITSTATUS(statusB) == 0) << statusB;
      const auto counts = countsOf(target);
      EXPECT_TRUE(counts == a || counts == b) << counts[0] << " " << counts[1] << " " << counts[2] << " " << counts[3];
      EXPECT_TRUE(StagingFoldersIn(dir.path()).empty());
    }
  }

  WriteFile(F("BIG.LOG"), JobLog(20000));
  std::filesystem::create_directory(F("going"));
  PipedRun run({"report", "--export", F("going/g.gpkg"), F("BIG.LOG")});
  ASSERT_TRUE(StopInMidExport(run.pid(), F("going")));
  std::filesystem::remove_all(F("going"));
  run.Signal(SIGCONT);
  const int status = run.Wait();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

// The layers of a built log, whose applied rate strays about its target:
// each swath has the logged target and an applied rate about it (both 0
// before the log's first rate record, the applied rate while the spray was
// off before a run), its ISO
// time agrees with its seconds and carries the log's zone, and the
// coverage carries the job's record with what the job-info file adds. The
// metadata names every layer's file and columns as GDAL reads them, with
// the unit of every number, and holds the record.
TEST_F(ReportExports, LayersCarryTheLoggedRatesTimesAndRecord) {
  WriteFile(F("JOB.LOG"), JobLog(3000));
  WriteFile(F("info.json"), R"({"product": "Glyphosate 450"})");
  ASSERT_EQ(RunCli("report --job-info " + ShellQuote(F("info.json")) + " --export " + ShellQuote(F("j.shp")) + " " +
                   ShellQuote(F("JOB.LOG")))
                .status,
            0);
  GDALAllRegister();
  GDALDatasetUniquePtr swaths(GDALDataset::Open(F("j_swaths.shp").c_str(), GDAL_OF_VECTOR));
  ASSERT_TRUE(swaths);
  long long strayed = 0, count = 0;
  for (const auto& swath : *swaths->GetLayer(0)) {
    ++count;
    const double target = swath->GetFieldAsDouble("target"), actual = swath->GetFieldAsDouble("actual");
    EXPECT_TRUE(target == 50.0 || target == 0.0) << target;
    EXPECT_TRUE(actual == 0.0 || std::fabs(actual - 50.0) <= 2.0) << actual;
    strayed += actual != 50.0 && actual != 0.0;
    OGRField time;
    ASSERT_TRUE(OGRParseDate(swath->GetFieldAsString("time_iso"), &time, 0)) << swath->GetFieldAsString("time_iso");
    EXPECT_EQ(time.Date.Day, 14);
    EXPECT_EQ(time.Date.TZFlag, 100 + 40);  // +10:00
    EXPECT_NEAR(time.Date.Hour * 3600 + time.Date.Minute * 60 + time.Date.Second, swath->GetFieldAsDouble("time"), 0.005);
    EXPECT_STREQ(swath->GetFieldAsString("product"), "Glyphosate 450");
  }
  EXPECT_GT(strayed, count * 9 / 10);
  GDALDatasetUniquePtr coverage(GDALDataset::Open(F("j_coverage.shp").c_str(), GDAL_OF_VECTOR));
  ASSERT_TRUE(coverage);
  std::unique_ptr<OGRFeature> covered(coverage->GetLayer(0)->GetNextFeature());
  ASSERT_TRUE(covered);
  EXPECT_STREQ(covered->GetFieldAsString("field"), "Paddock 7 North");
  EXPECT_STREQ(covered->GetFieldAsString("start"), "2019-05-14T07:42:05+10:00");
  EXPECT_STREQ(covered->GetFieldAsString("product"), "Glyphosate 450");

  const nlohmann::json metadata = nlohmann::json::parse(ReadFile(F("j-metadata.json")));
  EXPECT_EQ(metadata["time_zone"], "+10:00");
  EXPECT_EQ(metadata["job"]["field"], "Paddock 7 North");
  EXPECT_EQ(metadata["layers"].size(), 6u);
  for (const nlohmann::json& layer : metadata["layers"]) {
    GDALDatasetUniquePtr file(GDALDataset::Open(F(layer["file"]).c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(file) << layer["file"];
    OGRFeatureDefn* read = file->GetLayer(0)->GetLayerDefn();
    ASSERT_EQ(static_cast<size_t>(read->GetFieldCount()), layer["fields"].size());
    for (int i = 0; i < read->GetFieldCount(); ++i) {
      const nlohmann::json& field = layer["fields"][i];
      EXPECT_EQ(field["name"], read->GetFieldDefn(i)->GetNameRef());
      EXPECT_EQ(field["type"], OGRFieldDefn::GetFieldTypeName(read->GetFieldDefn(i)->GetType()));
      if (field["type"] != "String") {
        EXPECT_FALSE(field.value("unit", "").empty()) << field["name"];
      }
    }
  }
}

// A local listener that counts the connections made to it.
class Listener {
 public:
  Listener() {
    socket_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(socket_, 16) != 0 ||
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd watched{socket_, POLLIN, 0};
        if (poll(&watched, 1, 50) > 0) {
          const int client = accept(socket_, nullptr, nullptr);
          if (client >= 0) ++connections_, close(client);
        }
      }
    });
  }
  ~Listener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(socket_);
  }
  int port() const { return port_; }
  int connections() const { return connections_; }

 private:
  int socket_ = -1, port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A field file never reaches the network: a remote path, and a VRT whose
// source is a remote file or a URL. Each is refused, exit 1, and nothing
// connects to the listener they name.
TEST_F(ReportExports, FieldFilesNeverReachTheNetwork) {
  Listener listener;
  ASSERT_NE(listener.port(), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(listener.port()) + "/field.geojson";
  WriteFile(F("J.LOG"), JobLog(300));
  auto vrt = [](const std::string& source) {
    return "<OGRVRTDataSource><OGRVRTLayer name=\"field\"><SrcDataSource>" + source +
           "</SrcDataSource></OGRVRTLayer></OGRVRTDataSource>";
  };
  WriteFile(F("curl.vrt"), vrt("/vsicurl/" + url));
  WriteFile(F("url.vrt"), vrt(url));
  WriteFile(F("streaming.vrt"), vrt("/vsicurl_streaming/" + url));
  for (const std::string& field : {F("curl.vrt"), F("url.vrt"), F("streaming.vrt"), "/vsicurl/" + url, url}) {
    SCOPED_TRACE(field);
    const auto result = RunCli("report --field " + ShellQuote(field) + " " + ShellQuote(F("J.LOG")), "timeout 60 ");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("zeltlog-cli: " + field + ": ", 0), 0u) << result.err;
  }
  EXPECT_EQ(listener.connections(), 0);
}

}  // namespace
}  // namespace zeltlog
