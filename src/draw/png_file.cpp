#include "draw/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// libpng reports errors by a long jump; the file and the write structures are closed here.
bool WriteRows(FILE* fp, int w, int h, const std::vector<png_byte>& rgb) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, fp);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePngFile(const char* path, int w, int h, const uint32_t* argb) {
  if (!path || !argb || w <= 0 || h <= 0) return false;
  std::vector<png_byte> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  for (size_t i = 0, n = static_cast<size_t>(w) * static_cast<size_t>(h); i < n; ++i) {
    rgb[i * 3] = static_cast<png_byte>(argb[i] >> 16);
    rgb[i * 3 + 1] = static_cast<png_byte>(argb[i] >> 8);
    rgb[i * 3 + 2] = static_cast<png_byte>(argb[i]);
  }
  FILE* fp = std::fopen(path, "wb");
  if (!fp) return false;
  const bool ok = WriteRows(fp, w, h, rgb);
  return std::fclose(fp) == 0 && ok;
}
