// ImageView: a view showing an image (recorded by name; nothing is drawn).
//
// Main thread only.
#pragma once

#include "platform/ui/view.h"

namespace zt {

class ImageView : public View {
 public:
  using View::View;

  const Image& image() const { return image_; }
  void setImage(Image image) { image_ = std::move(image); }

 private:
  Image image_;
};

}  // namespace zt
