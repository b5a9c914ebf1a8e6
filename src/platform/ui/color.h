// Colours, images and fonts of the widget model. They are recorded, never rendered: an image is
// its resource name, a pattern colour is the name of the image it repeats.
//
// Plain values; no threading rules of their own.
#pragma once

#include <string>
#include <utility>

namespace zt {

struct Image {
  std::string name;
  static Image named(std::string name) { return Image{std::move(name)}; }
  bool empty() const { return name.empty(); }
  friend bool operator==(const Image&, const Image&) = default;
};

struct Color {
  float red = 0;
  float green = 0;
  float blue = 0;
  float alpha = 0;
  std::string patternImage;  // non-empty: the image repeated as a pattern

  static Color rgba(float r, float g, float b, float a) { return Color{r, g, b, a, {}}; }
  static Color clear() { return rgba(0, 0, 0, 0); }
  static Color black() { return rgba(0, 0, 0, 1); }
  static Color white() { return rgba(1, 1, 1, 1); }
  static Color gray() { return rgba(0.5f, 0.5f, 0.5f, 1); }
  static Color pattern(const Image& image) { return Color{0, 0, 0, 1, image.name}; }
  bool isClear() const { return alpha == 0 && patternImage.empty(); }
  friend bool operator==(const Color&, const Color&) = default;
};

struct Font {
  std::string name = "Helvetica";
  float size = 17;
  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace zt
