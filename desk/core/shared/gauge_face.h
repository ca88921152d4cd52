// The face of the tempo and speed gauges: the needle's tip travels a half circle of 500 twips
// around the point 60 twips above the picture's centre (ArcX, ArcY), and the needle turns about
// the picture's centre. The face draws that arc, ticks at its ends and middle, and the hub.
#pragma once

#include "desk/ui/ui.h"

namespace velt::desk {

constexpr double kGaugeRadius = 500;      // twips from the arc's centre to the needle's tip
constexpr double kGaugeArcRaise = 60;     // the arc's centre above the picture's centre
constexpr double kGaugeMinHeight = 1200;  // room for the tip at the top and the hub below

// Clears the picture to white and draws the face.
void DrawGaugeFace(ui::PictureBox& dial);

}  // namespace velt::desk
