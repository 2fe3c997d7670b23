// The image tool: a window that shows a picture (a BMP file or a screenshot)
// so that positions and colours can be taken from it with the editor's F11.
#pragma once

#include "app/dialog_base.h"
#include "res/resource.h"

namespace tora {

class CPicDlg : public DialogBase {
 public:
  // Creates the window when there is none (modeless, owned by nobody so
  // that it stays when the editor closes); false when it cannot be made.
  bool Open(HINSTANCE instance);

  // F11 over the tool: when the window under the screen point is the tool
  // itself, the point in picture coordinates (client coordinates of the
  // picture control; inside it, moved by the scroll offsets and the
  // one-pixel frame). False when the point is not over the tool.
  bool PicturePoint(POINT screen, POINT& picture) const;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace tora
