#include "sinks/kml_swath_text.h"

#include <cstring>
#include <string>
#include <utility>

#include "core/disk_text.h"
#include "kml/templates.h"

namespace zeltlog {
namespace {

bool SameBits(const GeoPoint& a, const GeoPoint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The text of every quad around its numbers, line ends as on disk.
constexpr auto kQuadHead = OnDisk("<Placemark>\n<name>time ");
constexpr auto kQuadRing =
    OnDisk(" s </name><styleUrl>#G1</styleUrl>\n<Polygon>\n<outerBoundaryIs>\n<LinearRing id=\"0\">\n<coordinates>\n");
constexpr auto kQuadTail = OnDisk("</coordinates>\n</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n");
constexpr auto kLineEnd = OnDisk("\n");

}  // namespace

const KmlSwathText::Corner& KmlSwathText::Text(Corner& corner, const GeoPoint& point) {
  if (corner.set && SameBits(corner.point, point)) return corner;
  corner.point = point;
  corner.set = true;
  // " %8.7f,%8.7f,%1.3f"
  char* at = corner.text;
  *at++ = ' ';
  at = WriteFixed<7>(at, point.longitude, 8);
  *at++ = ',';
  at = WriteFixed<7>(at, point.latitude, 8);
  *at++ = ',';
  at = WriteFixed<3>(at, point.altitude, 1);
  corner.size = static_cast<size_t>(at - corner.text);
  return corner;
}

char* KmlSwathText::Put(char* at, const Corner& corner) {
  std::memcpy(at, corner.text, corner.size);
  return at + corner.size;
}

char* KmlSwathText::PutLine(char* at, const Corner& corner) {
  return zeltlog::Put(Put(at, corner), kLineEnd);
}

void KmlSwathText::WriteQuad(OutputFile& file, const SwathQuad& q) {
  // The ring is closed by repeating its first corner. The first quad of a
  // run keeps its fourth corner on the line of the fifth.
  const Corner& prevRight = Text(*prevRight_, q.prevRight);
  const Corner& right = Text(*right_, q.right);
  const Corner& left = Text(*left_, q.left);
  const Corner& prevLeft = Text(*prevLeft_, q.prevLeft);
  const size_t room = kQuadHead.size + kFixedTextLimit + kQuadRing.size + kQuadTail.size + 5 * kLineEnd.size +
                      2 * prevRight.size + right.size + left.size + prevLeft.size;
  char* at = zeltlog::Put(file.Room(room), kQuadHead);
  at = WriteFixed<2>(at, q.time, 2);
  at = zeltlog::Put(at, kQuadRing);
  at = PutLine(at, prevRight);
  at = PutLine(at, right);
  at = PutLine(at, left);
  at = Put(at, prevLeft);
  if (!q.firstOfRun) at = zeltlog::Put(at, kLineEnd);
  at = PutLine(at, prevRight);
  file.Advance(zeltlog::Put(at, kQuadTail));
  // This quad's corners are where the next one starts.
  std::swap(prevRight_, right_);
  std::swap(prevLeft_, left_);
  lastQuadFirstOfRun_ = q.firstOfRun;
  ++quads_;
}

void KmlSwathText::WriteLastQuadPolygon(OutputFile& file, std::string& scratch) const {
  if (quads_ == 0) return;
  kml::BuildQuadPolygonOpen(scratch, quads_ - 1);
  file.Write(scratch);
  // After the swap at the end of the last quad its first corner is right_,
  // then come prevRight_, prevLeft_ and left_.
  char* at = file.Room(5 * (sizeof right_->text + kLineEnd.size));
  at = PutLine(at, *right_);
  at = PutLine(at, *prevRight_);
  at = PutLine(at, *prevLeft_);
  at = Put(at, *left_);
  if (!lastQuadFirstOfRun_) at = zeltlog::Put(at, kLineEnd);
  at = PutLine(at, *right_);
  file.Advance(at);
  file.Write(kml::kQuadPolygonClose);
}

}  // namespace zeltlog
