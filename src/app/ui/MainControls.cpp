// The controls each panel is given, taken from the window's one set.
#include "app/ui/MainControls.h"
#include "outputs/ui/DatasheetControls.h"

namespace app {

outputs::DatasheetControls MainControls::datasheetControls() const {
    outputs::DatasheetControls c;
    c.SSTab1 = SSTab1;
    c.imgDatasheet = imgDatasheet;
    return c;
}

} // namespace app
