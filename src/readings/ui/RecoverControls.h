// The control of the Utilities tab that opens the recycle area.
#pragma once

class QToolButton;

namespace readings {

struct RecoverControls {
    QToolButton* imgRecover = nullptr;
};

} // namespace readings
