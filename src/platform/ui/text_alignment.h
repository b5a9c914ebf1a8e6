// Horizontal alignment of a label's or a text input's text.
#pragma once

namespace zt {

enum class TextAlignment { Left, Center, Right };

}  // namespace zt
