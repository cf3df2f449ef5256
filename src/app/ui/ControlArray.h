// Control arrays, indexed 1 to 8 as the program's routines count anchors;
// index 0 is unused.
#pragma once

#include <array>

namespace app {

template <class T> using ControlArray = std::array<T*, 9>;

} // namespace app
