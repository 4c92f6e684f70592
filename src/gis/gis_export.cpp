#include "gis/gis_export.h"

#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cpl_vsi.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "core/iso_time.h"
#include "coverage/ellipsoid_area.h"
#include "gis/gdal_setup.h"

namespace zeltlog {
namespace {

struct Format {
  const char* extension;
  const char* driver;
  bool oneLayerPerFile;
};
constexpr Format kFormats[] = {
    {"gpkg", "GPKG", false},
    {"geojson", "GeoJSON", true},
    {"shp", "ESRI Shapefile", true},
    {"fgb", "FlatGeobuf", true},
};

const Format* FormatOf(const std::string& path, std::string& base) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const Format& format : kFormats) {
    if (extension == format.extension) {
      base = path.substr(0, dot);
      return &format;
    }
  }
  return nullptr;
}

// Mark names are 8-bit Windows-1252 text; GIS files hold UTF-8. Control
// bytes other than TAB are left out.
std::string Utf8FromWindows1252(const std::string& text) {
  static const char16_t kHigh[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                     0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                     0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  std::string out;
  for (unsigned char c : text) {
    unsigned code = c;
    if (c >= 0x80 && c < 0xA0) code = kHigh[c - 0x80];
    if (code == 0 || (code < 0x20 && code != '\t') || code == 0x7F) continue;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// Points of a damaged log that lie nowhere on the globe are left out.
bool OnTheGlobe(LonLat p) {
  return std::isfinite(p.longitude) && std::isfinite(p.latitude) && std::fabs(p.latitude) <= 90.0 &&
         std::fabs(p.longitude) <= 360.0;
}

OGRLinearRing* RingOf(const LonLatRing& ring) {
  auto* out = new OGRLinearRing;
  out->setNumPoints(static_cast<int>(ring.size()), FALSE);
  for (size_t i = 0; i < ring.size(); ++i) out->setPoint(static_cast<int>(i), ring[i].longitude, ring[i].latitude);
  out->closeRings();
  return out;
}

std::unique_ptr<OGRMultiPolygon> MultiPolygonOf(const LonLatMultiPolygon& polygons) {
  auto out = std::make_unique<OGRMultiPolygon>();
  for (const LonLatPolygon& p : polygons) {
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(RingOf(p.outer));
    for (const LonLatRing& hole : p.holes) polygon->addRingDirectly(RingOf(hole));
    out->addGeometryDirectly(polygon.release());
  }
  return out;
}

// GIS files hold longitudes from -180 to 180, and GeoJSON's rules ask that
// a geometry crossing the 180° meridian be cut there. The log's geometry
// lies in a frame that does not cut a job there (it may reach beyond 180):
// a geometry that leaves -180 to 180 is cut along the meridians and each
// part moved by whole turns into that range. Every other geometry is
// written as it is.
void Move(OGRGeometry& g, double east) {
  const OGRwkbGeometryType type = wkbFlatten(g.getGeometryType());
  if (type == wkbPoint) {
    g.toPoint()->setX(g.toPoint()->getX() + east);
  } else if (type == wkbLineString || type == wkbLinearRing) {
    OGRSimpleCurve* line = g.toSimpleCurve();
    for (int i = 0; i < line->getNumPoints(); ++i) line->setPoint(i, line->getX(i) + east, line->getY(i));
  } else if (type == wkbPolygon) {
    for (OGRLinearRing* ring : *g.toPolygon()) Move(*ring, east);
  } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
    for (OGRGeometry* part : *g.toGeometryCollection()) Move(*part, east);
  }
}

// The parts of `g` of the kind `polygons` asks (areas, else lines), each
// within -180 to 180, in `out`.
void CollectParts(const OGRGeometry* g, bool polygons, std::vector<std::unique_ptr<OGRGeometry>>& out) {
  if (!g || g->IsEmpty()) return;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
    for (const OGRGeometry* part : *g->toGeometryCollection()) CollectParts(part, polygons, out);
  } else if (polygons ? type == wkbPolygon : type == wkbLineString) {
    out.emplace_back(g->clone());
  }
}

std::vector<std::unique_ptr<OGRGeometry>> WithinOneTurn(std::unique_ptr<OGRGeometry> g, bool polygons) {
  std::vector<std::unique_ptr<OGRGeometry>> parts;
  OGREnvelope box;
  g->getEnvelope(&box);
  if (box.MinX >= -180.0 && box.MaxX <= 180.0) {
    parts.push_back(std::move(g));
    return parts;
  }
  const long firstTurn = static_cast<long>(std::floor((box.MinX + 180.0) / 360.0));
  const long lastTurn = static_cast<long>(std::ceil((box.MaxX + 180.0) / 360.0)) - 1;
  for (long turn = firstTurn; turn <= lastTurn && turn - firstTurn < 3; ++turn) {
    const double west = -180.0 + 360.0 * static_cast<double>(turn);
    OGRPolygon band;
    auto* ring = new OGRLinearRing;
    ring->addPoint(west, -90.0);
    ring->addPoint(west + 360.0, -90.0);
    ring->addPoint(west + 360.0, 90.0);
    ring->addPoint(west, 90.0);
    ring->addPoint(west, -90.0);
    band.addRingDirectly(ring);
    std::unique_ptr<OGRGeometry> within(g->Intersection(&band));
    std::vector<std::unique_ptr<OGRGeometry>> found;
    CollectParts(within.get(), polygons, found);
    for (std::unique_ptr<OGRGeometry>& part : found) {
      Move(*part, -360.0 * static_cast<double>(turn));
      parts.push_back(std::move(part));
    }
  }
  return parts;
}

LonLatRing LonLatOf(const OGRLinearRing& ring) {
  LonLatRing out(static_cast<size_t>(ring.getNumPoints()));
  for (int i = 0; i < ring.getNumPoints(); ++i) out[static_cast<size_t>(i)] = {ring.getX(i), ring.getY(i)};
  return out;
}

LonLatPolygon LonLatOf(const OGRPolygon& polygon) {
  LonLatPolygon out;
  if (const OGRLinearRing* outer = polygon.getExteriorRing()) out.outer = LonLatOf(*outer);
  for (int i = 0; i < polygon.getNumInteriorRings(); ++i) out.holes.push_back(LonLatOf(*polygon.getInteriorRing(i)));
  return out;
}

// A fix's date and time as ISO 8601 text; empty when the time is no time
// of day.
std::string IsoTimeOf(PackedDate date, double time, std::optional<int> zoneHours) {
  return IsoDateTimeText(YearOf(date), MonthOf(date), DayOf(date), time, zoneHours);
}

// The longest ISO 8601 time: "2019-05-14T07:42:05.20+10:00".
constexpr int kIsoTimeWidth = 28;

void SetText(OGRFeature& feature, int field, const std::string& text) {
  if (text.empty()) {
    feature.SetFieldNull(field);
  } else {
    feature.SetField(field, text.c_str());
  }
}

// A number that is none (a damaged log's) is left null.
void SetNumber(OGRFeature& feature, int field, double value) {
  if (std::isfinite(value)) {
    feature.SetField(field, value);
  } else {
    feature.SetFieldNull(field);
  }
}

// Writes one layer's features; false with GDAL's message on failure.
class LayerWriter {
 public:
  LayerWriter(const CoverageData& data, const CoverageReport& report, const GisJobAttributes& job,
              OGRSpatialReference& wgs84)
      : data_(data), report_(report), job_(job), wgs84_(wgs84) {}

  bool Write(GDALDataset& dataset, const std::string& name, std::string& error) {
    OGRwkbGeometryType type = wkbMultiPolygon;
    if (name == "path") type = wkbLineString;
    if (name == "swaths") type = wkbPolygon;
    if (name == "marks") type = wkbPoint;
    // Shapefiles hold the mark names as UTF-8 too, with a .cpg that says so.
    const char* utf8[] = {"ENCODING=UTF-8", nullptr};
    // A FlatGeobuf's features wait in a file of their own, in the
    // dataset's folder rather than the working directory.
    const std::string temporaryDir = std::string("TEMPORARY_DIR=") + CPLGetPath(dataset.GetDescription());
    const char* flatGeobuf[] = {temporaryDir.c_str(), nullptr};
    const bool shapefile = EQUAL(dataset.GetDriverName(), "ESRI Shapefile");
    const bool fgb = EQUAL(dataset.GetDriverName(), "FlatGeobuf");
    OGRLayer* layer = dataset.CreateLayer(name.c_str(), &wgs84_, type,
                                          shapefile ? const_cast<char**>(utf8)
                                          : fgb     ? const_cast<char**>(flatGeobuf)
                                                    : nullptr);
    if (!layer) return Fail(error, "cannot create layer " + name);
    if (name == "path") return Path(*layer, error);
    if (name == "swaths") return Swaths(*layer, error);
    if (name == "marks") return Marks(*layer, error);
    const LonLatMultiPolygon& polygons =
        name == "coverage" ? report_.coverage : name == "skipped" ? report_.skipped : report_.field;
    if (!Fields(*layer, GisLayerColumns(name), error)) return false;
    if (name == "coverage" && !RecordFields(*layer, error)) return false;
    // One feature per polygon: the coverage is built in tiles, and its
    // polygons meet along the tiles' edges, which a single multipolygon may
    // not do.
    for (const LonLatPolygon& polygon : polygons) {
      std::vector<std::unique_ptr<OGRGeometry>> parts = WithinOneTurn(MultiPolygonOf({polygon}), true);
      const bool cut = parts.size() != 1 || wkbFlatten(parts[0]->getGeometryType()) != wkbMultiPolygon;
      for (std::unique_ptr<OGRGeometry>& part : parts) {
        OGRFeature feature(layer->GetLayerDefn());
        if (name == "coverage") SetRecord(feature);
        if (cut) {
          const LonLatPolygon piece = LonLatOf(*part->toPolygon());
          feature.SetField(0, PolygonArea(piece) / 10000.0);
          auto multi = std::make_unique<OGRMultiPolygon>();
          multi->addGeometryDirectly(part.release());
          feature.SetGeometryDirectly(multi.release());
        } else {
          feature.SetField(0, PolygonArea(polygon) / 10000.0);
          feature.SetGeometryDirectly(part.release());
        }
        if (!Create(*layer, feature, error)) return false;
      }
    }
    return true;
  }

 private:
  static bool Fail(std::string& error, const std::string& fallback) {
    error = LastGdalError(fallback);
    return false;
  }

  static bool Field(OGRLayer& layer, const char* name, OGRFieldType type, int width, std::string& error) {
    OGRFieldDefn field(name, type);
    field.SetWidth(width);
    if (layer.CreateField(&field) != OGRERR_NONE) return Fail(error, std::string("cannot create field ") + name);
    return true;
  }

  // A text column is as wide as its values: a Shapefile gives every row
  // the full width.
  bool Fields(OGRLayer& layer, const std::vector<GisColumn>& columns, std::string& error) const {
    for (const GisColumn& column : columns) {
      OGRFieldType type = OFTString;
      int width = 0;
      if (column.type == GisType::Real) type = OFTReal;
      if (column.type == GisType::Integer) type = OFTInteger;
      if (column.type == GisType::Time) width = kIsoTimeWidth;
      if (std::strcmp(column.name, "product") == 0) width = TextWidth(job_.product);
      if (!Field(layer, column.name, type, width, error)) return false;
    }
    return true;
  }

  static int TextWidth(const std::string& text) { return static_cast<int>(std::clamp<size_t>(text.size(), 1, 254)); }

  bool RecordFields(OGRLayer& layer, std::string& error) const {
    for (const auto& [name, value] : job_.record) {
      if (!Field(layer, name.c_str(), OFTString, TextWidth(value), error)) return false;
    }
    return true;
  }

  void SetRecord(OGRFeature& feature) const {
    for (size_t i = 0; i < job_.record.size(); ++i) SetText(feature, static_cast<int>(i) + 1, job_.record[i].second);
  }

  static bool Create(OGRLayer& layer, OGRFeature& feature, std::string& error) {
    if (layer.CreateFeature(&feature) != OGRERR_NONE) return Fail(error, "cannot write a feature");
    return true;
  }

  bool Path(OGRLayer& layer, std::string& error) {
    if (!Fields(layer, GisLayerColumns("path"), error)) return false;
    const std::vector<size_t>& starts = data_.pathPieceStarts;
    for (size_t piece = 0; piece < starts.size(); ++piece) {
      const size_t end = piece + 1 < starts.size() ? starts[piece + 1] : data_.path.size();
      auto line = std::make_unique<OGRLineString>();
      for (size_t i = starts[piece]; i < end; ++i) {
        if (OnTheGlobe(data_.path[i].at)) line->addPoint(data_.path[i].at.longitude, data_.path[i].at.latitude);
      }
      if (line->getNumPoints() < 2) continue;  // a single point draws no line
      for (std::unique_ptr<OGRGeometry>& part : WithinOneTurn(std::move(line), false)) {
        OGRFeature feature(layer.GetLayerDefn());
        feature.SetField(0, data_.path[starts[piece]].time);
        feature.SetField(1, data_.path[end - 1].time);
        const PieceDates dates = piece < data_.pathPieceDates.size() ? data_.pathPieceDates[piece] : PieceDates{};
        SetText(feature, 2, IsoTimeOf(dates.first, data_.path[starts[piece]].time, job_.zoneHours));
        SetText(feature, 3, IsoTimeOf(dates.last, data_.path[end - 1].time, job_.zoneHours));
        feature.SetGeometryDirectly(part.release());
        if (!Create(layer, feature, error)) return false;
      }
    }
    return true;
  }

  bool Swaths(OGRLayer& layer, std::string& error) {
    if (!Fields(layer, GisLayerColumns("swaths"), error)) return false;
    OGRFeature feature(layer.GetLayerDefn());
    SetText(feature, 11, job_.product);
    for (const CollectedQuad& q : data_.quads) {
      if (!OnTheGlobe(q.prevRight) || !OnTheGlobe(q.right) || !OnTheGlobe(q.left) || !OnTheGlobe(q.prevLeft)) continue;
      auto ring = new OGRLinearRing;
      ring->setNumPoints(5, FALSE);
      const LonLat corners[5] = {q.prevRight, q.right, q.left, q.prevLeft, q.prevRight};
      for (int i = 0; i < 5; ++i) ring->setPoint(i, corners[i].longitude, corners[i].latitude);
      auto polygon = std::make_unique<OGRPolygon>();
      polygon->addRingDirectly(ring);
      for (std::unique_ptr<OGRGeometry>& part : WithinOneTurn(std::move(polygon), true)) {
        feature.SetFID(OGRNullFID);
        feature.SetField(0, q.time);
        feature.SetField(1, q.run);
        feature.SetField(2, static_cast<double>(q.targetRate));
        feature.SetField(3, static_cast<double>(q.actualRate));
        feature.SetField(4, static_cast<double>(q.speed));
        feature.SetField(5, static_cast<double>(q.leftOffset));
        feature.SetField(6, static_cast<double>(q.rightOffset));
        SetText(feature, 7, IsoTimeOf(q.date, q.time, job_.zoneHours));
        SetNumber(feature, 8, static_cast<double>(q.leftOffset) - static_cast<double>(q.rightOffset));
        SetNumber(feature, 9, std::fmod(std::fmod(static_cast<double>(q.heading), 360.0) + 360.0, 360.0));
        SetNumber(feature, 10, static_cast<double>(q.elevation));
        feature.SetGeometryDirectly(part.release());
        if (!Create(layer, feature, error)) return false;
      }
    }
    return true;
  }

  bool Marks(OGRLayer& layer, std::string& error) {
    if (!Fields(layer, GisLayerColumns("marks"), error)) return false;
    for (const CollectedMark& mark : data_.marks) {
      if (!OnTheGlobe(mark.at)) continue;
      OGRFeature feature(layer.GetLayerDefn());
      feature.SetField(0, mark.type);
      feature.SetField(1, Utf8FromWindows1252(mark.name).c_str());
      feature.SetField(2, mark.altitude);
      const double longitude = std::fabs(mark.at.longitude) <= 180.0 ? mark.at.longitude : LongitudeNear(mark.at.longitude, 0.0);
      feature.SetGeometryDirectly(new OGRPoint(longitude, mark.at.latitude));
      if (!Create(layer, feature, error)) return false;
    }
    return true;
  }

  const CoverageData& data_;
  const CoverageReport& report_;
  const GisJobAttributes& job_;
  OGRSpatialReference& wgs84_;
};

// The files of a GeoJSON, Shapefile or FlatGeobuf export go through a file
// system of our own, a thin layer over the C library's files that keeps
// the first write, flush or close that failed: those drivers do not report
// such failures themselves (a full disk would leave a cut-off file without
// a word). SQLite reports them for a GeoPackage.
constexpr char kCheckedPrefix[] = "/vsizeltlogchecked/";

struct CheckedFiles {
  std::mutex mutex;
  int error = 0;
  void Failed(int errorNumber) {
    std::lock_guard<std::mutex> lock(mutex);
    if (error == 0) error = errorNumber ? errorNumber : EIO;
  }
  int Take() {
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(error, 0);
  }
};
CheckedFiles& Checked() {
  static CheckedFiles files;
  return files;
}

// A file open for update must not go from writing to reading, or back,
// without a seek in between (C11 7.21.5.3): glibc lets it pass, Windows'
// C library fails the write. The drivers do not know of that rule, so the
// last operation is kept and a seek to where the file stands put between.
struct CheckedFile {
  FILE* file;
  enum class Last { kSeek, kRead, kWrite } last = Last::kSeek;
};
CheckedFile& CheckedOf(void* handle) { return *static_cast<CheckedFile*>(handle); }
FILE* FileOf(void* handle) { return CheckedOf(handle).file; }
FILE* FileFor(void* handle, CheckedFile::Last next) {
  CheckedFile& checked = CheckedOf(handle);
  if (checked.last != next && checked.last != CheckedFile::Last::kSeek) std::fseek(checked.file, 0, SEEK_CUR);
  checked.last = next;
  return checked.file;
}

void* CheckedOpen(void*, const char* path, const char* access) {
  std::string mode = access;
  mode.erase(std::remove(mode.begin(), mode.end(), 't'), mode.end());
  if (mode.find('b') == std::string::npos) mode += 'b';
#ifdef _WIN32
  // Not inherited by programs this one starts ("N"); the name is UTF-8,
  // the programs' code page.
  FILE* file = std::fopen(path, (mode + "N").c_str());
#else
  FILE* file = std::fopen(path, (mode + "e").c_str());
#endif
  if (!file) {
    if (mode[0] != 'r') Checked().Failed(errno);
    return nullptr;
  }
  return new CheckedFile{file};
}
#ifdef _WIN32
vsi_l_offset CheckedTell(void* handle) { return static_cast<vsi_l_offset>(_ftelli64(FileOf(handle))); }
int CheckedSeek(void* handle, vsi_l_offset offset, int whence) {
  if (whence == SEEK_END && offset != 0) return -1;
  CheckedOf(handle).last = CheckedFile::Last::kSeek;
  return _fseeki64(FileOf(handle), static_cast<long long>(offset), whence);
}
#else
vsi_l_offset CheckedTell(void* handle) { return static_cast<vsi_l_offset>(ftello(FileOf(handle))); }
int CheckedSeek(void* handle, vsi_l_offset offset, int whence) {
  if (whence == SEEK_END && offset != 0) return -1;
  CheckedOf(handle).last = CheckedFile::Last::kSeek;
  return fseeko(FileOf(handle), static_cast<off_t>(offset), whence);
}
#endif
size_t CheckedRead(void* handle, void* buffer, size_t size, size_t count) {
  return std::fread(buffer, size, count, FileFor(handle, CheckedFile::Last::kRead));
}
int CheckedEof(void* handle) { return std::feof(FileOf(handle)); }
size_t CheckedWrite(void* handle, const void* buffer, size_t size, size_t count) {
  const size_t written = std::fwrite(buffer, size, count, FileFor(handle, CheckedFile::Last::kWrite));
  if (written != count) Checked().Failed(errno);
  return written;
}
int CheckedFlush(void* handle) {
  // A flush ends writing: reading may follow it.
  if (CheckedOf(handle).last == CheckedFile::Last::kWrite) CheckedOf(handle).last = CheckedFile::Last::kSeek;
  if (std::fflush(FileOf(handle)) == 0) return 0;
  Checked().Failed(errno);
  return -1;
}
int CheckedTruncate(void* handle, vsi_l_offset size) {
  FILE* file = FileOf(handle);
#ifdef _WIN32
  if (std::fflush(file) == 0 && _chsize_s(_fileno(file), static_cast<long long>(size)) == 0) return 0;
#else
  if (std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(size)) == 0) return 0;
#endif
  Checked().Failed(errno);
  return -1;
}
int CheckedClose(void* handle) {
  auto* file = static_cast<CheckedFile*>(handle);
  const bool failedBefore = std::ferror(file->file) != 0;
  const int closed = std::fclose(file->file);
  delete file;
  if (closed == 0 && !failedBefore) return 0;
  Checked().Failed(closed == 0 ? EIO : errno);
  return -1;
}
int CheckedStat(void*, const char* path, VSIStatBufL* status, int flags) { return VSIStatExL(path, status, flags); }
int CheckedUnlink(void*, const char* path) { return VSIUnlink(path); }
int CheckedRename(void*, const char* from, const char* to) { return VSIRename(from, to); }
int CheckedMkdir(void*, const char* path, long mode) { return VSIMkdir(path, mode); }
int CheckedRmdir(void*, const char* path) { return VSIRmdir(path); }
char** CheckedReadDir(void*, const char* path, int maxFiles) { return VSIReadDirEx(path, maxFiles); }

void InstallCheckedFiles() {
  static std::once_flag once;
  std::call_once(once, [] {
    static VSIFilesystemPluginCallbacksStruct* const callbacks = VSIAllocFilesystemPluginCallbacksStruct();
    callbacks->open = CheckedOpen;
    callbacks->tell = CheckedTell;
    callbacks->seek = CheckedSeek;
    callbacks->read = CheckedRead;
    callbacks->eof = CheckedEof;
    callbacks->write = CheckedWrite;
    callbacks->flush = CheckedFlush;
    callbacks->truncate = CheckedTruncate;
    callbacks->close = CheckedClose;
    callbacks->stat = CheckedStat;
    callbacks->unlink = CheckedUnlink;
    callbacks->rename = CheckedRename;
    callbacks->mkdir = CheckedMkdir;
    callbacks->rmdir = CheckedRmdir;
    callbacks->read_dir = CheckedReadDir;
    VSIInstallPluginHandler(kCheckedPrefix, callbacks);
  });
}

// Writes the named layers into a new dataset at `path`. The caller gives
// a path in a folder of its own (see core/staging_folder.h): a file of
// that name is replaced in place, and one that failed is left as it is.
bool WriteDataset(GDALDriver& driver, const std::string& path, const std::vector<const char*>& layers,
                  LayerWriter& writer, std::string& error) {
  const bool checked = !EQUAL(driver.GetDescription(), "GPKG");
  const std::string name = checked ? kCheckedPrefix + path : path;
  Checked().Take();
  CPLErrorReset();
  GDALDatasetUniquePtr dataset(driver.Create(name.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  auto fail = [&](const std::string& reason) {
    const int failed = Checked().Take();
    error = failed ? std::strerror(failed) : LastGdalError(reason);
    return false;
  };
  if (!dataset) return fail("cannot create the file");
  const bool transaction = dataset->StartTransaction(FALSE) == OGRERR_NONE;
  for (const char* layer : layers) {
    if (!writer.Write(*dataset, layer, error)) {
      dataset.reset();
      return fail(error);
    }
  }
  if (transaction && dataset->CommitTransaction() != OGRERR_NONE) {
    dataset.reset();
    return fail("cannot complete the file");
  }
  CPLErrorReset();
  dataset.reset();  // closing writes what is still buffered
  if (CPLGetLastErrorType() >= CE_Failure || Checked().error != 0) return fail("cannot complete the file");
  return true;
}

}  // namespace

GisExportResult ExportCoverageLayers(const std::string& path, const CoverageData& data, const CoverageReport& report,
                                     const GisJobAttributes& job) {
  GisExportResult result;
  std::string base;
  const Format* format = FormatOf(path, base);
  if (!format) {
    result.failedPath = path;
    result.error = "unknown GIS format: the file name must end in .gpkg, .geojson, .shp or .fgb";
    return result;
  }
  RegisterGdalDrivers();
  InstallCheckedFiles();
  QuietGdalErrors quiet;
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(format->driver);
  if (!driver) {
    result.failedPath = path;
    result.error = std::string("GDAL has no ") + format->driver + " driver";
    return result;
  }
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  LayerWriter writer(data, report, job, wgs84);
  const bool withField = report.fieldAreaHa.has_value();
  const std::vector<const char*> layers = GisExportLayerNames(withField);
  const std::vector<std::string> files = GisExportFiles(path, withField);
  for (size_t i = 0; i < files.size(); ++i) {
    const std::vector<const char*> inFile =
        format->oneLayerPerFile ? std::vector<const char*>{layers[i]} : layers;
    if (!WriteDataset(*driver, files[i], inFile, writer, result.error)) {
      result.failedPath = files[i];
      return result;
    }
    result.written.push_back(files[i]);
  }
  return result;
}

}  // namespace zeltlog
