// Where the object goes. The saver's cameras were made for a flat square of
// side 24 lying at y = 0: four animations look straight down on it from
// heights of 5 to 100, and the orbiting one circles at radius 5 and height 2,
// looking 0.4 radian down. An object that lies below that square, centred
// on the vertical axis and no wider than the square, is seen from above by
// all of them, and from outside: the orbiting camera stays above its top
// instead of inside it. So by default the object's largest extent becomes
// 24, it is centred in x and z, and its top is put at y = 0.
//
// The files' coordinates are right-handed; the saver's device is
// left-handed (z points away from the viewer). Turning z round keeps the
// object's handedness, so text reads the right way, and turns every
// triangle's winding over, so the corners are swapped to keep the outside
// in front.
#ifndef MORVELLA_CONVERT_PLACE_H
#define MORVELLA_CONVERT_PLACE_H

#include "convert/mesh.h"

enum class UpAxis { Y, Z };

struct Placement {
    double size = 24.0;       // the largest extent after placing
    UpAxis up = UpAxis::Y;    // which axis of the file points up
};

struct PlaceReport {
    Vec3 fileExtent{0, 0, 0};  // in the file's units, with the file's axes
    Vec3 extent{0, 0, 0};      // in the saver's units and axes
    double scale = 0;
};

// Turns the file's axes into the saver's, with the winding that keeps each
// front in front.
void ToSaverAxes(Scene* scene, UpAxis up, PlaceReport* report);

// Scales and moves the object to its place and rounds positions to the
// single precision the file stores; run again after anything that may
// shrink the object. False when the object has no extent (every corner at
// one point).
bool FitScene(Scene* scene, double size, PlaceReport* report);

#endif
