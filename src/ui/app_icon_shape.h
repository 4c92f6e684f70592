// The application icon as plain shapes, free of any window toolkit: the
// window draws them, and the build exports them as the PNG files of the
// desktop's icon theme, so that both show the same picture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zeltlog::ui {

struct IconRectangle {
  int x = 0, y = 0, width = 0, height = 0;
  uint8_t red = 0, green = 0, blue = 0;
};

// A field, three swaths with the middle one still to spray, and the flight
// path up one run, across and down the next; painted in order.
inline std::vector<IconRectangle> AppIconShapes(int size) {
  const int stripe = size / 4;
  const int pen = std::max(1, size / 16);
  const int left = stripe, right = size - stripe, top = size / 8, bottom = size - size / 8;
  const int half = pen / 2;
  return {
      {0, 0, size, size, 46, 96, 40},
      {stripe / 2, 0, stripe, size, 120, 190, 80},
      {size - stripe / 2 - stripe, 0, stripe, size, 120, 190, 80},
      {left - half, top - half, pen, bottom - top + pen, 230, 30, 30},
      {left - half, top - half, right - left + pen, pen, 230, 30, 30},
      {right - half, top - half, pen, bottom - top + pen, 230, 30, 30},
  };
}

}  // namespace zeltlog::ui
