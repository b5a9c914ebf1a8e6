#include "settings_ui/ui_zemra_text_view.h"

namespace zt {

EdgeInsets UIZemraTextView::contentInset() const { return UIEdgeInsetsZero; }

}  // namespace zt
