// UIZemraTextView: the text field of a settings row. It is the widget model's multi-line text
// view with one change: its content inset is always zero, whatever is set, so the text sits
// flush in the row. The settings screen also tells its own fields apart from a reused cell's
// other views by this class.
//
// Main thread only, like every view.
#pragma once

#include "platform/ui/text_view.h"

namespace zt {

class UIZemraTextView : public TextView {
 public:
  using TextView::TextView;

  EdgeInsets contentInset() const override;
};

}  // namespace zt
