// Horizontal alignment of a label's or a text input's text. A plain value.
#pragma once

namespace zt {

enum class TextAlignment { Left, Center, Right };

}  // namespace zt
