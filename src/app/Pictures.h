// The program's own pictures, drawn rather than shipped: the logo, the
// sensor-state pictures, the borehole drawings of the installation tab and the
// few command icons that no standard icon fits.
#pragma once

#include <QImage>
#include <QSize>

#include <array>

namespace app::pictures {

// The maker's logo for the data folder, the about window and report headers.
// White background, 600 x 200 pixels.
QImage logo();

// The sensor-state pictures beside the Destroyed box, 32 x 32.
QImage alive();
QImage dead();

enum class Head { Collar, Toe };

// Where the parts of the borehole drawing fall, in the drawing's own pixels:
// the vertical centres of the head and of anchors 1 to 8, and the roof line
// (the collar of the hole, where the drift's roof is).
struct BoreholeRows {
    int head = 0;
    std::array<int, 8> anchors{};
    int roof = 0;
};

// The borehole drawn with the measuring head at the collar or at the toe, so
// that the head and anchor boxes placed beside it line up with its rows.
QImage borehole(Head head, QSize size, const BoreholeRows& rows);

// Command icons of our own, 32 x 32 on a transparent background.
QImage plusIcon();              // add
QImage filterIcon(bool remove); // funnel; crossed out to remove the filter
QImage globeIcon();             // the web site
QImage databaseIcon();          // the database file

// Ticked and empty boxes for tick columns of grids, 16 x 16.
QImage tickBox(bool ticked);

} // namespace app::pictures
