#include "core/fixed_point.h"

#include <string>

#include "core/text_format.h"

namespace zeltlog {

char* fixed_detail::WriteFixedSlowly(char* out, double value, int width, int precision) {
  std::string text;
  AppendFixed(text, value, width, precision);
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace zeltlog
