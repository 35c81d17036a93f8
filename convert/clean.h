// Removing what the saver cannot draw: triangles with a NaN or infinite
// coordinate, and triangles without area.
#ifndef MORVELLA_CONVERT_CLEAN_H
#define MORVELLA_CONVERT_CLEAN_H

#include "convert/mesh.h"

struct CleanCounts {
    size_t nonFinite = 0;     // triangles dropped for a NaN or infinite position
    size_t badNormals = 0;    // NaN, infinite or zero normals, made anew
    size_t badUV = 0;         // NaN or infinite texture coordinates, set to 0
    size_t degenerate = 0;    // triangles dropped for having no area
};

// Drops triangles with a non-finite position; a non-finite normal becomes
// zero (made anew later) and non-finite texture coordinates become 0.
void DropNonFinite(Scene* scene, CleanCounts* counts);

// Drops triangles whose corners, as stored, enclose no area: two corners the
// same, or all three on one line. Run on the placed, rounded positions.
void DropDegenerate(Scene* scene, CleanCounts* counts);

// Drops parts left without triangles.
void DropEmptyParts(Scene* scene);

#endif
