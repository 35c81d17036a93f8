// Reducing the triangle count to a budget: the saver's one draw, or fewer
// for machines whose renderer pays for every triangle.
#ifndef MORVELLA_CONVERT_SIMPLIFY_H
#define MORVELLA_CONVERT_SIMPLIFY_H

#include "convert/mesh.h"

struct SimplifyReport {
    size_t before = 0;
    size_t after = 0;
    size_t budget = 0;
    size_t parts = 0;
    double error = 0;          // largest deviation, as a share of the part's extent
    bool outlineKept = true;   // false when the budget could only be met by
                               // a simplification that ignores the surface's
                               // topology (its outline and holes)
    // The outline's movement, as a share of the object's largest extent,
    // and whether open edges appeared or vanished.
    double outlineMoved = 0;
    size_t turnedBack = 0;     // triangles the simplification had turned over
    bool holesOpened = false, outlineClosed = false;
    // Why more than the budget is left, when it is: every part keeps at
    // least one triangle, or a part cannot become smaller without vanishing.
    bool tooManyParts = false;
    bool partsAtTheirFewest = false;
};

// Brings the scene down to at most maxTriangles triangles where that can be
// done without losing a part: each part keeps its share of the budget and at
// least one triangle. The surviving corners keep their positions and
// texture coordinates; the normals of simplified parts are dropped, to be
// made anew from the simplified surface.
void SimplifyScene(Scene* scene, size_t maxTriangles, SimplifyReport* report);

#endif
