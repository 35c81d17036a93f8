// Winding every triangle so that the side facing out is its front, the side
// the device's default culling keeps. Where the file has normals they tell
// which side is out, triangle by triangle. Without normals a closed part is
// turned over as a whole when its triangles face inwards (its signed volume
// is negative); an open one keeps the file's winding, the only hint there
// is.
#ifndef MORVELLA_CONVERT_ORIENT_H
#define MORVELLA_CONVERT_ORIENT_H

#include "convert/mesh.h"

struct OrientCounts {
    size_t trianglesTurned = 0;   // turned to agree with the file's normals
    size_t partsTurned = 0;       // closed parts turned over as a whole
};

void OrientScene(Scene* scene, OrientCounts* counts);

#endif
