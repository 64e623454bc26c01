// frmPelorin, the usage window: its layout and its event handlers.
#pragma once

#include "platform/platform.h"

namespace frmPelorin {

enum ControlId : int { txtHelp = 1, Close = 2 };

// The window as the platform shows it: caption, client size and controls in twips.
platform::FormDescription Describe();

// Fills txtHelp with the usage text, one line at a time.
void Form_Load(platform::ModalForm& form);

// Unloads the window.
void Close_Click(platform::ModalForm& form);

} // namespace frmPelorin
