// frmPelorin, the usage window: its layout and its event handlers.
#pragma once

#include "platform/platform.h"

namespace frmPelorin {

// Not 1 or 2: the dialog manager takes those for OK and Cancel, and maps Enter and Esc to them.
enum ControlId : int { txtHelp = 100, Close = 101 };

// The window as the platform shows it: caption, client size and controls in twips.
platform::FormDescription Describe();

// Fills txtHelp with the usage text, one line at a time.
void Form_Load(platform::ModalForm& form);

// Unloads the window.
void Close_Click(platform::ModalForm& form);

} // namespace frmPelorin
