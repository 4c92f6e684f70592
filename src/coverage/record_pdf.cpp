#include "coverage/record_pdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string_view>
#include <tuple>

#include "coverage/ellipsoid_area.h"
#include "coverage/line_thinning.h"

#ifdef _WIN32
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

#include "core/os.h"
#endif

namespace zeltlog {
namespace {

#ifdef _WIN32
// Windows has no fontconfig: the program reads the DejaVu Sans files that
// travel beside it through FreeType, once, and keeps them for its life.
struct ShippedFonts {
  cairo_font_face_t* regular = nullptr;
  cairo_font_face_t* bold = nullptr;
  std::string problem;
};

cairo_font_face_t* LoadShippedFont(FT_Library library, const std::string& folder, const char* name,
                                   std::string* problem) {
  // The file's bytes in memory, where FreeType reads them whatever the
  // characters of the folder's name.
  const std::string path = folder + "\\" + name;
  unsigned long long size = 0;
  std::string reason;
  std::FILE* file = os::OpenRegularFile(path, &size, &reason);
  if (!file) {
    *problem = "the font " + path + " cannot be opened: " + reason;
    return nullptr;
  }
  auto* bytes = new std::string(static_cast<size_t>(std::min<unsigned long long>(size, 64ull << 20)), '\0');
  const bool read = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
  std::fclose(file);
  FT_Face face = nullptr;
  if (!read || FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes->data()),
                                  static_cast<FT_Long>(bytes->size()), 0, &face) != 0) {
    delete bytes;
    *problem = "the font " + path + " cannot be read";
    return nullptr;
  }
  return cairo_ft_font_face_create_for_ft_face(face, 0);
}

const ShippedFonts& Shipped() {
  static const ShippedFonts fonts = [] {
    // cairo linked statically on Windows readies its locks (critical
    // sections, which must be initialised) on the first pattern made, not
    // on every first use: a pattern is made before any other call, once.
    cairo_pattern_destroy(cairo_pattern_create_rgb(0.0, 0.0, 0.0));
    ShippedFonts loaded;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
      loaded.problem = "FreeType could not start";
      return loaded;
    }
    const std::string folder = os::ExecutableFolder();
    loaded.regular = LoadShippedFont(library, folder, "DejaVuSans.ttf", &loaded.problem);
    if (loaded.regular) loaded.bold = LoadShippedFont(library, folder, "DejaVuSans-Bold.ttf", &loaded.problem);
    return loaded;
  }();
  return fonts;
}

// A reference to the regular or bold face, for the writer to destroy.
cairo_font_face_t* FontFace(bool bold) {
  return cairo_font_face_reference(bold ? Shipped().bold : Shipped().regular);
}

// Why the fonts cannot be had, or empty.
const std::string& FontProblem() { return Shipped().problem; }
#else
// DejaVu Sans as fontconfig finds it.
cairo_font_face_t* FontFace(bool bold) {
  return cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                    bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

const std::string& FontProblem() {
  static const std::string none;
  return none;
}
#endif

// Page geometry in points (1/72 in).
constexpr double kMargin = 40.0;
constexpr double kFooter = 16.0;     // below the content, above the bottom margin
constexpr double kColumnGap = 16.0;  // between two columns of a section
constexpr double kLine = 10.5;       // one line of body text
constexpr double kMapThinning = 0.25;  // a quarter of a point on the paper

struct Paper {
  double width, height;
};

Paper PaperOf(PaperSize paper) { return paper == PaperSize::Letter ? Paper{612.0, 792.0} : Paper{595.0, 842.0}; }

struct Font {
  double size;
  bool bold = false;
};
constexpr Font kTitle{16.0, true};
constexpr Font kHeading{10.5, true};
constexpr Font kBody{8.5};
constexpr Font kBodyBold{8.5, true};
constexpr Font kLabel{7.0};
constexpr Font kHeaderValue{10.5};
constexpr Font kSmall{7.0};

struct Colour {
  double r, g, b;
};
constexpr Colour kInk{0.13, 0.13, 0.13};
constexpr Colour kGrey{0.38, 0.38, 0.38};
constexpr Colour kRule{0.6, 0.6, 0.6};
constexpr Colour kProblem{0.69, 0.0, 0.0};

// "#rrggbb" as the map page writes its colours.
Colour ColourOf(std::string_view hex) {
  auto channel = [&](size_t at) { return std::stoi(std::string(hex.substr(at, 2)), nullptr, 16) / 255.0; };
  return {channel(1), channel(3), channel(5)};
}

// The map page's colours of the ground that is not sprayed by a rate bin.
constexpr std::string_view kOverlapFill = "#8e44ad", kOverlapEdge = "#5b2c8f";
constexpr std::string_view kSkippedFill = "#ffee00", kSkippedEdge = "#8a7d00";
constexpr std::string_view kFieldEdge = "#006400";

// Text as cairo takes it: valid UTF-8 (a stray byte becomes U+FFFD) with
// control characters as spaces. Cairo stops drawing at text that is not.
std::string Clean(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    size_t length = byte < 0x80 ? 1 : byte >= 0xC2 && byte <= 0xDF ? 2 : byte >= 0xE0 && byte <= 0xEF ? 3
                                      : byte >= 0xF0 && byte <= 0xF4 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (valid && length == 3) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      valid = !(byte == 0xE0 && second < 0xA0) && !(byte == 0xED && second >= 0xA0);  // no overlong, no surrogate
    }
    if (valid && length == 4) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      valid = !(byte == 0xF0 && second < 0x90) && !(byte == 0xF4 && second >= 0x90);
    }
    if (!valid) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else if (length == 1 && (byte < 0x20 || byte == 0x7F)) {
      out += ' ';
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string Decimals(double value, int decimals, const char* unit) { return FixedText(value, decimals) + unit; }

// The pages as a flow of blocks from top to bottom. The same layout runs
// twice: once to count the pages, for every footer says "Page n of N",
// and once to draw them.
class PageWriter {
 public:
  PageWriter(cairo_t* cr, Paper paper, bool drawing) : cr_(cr), paper_(paper), drawing_(drawing) {
    regular_ = FontFace(false);
    bold_ = FontFace(true);
    y_ = kMargin;
  }
  ~PageWriter() {
    cairo_font_face_destroy(regular_);
    cairo_font_face_destroy(bold_);
  }
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  cairo_t* cr() const { return cr_; }
  bool drawing() const { return drawing_; }
  double left() const { return kMargin; }
  double width() const { return paper_.width - 2 * kMargin; }
  double bottom() const { return paper_.height - kMargin - kFooter; }
  double y() const { return y_; }
  void Advance(double height) { y_ += height; }
  int page() const { return page_; }

  void SetFooter(std::string left, int pages) {
    footer_ = std::move(left);
    pages_ = pages;
  }

  // A new page when fewer than `height` points are left on this one.
  void Need(double height) {
    if (y_ + height > bottom() && y_ > kMargin) NextPage();
  }
  void NextPage() {
    FinishPage();
    ++page_;
    y_ = kMargin;
  }
  void FinishPage() {
    if (!drawing_) return;
    const double baseline = paper_.height - kMargin;
    Rule(left(), baseline - 9.0, left() + width(), 0.4);
    const std::string number = "Page " + std::to_string(page_) + " of " + std::to_string(pages_);
    const double room = width() - Width(number, kSmall) - 12.0;
    Show(left(), baseline, Fitted(footer_, kSmall, room), kSmall, kGrey);
    Show(left() + width() - Width(number, kSmall), baseline, number, kSmall, kGrey);
    cairo_show_page(cr_);
  }

  void Use(Font font) {
    cairo_set_font_face(cr_, font.bold ? bold_ : regular_);
    cairo_set_font_size(cr_, font.size);
  }
  double Width(const std::string& text, Font font) {
    Use(font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    return extents.x_advance;
  }
  void Show(double x, double baseline, const std::string& text, Font font, Colour colour = kInk) {
    if (!drawing_ || text.empty()) return;
    Use(font);
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_move_to(cr_, x, baseline);
    cairo_show_text(cr_, text.c_str());
  }
  void ShowRight(double right, double baseline, const std::string& text, Font font, Colour colour = kInk) {
    Show(right - Width(text, font), baseline, text, font, colour);
  }
  void Rule(double x0, double y, double x1, double weight, Colour colour = kRule) {
    if (!drawing_) return;
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr_, weight);
    cairo_move_to(cr_, x0, y);
    cairo_line_to(cr_, x1, y);
    cairo_stroke(cr_);
  }

  // `text` in lines no wider than `width`: broken between words, and
  // within a word only where the word alone is wider. Each word and each
  // character of an over-long word is measured once, so that a long text
  // takes time in proportion to its length.
  std::vector<std::string> Wrap(const std::string& text, Font font, double width) {
    std::vector<std::string> lines;
    std::string line;
    double lineWidth = 0.0;
    const double space = Width(" ", font);
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(' ', at);
      if (end == std::string::npos) end = text.size();
      const std::string word = text.substr(at, end - at);
      at = end + 1;
      if (word.empty()) continue;
      const double wordWidth = Width(word, font);
      if (!line.empty() && lineWidth + space + wordWidth <= width) {
        line += ' ' + word;
        lineWidth += space + wordWidth;
        continue;
      }
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
      lineWidth = 0.0;
      if (wordWidth <= width) {
        line = word;
        lineWidth = wordWidth;
        continue;
      }
      for (size_t start = 0, next = 0; start < word.size(); start = next) {
        next = start + 1;
        while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80) ++next;
        const std::string character = word.substr(start, next - start);
        const double advance = Width(character, font);
        if (!line.empty() && lineWidth + advance > width) {
          lines.push_back(std::move(line));
          line.clear();
          lineWidth = 0.0;
        }
        line += character;
        lineWidth += advance;
      }
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
  }
  // One line of `text` no wider than `width`, shortened at its start with
  // an ellipsis (a path's end names the file).
  std::string Fitted(const std::string& text, Font font, double width) {
    if (Width(text, font) <= width) return text;
    const std::string ellipsis = "\xE2\x80\xA6";
    double used = Width(ellipsis, font);
    size_t start = text.size();
    while (start > 0) {
      size_t previous = start - 1;
      while (previous > 0 && (static_cast<unsigned char>(text[previous]) & 0xC0) == 0x80) --previous;
      used += Width(text.substr(previous, start - previous), font);
      if (used > width) break;
      start = previous;
    }
    return ellipsis + text.substr(start);
  }

  // A block of `count` lines, each drawn by `draw` at its top: kept on one
  // page where it fits one, else flowing over as many as it needs.
  template <class Draw>
  void FlowLines(size_t count, Draw draw) {
    Need(std::min(static_cast<double>(count) * kLine, bottom() - kMargin));
    for (size_t k = 0; k < count; ++k) {
      if (y_ + kLine > bottom() && y_ > kMargin) NextPage();
      draw(k, y_);
      y_ += kLine;
    }
  }
  // `text` on at most `most` lines of `width`, the last ending in an
  // ellipsis where the text goes on.
  std::vector<std::string> WrapAtMost(const std::string& text, Font font, double width, size_t most) {
    std::vector<std::string> lines = Wrap(text, font, width);
    if (lines.size() <= most) return lines;
    lines.resize(most);
    const std::string ellipsis = "\xE2\x80\xA6";
    std::string& last = lines.back();
    while (!last.empty() && Width(last + ellipsis, font) > width) {
      size_t end = last.size() - 1;
      while (end > 0 && (static_cast<unsigned char>(last[end]) & 0xC0) == 0x80) --end;
      last.resize(end);
    }
    last += ellipsis;
    return lines;
  }

  void Heading(const std::string& text, double followingHeight) {
    Need(18.0 + followingHeight);
    y_ += 6.0;
    Show(left(), y_ + 10.0, text, kHeading);
    y_ += 12.0;
    Rule(left(), y_ + 1.5, left() + width(), 0.5);
    y_ += 5.0;
  }

 private:
  cairo_t* cr_;
  Paper paper_;
  bool drawing_;
  cairo_font_face_t* regular_;
  cairo_font_face_t* bold_;
  double y_ = 0.0;
  int page_ = 1;
  int pages_ = 1;
  std::string footer_;
};

// Label and value pairs in two columns, each value wrapped beside its
// label; the rows flow over pages.
struct Pair {
  std::string label, value;
};

void PairColumns(PageWriter& w, const std::vector<Pair>& pairs) {
  const double columnWidth = (w.width() - kColumnGap) / 2;
  double labelWidth = 0.0;
  for (const Pair& pair : pairs) labelWidth = std::max(labelWidth, w.Width(pair.label, kBody) + 8.0);
  labelWidth = std::min(labelWidth, columnWidth * 0.45);
  const size_t rows = (pairs.size() + 1) / 2;
  for (size_t row = 0; row < rows; ++row) {
    std::vector<std::string> labels[2], values[2];
    size_t height = 1;
    for (size_t c = 0; c < 2; ++c) {
      const size_t i = row + c * rows;
      if (i >= pairs.size()) continue;
      labels[c] = w.Wrap(pairs[i].label, kBody, labelWidth - 8.0);
      values[c] = w.Wrap(pairs[i].value, kBody, columnWidth - labelWidth);
      height = std::max({height, labels[c].size(), values[c].size()});
    }
    w.FlowLines(height, [&](size_t k, double y) {
      for (size_t c = 0; c < 2; ++c) {
        const double x = w.left() + c * (columnWidth + kColumnGap);
        if (k < labels[c].size()) w.Show(x, y + 8.0, labels[c][k], kBody, kGrey);
        if (k < values[c].size()) w.Show(x + labelWidth, y + 8.0, values[c][k], kBody);
      }
    });
  }
}

// A table whose columns have fixed widths; a cell that is too wide wraps,
// on at most a dozen lines, so that a row always fits a page.
struct Column {
  std::string head;
  double width;
  bool right = false;
};

void Table(PageWriter& w, const std::vector<Column>& columns, const std::vector<std::vector<std::string>>& rows,
           const std::string& continued) {
  auto head = [&] {
    double x = w.left();
    for (const Column& c : columns) {
      if (c.right) {
        w.ShowRight(x + c.width - 4.0, w.y() + 8.0, c.head, kBodyBold);
      } else {
        w.Show(x, w.y() + 8.0, c.head, kBodyBold);
      }
      x += c.width;
    }
    w.Advance(kLine);
    w.Rule(w.left(), w.y(), x, 0.4);
    w.Advance(2.0);
  };
  head();
  for (const auto& row : rows) {
    std::vector<std::vector<std::string>> cells;
    size_t height = 1;
    for (size_t i = 0; i < columns.size(); ++i) {
      cells.push_back(w.WrapAtMost(i < row.size() ? row[i] : "", kBody, columns[i].width - 6.0, 12));
      height = std::max(height, cells.back().size());
    }
    if (w.y() + height * kLine > w.bottom()) {
      w.NextPage();
      w.Show(w.left(), w.y() + 8.0, continued, kBodyBold, kGrey);
      w.Advance(kLine + 2.0);
      head();
    }
    double x = w.left();
    for (size_t i = 0; i < columns.size(); ++i) {
      for (size_t k = 0; k < cells[i].size(); ++k) {
        const double baseline = w.y() + 8.0 + k * kLine;
        if (columns[i].right) {
          w.ShowRight(x + columns[i].width - 4.0, baseline, cells[i][k], kBody);
        } else {
          w.Show(x, baseline, cells[i][k], kBody);
        }
      }
      x += columns[i].width;
    }
    w.Advance(height * kLine);
  }
}

// ---- The map ----

struct Point {
  double x, y;
};

bool Drawable(const LonLat& p) {
  return std::isfinite(p.longitude) && std::isfinite(p.latitude) && std::fabs(p.latitude) <= 90.0 &&
         std::fabs(p.longitude) <= 720.0;
}

// Places on the paper: metres east and north of the layers' middle, from
// the ellipsoid's radii there, scaled into the map's box with north up.
class MapFrame {
 public:
  MapFrame(const std::vector<const LonLat*>& starts, const std::vector<size_t>& counts, double x, double y,
           double width, double height) {
    double west = INFINITY, east = -INFINITY, south = INFINITY, north = -INFINITY;
    for (size_t i = 0; i < starts.size(); ++i) {
      for (size_t k = 0; k < counts[i]; ++k) {
        const LonLat& p = starts[i][k];
        if (!Drawable(p)) continue;
        west = std::min(west, p.longitude), east = std::max(east, p.longitude);
        south = std::min(south, p.latitude), north = std::max(north, p.latitude);
      }
    }
    if (!(west <= east)) return;
    centre_ = {(west + east) / 2, (south + north) / 2};
    constexpr double kStep = 1e-4;  // degrees
    const double latitude = std::clamp(centre_.latitude, -89.0, 89.0);
    metresPerLongitude_ =
        StepDistance({centre_.longitude - kStep, latitude}, {centre_.longitude + kStep, latitude}) / (2 * kStep);
    metresPerLatitude_ = StepDistance({centre_.longitude, latitude - kStep}, {centre_.longitude, latitude + kStep}) /
                         (2 * kStep);
    const double spanX = std::max((east - west) * metresPerLongitude_, 1.0);
    const double spanY = std::max((north - south) * metresPerLatitude_, 1.0);
    constexpr double kPad = 0.94;  // a rim of white round the ground
    scale_ = std::min(width / spanX, height / spanY) * kPad;
    middleX_ = x + width / 2;
    middleY_ = y + height / 2;
    valid_ = std::isfinite(scale_) && scale_ > 0.0;
  }

  bool valid() const { return valid_; }
  double pointsPerMetre() const { return scale_; }
  Point On(const LonLat& p) const {
    return {middleX_ + (p.longitude - centre_.longitude) * metresPerLongitude_ * scale_,
            middleY_ - (p.latitude - centre_.latitude) * metresPerLatitude_ * scale_};
  }

 private:
  LonLat centre_;
  double metresPerLongitude_ = 0.0, metresPerLatitude_ = 0.0, scale_ = 0.0;
  double middleX_ = 0.0, middleY_ = 0.0;
  bool valid_ = false;
};

// The points on the paper, thinned to its resolution: a point closer
// than kMapThinning to the one kept before it is dropped, then Douglas and
// Peucker's thinning runs over stretches of a few hundred points, so that
// time stays in proportion to the points.
std::vector<Point> Thinned(const MapFrame& frame, const LonLat* points, size_t count) {
  std::vector<Point> near;
  near.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (!Drawable(points[i])) continue;
    const Point p = frame.On(points[i]);
    const bool last = i + 1 == count;
    if (!near.empty() && !last && std::hypot(p.x - near.back().x, p.y - near.back().y) < kMapThinning) continue;
    near.push_back(p);
  }
  if (near.size() <= 3) return near;
  const std::vector<char> keep = PointsToKeep(near, kMapThinning, [](const Point& p) { return std::pair(p.x, p.y); });
  std::vector<Point> thinned;
  for (size_t i = 0; i < near.size(); ++i) {
    if (keep[i]) thinned.push_back(near[i]);
  }
  return thinned;
}

void AddRing(cairo_t* cr, const MapFrame& frame, const LonLatRing& ring) {
  const std::vector<Point> points = Thinned(frame, ring.data(), ring.size());
  if (points.size() < 3) return;  // nothing to see at this scale
  cairo_move_to(cr, points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].x, points[i].y);
  cairo_close_path(cr);
}

void AddPolygons(cairo_t* cr, const MapFrame& frame, const LonLatMultiPolygon& polygons) {
  for (const LonLatPolygon& polygon : polygons) {
    AddRing(cr, frame, polygon.outer);
    for (const LonLatRing& hole : polygon.holes) AddRing(cr, frame, hole);
  }
}

void SetColour(cairo_t* cr, std::string_view hex, double alpha = 1.0) {
  const Colour c = ColourOf(hex);
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

// A length of 1, 2 or 5 times a power of ten, in metres or feet, that takes
// at most `most` points on the paper.
struct ScaleBar {
  double length;  // in the bar's unit
  double points;
  std::string text;
};

ScaleBar ScaleBarFor(double pointsPerMetre, double most, ReportUnits units) {
  const bool us = units == ReportUnits::Us;
  const double metresPerUnit = us ? 0.3048 : 1.0;
  const double pointsPerUnit = pointsPerMetre * metresPerUnit;
  const double longest = most / pointsPerUnit;
  double length = std::pow(10.0, std::floor(std::log10(longest)));
  for (double step : {5.0, 2.0}) {
    if (length * step <= longest) {
      length *= step;
      break;
    }
  }
  std::string text;
  if (!us && length >= 1000.0) {
    text = FixedText(length / 1000.0, 0) + " km";
  } else if (us && length >= 5280.0) {
    text = FixedText(length / 5280.0, 1) + " mi";
  } else {
    text = FixedText(length, length < 1.0 ? 1 : 0) + (us ? " ft" : " m");
  }
  return {length, length * pointsPerUnit, text};
}

struct LegendEntry {
  std::string_view fill, edge;  // fill empty: a line
  std::string label;
  bool mark = false;
};

void DrawMarks(cairo_t* cr, const MapFrame& frame, const std::vector<CollectedMark>& marks) {
  for (const CollectedMark& mark : marks) {
    if (mark.type >= 128 || !Drawable(mark.at)) continue;  // boundary points draw the field
    const Point p = frame.On(mark.at);
    cairo_new_sub_path(cr);
    cairo_arc(cr, p.x, p.y, 2.2, 0.0, 2 * std::numbers::pi);
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 0.7);
  cairo_stroke(cr);
}

// The map in its box, with its scale bar, north arrow and legend below.
void DrawMap(PageWriter& w, const RecordPdfInput& in, double height) {
  cairo_t* cr = w.cr();
  const double x = w.left(), y = w.y(), width = w.width();
  const MapLayers& layers = in.layers;
  const CoverageReport& report = in.report;
  bool anyMark = false;
  for (const CollectedMark& mark : in.marks) anyMark = anyMark || (mark.type < 128 && Drawable(mark.at));

  std::vector<LegendEntry> legend;
  for (const RateBinGround& bin : layers.rates) {
    legend.push_back({LookOf(bin.bin).legendColour, LookOf(bin.bin).legendColour, LookOf(bin.bin).label});
  }
  if (!layers.overlap.empty()) legend.push_back({kOverlapFill, kOverlapEdge, "sprayed more than once"});
  if (!report.skipped.empty()) legend.push_back({kSkippedFill, kSkippedEdge, "skipped in the field"});
  if (!report.field.empty()) legend.push_back({"", kFieldEdge, "field"});
  if (!layers.path.empty()) legend.push_back({"", "#000000", "path"});
  if (anyMark) legend.push_back({"#ffffff", "#000000", "marks", true});

  if (w.drawing()) {
    // Every place of every layer, for the frame.
    std::vector<const LonLat*> starts;
    std::vector<size_t> counts;
    auto rings = [&](const LonLatMultiPolygon& polygons) {
      for (const LonLatPolygon& p : polygons) {
        starts.push_back(p.outer.data()), counts.push_back(p.outer.size());
      }
    };
    for (const RateBinGround& bin : layers.rates) rings(bin.ground);
    rings(layers.overlap);
    rings(report.skipped);
    rings(report.field);
    for (const auto& piece : layers.path) starts.push_back(piece.data()), counts.push_back(piece.size());
    for (const CollectedMark& mark : in.marks) {
      if (mark.type < 128) starts.push_back(&mark.at), counts.push_back(1);
    }
    const MapFrame frame(starts, counts, x, y, width, height);

    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (frame.valid()) {
      // The ribbons of each bin overlap; their rings are oriented so that
      // a non-zero fill paints their ground once.
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
      for (const RateBinGround& bin : layers.rates) {
        AddPolygons(cr, frame, bin.ground);
        SetColour(cr, LookOf(bin.bin).legendColour);
        cairo_fill(cr);
      }
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      cairo_set_line_width(cr, 0.4);
      for (const auto& [polygons, fill, edge, alpha] :
           {std::tuple{&layers.overlap, kOverlapFill, kOverlapEdge, 0.6},
            std::tuple{&report.skipped, kSkippedFill, kSkippedEdge, 0.7}}) {
        AddPolygons(cr, frame, *polygons);
        SetColour(cr, fill, alpha);
        cairo_fill_preserve(cr);
        SetColour(cr, edge);
        cairo_stroke(cr);
      }
      AddPolygons(cr, frame, report.field);
      SetColour(cr, kFieldEdge);
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
      for (const auto& piece : layers.path) {
        const std::vector<Point> points = Thinned(frame, piece.data(), piece.size());
        if (points.size() < 2) continue;
        cairo_move_to(cr, points[0].x, points[0].y);
        for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].x, points[i].y);
      }
      cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
      cairo_set_line_width(cr, 0.35);
      cairo_stroke(cr);
      if (anyMark) DrawMarks(cr, frame, in.marks);
    }
    cairo_restore(cr);
    cairo_set_source_rgb(cr, kRule.r, kRule.g, kRule.b);
    cairo_set_line_width(cr, 0.6);
    cairo_rectangle(cr, x, y, width, height);
    cairo_stroke(cr);

    if (frame.valid()) {
      // The scale bar, bottom left: black and white halves.
      const ScaleBar bar = ScaleBarFor(frame.pointsPerMetre(), width / 4, in.units);
      const double bx = x + 10.0, by = y + height - 14.0;
      cairo_set_line_width(cr, 0.5);
      for (int half = 0; half < 2; ++half) {
        cairo_rectangle(cr, bx + half * bar.points / 2, by, bar.points / 2, 4.0);
        cairo_set_source_rgb(cr, half ? 1 : 0, half ? 1 : 0, half ? 1 : 0);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_stroke(cr);
      }
      w.Show(bx, by - 3.0, "0", kSmall);
      w.ShowRight(bx + bar.points + 4.0, by - 3.0, bar.text, kSmall);
      // The north arrow, top right: north is up on this map.
      const double ax = x + width - 16.0, ay = y + 12.0;
      w.Show(ax - w.Width("N", kBodyBold) / 2, ay + 8.0, "N", kBodyBold);
      cairo_new_path(cr);
      cairo_move_to(cr, ax, ay + 11.0);
      cairo_line_to(cr, ax + 5.0, ay + 27.0);
      cairo_line_to(cr, ax, ay + 23.0);
      cairo_line_to(cr, ax - 5.0, ay + 27.0);
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_fill(cr);
    } else {
      w.Show(x + 10.0, y + 20.0, "Nothing to draw: the log places no swath, path or field on the globe.", kBody, kGrey);
    }
  }
  w.Advance(height + 5.0);

  // The legend: a swatch and its words, in rows.
  double lx = w.left();
  for (const LegendEntry& entry : legend) {
    const double entryWidth = 16.0 + w.Width(entry.label, kSmall) + 12.0;
    if (lx + entryWidth > w.left() + w.width()) {
      lx = w.left();
      w.Advance(kLine);
    }
    if (w.drawing()) {
      const double sy = w.y() + 2.0;
      cairo_new_path(cr);  // no line from where the last text ended
      if (entry.mark) {
        cairo_arc(cr, lx + 6.0, sy + 3.5, 2.2, 0.0, 2 * std::numbers::pi);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 0.7);
        cairo_stroke(cr);
      } else if (entry.fill.empty()) {
        cairo_move_to(cr, lx, sy + 3.5);
        cairo_line_to(cr, lx + 12.0, sy + 3.5);
        SetColour(cr, entry.edge);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
      } else {
        cairo_rectangle(cr, lx, sy, 12.0, 7.0);
        SetColour(cr, entry.fill);
        cairo_fill_preserve(cr);
        SetColour(cr, entry.edge);
        cairo_set_line_width(cr, 0.5);
        cairo_stroke(cr);
      }
    }
    w.Show(lx + 16.0, w.y() + 8.0, entry.label, kSmall);
    lx += entryWidth;
  }
  w.Advance(kLine);
  if (!layers.problem.empty()) {
    for (const std::string& line : w.Wrap(Clean("Part of the map could not be drawn: " + layers.problem), kSmall, w.width())) {
      w.Show(w.left(), w.y() + 8.0, line, kSmall, kProblem);
      w.Advance(kLine);
    }
  }
}

// ---- The sections ----

std::string ZoneText(const std::optional<int>& zone) {
  if (!zone) return "unknown (the log holds no job summary)";
  const int hours = *zone;
  return std::string("UTC") + (hours < 0 ? "-" : "+") + (std::abs(hours) < 10 ? "0" : "") +
         std::to_string(std::abs(hours)) + ":00";
}

// A weather value as logged, with what it parsed to.
std::string ObservedText(const ObservedValue& value, int decimals, const char* unit) {
  if (value.logged.empty()) return "-";
  if (!value.value) return Clean(value.logged) + " (not understood)";
  return Clean(value.logged) + " (" + FixedText(*value.value, decimals) + unit + ")";
}

// The header of the first page: the title and the job at a glance.
void DrawHeader(PageWriter& w, const RecordPdfInput& in) {
  const ApplicationRecord& r = in.record.record;
  w.Show(w.left(), w.y() + 15.0, "Proof of application", kTitle);
  w.Advance(24.0);
  const Pair cells[] = {{"Farm", r.farm},         {"Field", r.field},     {"Date", r.date},
                        {"Operator", r.operatorName}, {"Machine", r.machine}, {"Crop", r.crop}};
  const double cellWidth = (w.width() - 2 * kColumnGap) / 3;
  for (int row = 0; row < 2; ++row) {
    size_t height = 1;
    std::vector<std::string> lines[3];
    for (int c = 0; c < 3; ++c) {
      lines[c] = w.WrapAtMost(OrDash(Clean(cells[row * 3 + c].value)), kHeaderValue, cellWidth, 3);
      height = std::max(height, lines[c].size());
    }
    for (int c = 0; c < 3; ++c) {
      const double x = w.left() + c * (cellWidth + kColumnGap);
      w.Show(x, w.y() + 7.0, cells[row * 3 + c].label, kLabel, kGrey);
      for (size_t k = 0; k < lines[c].size(); ++k) w.Show(x, w.y() + 19.0 + k * 12.5, lines[c][k], kHeaderValue);
    }
    w.Advance(10.0 + height * 12.5 + 3.0);
  }
  w.Rule(w.left(), w.y() + 1.0, w.left() + w.width(), 0.8, kInk);
  w.Advance(6.0);
}

// The figures as the report's table prints them, beside the console's own.
void DrawFigures(PageWriter& w, const RecordPdfInput& in) {
  const double top = w.y();
  const double columnWidth = (w.width() - kColumnGap) / 2;
  const std::vector<ReportLine> lines = ReportFigureLines(in.report, in.units);
  w.Show(w.left(), top + 10.0, "Figures", kHeading);
  double y = top + 17.0;
  for (const ReportLine& line : lines) {
    w.Show(w.left(), y + 8.0, line.label, kBody, kGrey);
    w.ShowRight(w.left() + columnWidth - 20.0, y + 8.0, line.value, kBody);
    y += kLine;
  }
  const double figuresBottom = y;

  const double x = w.left() + columnWidth + kColumnGap;
  w.Show(x, top + 10.0, "The console's figures", kHeading);
  y = top + 17.0;
  const auto& console = in.record.record.console;
  if (!console) {
    for (const std::string& line : w.Wrap("The log holds no job summary: the console gave no figures.", kBody,
                                           columnWidth)) {
      w.Show(x, y + 8.0, line, kBody, kGrey);
      y += kLine;
    }
  } else {
    const CoverageReport& r = in.report;
    double perimeter = 0.0;
    auto walk = [&](const LonLatRing& ring) {
      for (size_t i = 1; i < ring.size(); ++i) perimeter += StepDistance(ring[i - 1], ring[i]);
    };
    for (const LonLatPolygon& polygon : r.field) {
      walk(polygon.outer);
      for (const LonLatRing& hole : polygon.holes) walk(hole);
    }
    const double valueRight = x + columnWidth * 0.7, computedRight = x + columnWidth;
    w.ShowRight(valueRight, y + 8.0, "Console", kBodyBold);
    w.ShowRight(computedRight, y + 8.0, "Computed", kBodyBold);
    y += kLine;
    auto area = [&](double hectares) { return AreaText(hectares, in.units); };
    const std::string skipped = r.skippedAreaHa ? area(*r.skippedAreaHa) : "-";
    const std::string fieldPerimeter = r.field.empty() ? "-" : Decimals(perimeter, 1, " m");
    const std::vector<std::array<std::string, 3>> rows = {
        {"Machine area", area(console->machineArea), area(r.grossSprayedAreaHa)},
        {"Applied, estimated", area(console->appliedEstimate), area(r.sprayedAreaHa)},
        {"Applied, calculated", area(console->appliedCalculated), area(r.sprayedAreaHa)},
        {"Overlap area", area(console->overlapArea), area(r.overlapAreaHa)},
        {"Skipped area", area(console->skipArea), skipped},
        {"Field perimeter", Decimals(console->perimeter, 1, " m"), fieldPerimeter},
    };
    for (const auto& row : rows) {
      w.Show(x, y + 8.0, row[0], kBody, kGrey);
      w.ShowRight(valueRight, y + 8.0, row[1], kBody);
      w.ShowRight(computedRight, y + 8.0, row[2], kBody);
      y += kLine;
    }
    // What each console figure is set against.
    for (const std::string& line :
         w.Wrap("Computed: the gross sprayed area, the sprayed area (twice), the overlap, the skipped area and the "
                "perimeter of the field.",
                kSmall, columnWidth)) {
      w.Show(x, y + 8.0, line, kSmall, kGrey);
      y += kLine - 1.5;
    }
  }
  w.Advance(std::max(figuresBottom, y) - top);
}

double FiguresHeight(const RecordPdfInput& in) {
  const size_t consoleLines = in.record.record.console ? 9 : 2;
  return 17.0 + std::max(ReportFigureLines(in.report, in.units).size(), consoleLines) * kLine;
}

void DrawJob(PageWriter& w, const RecordPdfInput& in) {
  const ApplicationRecord& r = in.record.record;
  std::vector<Pair> pairs = {
      {"Operation", r.operation},       {"Start", r.start},
      {"Finish", r.finish},             {"Time zone", ZoneText(r.timeZone)},
      {"Prescription map", r.prescriptionMap}, {"Job created", r.created},
      {"Job updated", r.updated},       {"Console", r.consoleVersion},
      {"Application", r.applicationVersion},
  };
  if (r.height) {
    pairs.push_back({"Height", FixedText(r.height->minimum, 2) + " / " + FixedText(r.height->median, 2) + " / " +
                                   FixedText(r.height->maximum, 2) + " (least, median, most over " +
                                   std::to_string(r.height->fixes) + " spraying fixes)"});
  } else {
    pairs.push_back({"Height", "no reading while spraying"});
  }
  for (Pair& pair : pairs) pair.value = OrDash(Clean(pair.value));
  w.Heading("Job", 2 * kLine);
  PairColumns(w, pairs);
}

void DrawJobInfo(PageWriter& w, const RecordPdfInput& in) {
  const JobInfo& info = in.record.info;
  auto joined = [](const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text.append(text.empty() ? "" : "; ").append(item);
    return text;
  };
  std::vector<std::string> mix;
  for (const TankMixEntry& entry : info.tankMix) mix.push_back(entry.product + " at " + entry.rate);
  std::vector<Pair> pairs = {
      {"Product", info.product},       {"Registration", info.registration},
      {"Active constituents", joined(info.activeConstituents)}, {"Tank mix", joined(mix)},
      {"Water volume", info.waterVolume}, {"Client", info.client},
      {"Address", info.address},        {"Aircraft", info.aircraft},
      {"Applicator", info.applicator},  {"Licence", info.licence},
  };
  for (const auto& [name, value] : info.extra) pairs.push_back({name, value});
  for (Pair& pair : pairs) pair.label = Clean(pair.label), pair.value = OrDash(Clean(pair.value));
  w.Heading("Product, client and applicator", 2 * kLine);
  PairColumns(w, pairs);
  const JobRecord& record = in.record;
  std::vector<std::string> notes;
  if (!record.filledFromFile.empty()) notes.push_back("From the job-info file, for the log has none: " + joined(record.filledFromFile) + ".");
  for (const RecordDifference& d : record.differences) {
    notes.push_back("The log's " + d.key + " \"" + d.logValue + "\" is kept; the job-info file gives \"" + d.fileValue +
                    "\".");
  }
  for (const std::string& note : notes) {
    for (const std::string& line : w.Wrap(Clean(note), kBody, w.width())) {
      w.Need(kLine);
      w.Show(w.left(), w.y() + 8.0, line, kBody, kProblem);
      w.Advance(kLine);
    }
  }
}

void DrawWeather(PageWriter& w, const RecordPdfInput& in) {
  const auto& weather = in.record.record.weather;
  w.Heading("Weather", 2 * kLine);
  if (weather.empty()) {
    w.Show(w.left(), w.y() + 8.0, "The log holds no weather observation.", kBody, kGrey);
    w.Advance(kLine);
    return;
  }
  const double rest = (w.width() - 150.0) / 4;
  const std::vector<Column> columns = {{"Time", 150.0},
                                       {"Wind speed", rest},
                                       {"Wind direction", rest},
                                       {"Temperature", rest},
                                       {"Humidity", rest}};
  std::vector<std::vector<std::string>> rows;
  for (const WeatherObservation& o : weather) {
    rows.push_back({OrDash(Clean(o.time)), ObservedText(o.windSpeed, 2, " m/s"),
                    ObservedText(o.windDirection, 0, "\xC2\xB0"), ObservedText(o.temperature, 1, " \xC2\xB0" "C"),
                    ObservedText(o.humidity, 0, " %")});
  }
  Table(w, columns, rows, "Weather (continued)");
}

// The runs in blocks side by side (three where they fit across the page),
// filled down each block; a table longer than the page continues on the
// next.
void DrawRuns(PageWriter& w, const RecordPdfInput& in) {
  const std::vector<RunRow> rows = RunTableRows(in.report, in.units);
  const RunRow head = RunTableHead(in.units);
  w.Heading(rows.empty() ? "Runs" : "Runs (" + std::to_string(rows.size()) + ")", 2 * kLine);
  if (rows.empty()) {
    w.Show(w.left(), w.y() + 8.0, "No run: nothing was sprayed.", kBody, kGrey);
    w.Advance(kLine);
    return;
  }
  constexpr double kCellGap = 10.0;
  double widths[5];
  for (size_t i = 0; i < 5; ++i) {
    widths[i] = w.Width(head[i], kBodyBold);
    for (const RunRow& row : rows) widths[i] = std::max(widths[i], w.Width(row[i], kBody));
  }
  const double blockWidth = widths[0] + widths[1] + widths[2] + widths[3] + widths[4] + 4 * kCellGap;
  const int blocks = std::clamp(static_cast<int>((w.width() + kColumnGap) / (blockWidth + 2 * kColumnGap)), 1, 3);
  const double blockStep = (w.width() + kColumnGap) / blocks;
  auto row = [&](double blockX, double y, const RunRow& cells, Font font) {
    double x = blockX;
    for (size_t i = 0; i < cells.size(); ++i) {
      x += widths[i] + (i > 0 ? kCellGap : 0.0);
      w.ShowRight(x, y + 8.0, cells[i], font);
    }
  };
  size_t done = 0;
  while (done < rows.size()) {
    if (w.y() + 3 * kLine > w.bottom()) {
      w.NextPage();
      w.Show(w.left(), w.y() + 8.0, "Runs (continued)", kBodyBold, kGrey);
      w.Advance(kLine + 2.0);
    }
    const size_t fit = static_cast<size_t>((w.bottom() - w.y() - kLine - 2.0) / kLine);
    const size_t count = std::min(rows.size() - done, fit * blocks);
    const size_t down = (count + blocks - 1) / blocks;
    for (int b = 0; b < blocks && b * down < count; ++b) {
      const double bx = w.left() + b * blockStep;
      row(bx, w.y(), head, kBodyBold);
      w.Rule(bx, w.y() + kLine + 1.0, bx + blockWidth, 0.4);
      for (size_t i = 0; i < down && b * down + i < count; ++i) {
        row(bx, w.y() + kLine + 2.0 + i * kLine, rows[done + b * down + i], kBody);
      }
    }
    w.Advance(kLine + 2.0 + down * kLine);
    done += count;
  }
}

void DrawNotes(PageWriter& w, const RecordPdfInput& in) {
  const auto& notes = in.record.record.notes;
  w.Heading("Notes", 2 * kLine);
  if (notes.empty()) {
    w.Show(w.left(), w.y() + 8.0, "The log holds no job note.", kBody, kGrey);
    w.Advance(kLine);
    return;
  }
  for (const JobNote& note : notes) {
    for (const std::string& line : w.Wrap(OrDash(Clean(note.text)), kBody, w.width())) {
      w.Need(kLine);
      w.Show(w.left(), w.y() + 8.0, line, kBody);
      w.Advance(kLine);
    }
  }
}

void DrawLog(PageWriter& w, const RecordPdfInput& in) {
  w.Heading("Log", 3 * kLine);
  const Pair pairs[] = {{"Log", Clean(in.logName)}, {"SHA-256", OrDash(Clean(in.sha256))},
                        {"Made by", "ZELTLOG " + Clean(in.version)}};
  for (const Pair& pair : pairs) {
    const auto lines = w.Wrap(pair.value, kBody, w.width() - 60.0);
    w.FlowLines(lines.size(), [&](size_t k, double y) {
      if (k == 0) w.Show(w.left(), y + 8.0, pair.label, kBody, kGrey);
      w.Show(w.left() + 60.0, y + 8.0, lines[k], kBody);
    });
  }
}

void DrawSignature(PageWriter& w, const RecordPdfInput& in) {
  constexpr double kHeight = 62.0;
  w.Need(kHeight);
  w.Advance(30.0);
  const double signatureEnd = w.left() + w.width() * 0.62;
  w.Rule(w.left(), w.y(), signatureEnd, 0.6, kInk);
  w.Rule(signatureEnd + 24.0, w.y(), w.left() + w.width(), 0.6, kInk);
  const JobInfo& info = in.record.info;
  std::string who = "Applicator's signature";
  if (!info.applicator.empty()) who += " (" + Clean(info.applicator) + ")";
  if (!info.licence.empty()) who += ", licence " + Clean(info.licence);
  w.Show(w.left(), w.y() + 10.0, w.Fitted(who, kSmall, signatureEnd - w.left()), kSmall, kGrey);
  w.Show(signatureEnd + 24.0, w.y() + 10.0, "Date", kSmall, kGrey);
  w.Advance(kHeight - 30.0);
}

void Compose(PageWriter& w, const RecordPdfInput& in) {
  DrawHeader(w, in);
  DrawJob(w, in);
  w.Advance(8.0);
  // The map takes what the first page leaves above the figures.
  const double legend = 2 * kLine + (in.layers.problem.empty() ? 0.0 : 2 * kLine);
  const double map = std::max(120.0, w.bottom() - w.y() - legend - 8.0 - FiguresHeight(in));
  DrawMap(w, in, map);
  w.Advance(4.0);
  DrawFigures(w, in);
  w.NextPage();
  DrawJobInfo(w, in);
  DrawWeather(w, in);
  DrawRuns(w, in);
  DrawNotes(w, in);
  DrawLog(w, in);
  DrawSignature(w, in);
}

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

RecordPdf DrawRecordPdf(const RecordPdfInput& in) {
  RecordPdf pdf;
  if (!FontProblem().empty()) {
    pdf.error = FontProblem();
    return pdf;
  }
  const Paper paper = PaperOf(in.paper);
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(Append, &pdf.bytes, paper.width, paper.height);
  const ApplicationRecord& r = in.record.record;
  std::string title = "Proof of application", separator = ": ";
  for (const std::string* part : {&r.farm, &r.field, &r.date}) {
    if (part->empty()) continue;
    title += separator + Clean(*part);
    separator = ", ";
  }
  const std::string creator = "ZELTLOG " + Clean(in.version);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, creator.c_str());
  if (!r.operatorName.empty()) {
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_AUTHOR, Clean(r.operatorName).c_str());
  }
  cairo_t* cr = cairo_create(surface);
  const std::string footer = creator + "  \xC2\xB7  " + Clean(in.logName);
  int pages = 1;
  {
    PageWriter counting(cr, paper, false);
    Compose(counting, in);
    pages = counting.page();
  }
  {
    PageWriter drawing(cr, paper, true);
    drawing.SetFooter(footer, pages);
    Compose(drawing, in);
    drawing.FinishPage();
  }
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    pdf.bytes.clear();
    pdf.error = std::string("cairo could not draw the PDF: ") + cairo_status_to_string(status);
  }
  return pdf;
}

}  // namespace zeltlog
