#include "src/editor/ulvo_pi_doc.h"

#include "src/editor/ulvo_filter_view.h"
#include "src/resources/editor_ids.h"

namespace ulvo {

bool CUlvoPiDoc::OnCommand(uint32_t id) {
  if (id != ID_ULVO_FINISH) return false;
  if (view_ != nullptr && view_->window() != 0)
    queue_.Post(view_->window(), kMsgEndEditor, ID_ULVO_FINISH, 0);
  return true;
}

}  // namespace ulvo
