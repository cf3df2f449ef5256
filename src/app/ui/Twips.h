// Window positions are given in twips, 15 to a pixel.
#pragma once

namespace app {

constexpr int twips(int t) {
    return t / 15;
}

} // namespace app
