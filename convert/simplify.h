// Reducing the triangle count to a budget, for machines whose renderer pays
// for every triangle.
#ifndef MORVELLA_CONVERT_SIMPLIFY_H
#define MORVELLA_CONVERT_SIMPLIFY_H

#include "convert/mesh.h"

struct SimplifyReport {
    size_t before = 0;
    size_t after = 0;
    double error = 0;         // largest deviation, as a share of the object's extent
    bool outlineKept = true;  // false when the budget could only be met by
                              // a simplification that ignores the surface's
                              // topology (its outline and holes)
};

// Brings the scene down to at most maxTriangles triangles (each part keeps
// its share and at least one triangle). The surviving corners keep their
// positions and texture coordinates; the normals are dropped, to be made
// anew from the simplified surface.
void SimplifyScene(Scene* scene, size_t maxTriangles, SimplifyReport* report);

#endif
