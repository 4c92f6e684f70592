// Writes the application icon as a PNG file of the given size, for the
// desktop's icon theme: make_icon_png SIZE OUTPUT.PNG
// The image data is stored uncompressed (deflate's stored blocks), which
// keeps this free of any image library; the icons are a few kilobytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/app_icon_shape.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutU32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutU32(out, Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored blocks.
Bytes Zlib(const Bytes& raw) {
  Bytes out{0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(~length));
    out.push_back(static_cast<uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + length));
    at += length;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (const uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutU32(out, (b << 16) | a);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_icon_png SIZE OUTPUT.PNG\n");
    return 2;
  }
  const int size = std::atoi(argv[1]);
  if (size < 8 || size > 1024) {
    std::fprintf(stderr, "make_icon_png: size from 8 to 1024\n");
    return 2;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3, 0);
  for (const auto& shape : zeltlog::ui::AppIconShapes(size)) {
    for (int y = std::max(0, shape.y); y < std::min(size, shape.y + shape.height); ++y) {
      for (int x = std::max(0, shape.x); x < std::min(size, shape.x + shape.width); ++x) {
        uint8_t* pixel = &rgb[(static_cast<size_t>(y) * size + x) * 3];
        pixel[0] = shape.red, pixel[1] = shape.green, pixel[2] = shape.blue;
      }
    }
  }
  Bytes raw;
  for (int y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), rgb.begin() + y * size * 3, rgb.begin() + (y + 1) * size * 3);
  }
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutU32(header, static_cast<uint32_t>(size));
  PutU32(header, static_cast<uint32_t>(size));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", Zlib(raw));
  PutChunk(png, "IEND", {});
  std::FILE* file = std::fopen(argv[2], "wb");
  if (!file) {
    std::perror(argv[2]);
    return 1;
  }
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
