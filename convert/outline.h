// The outline of a surface: its open edges (those of one triangle only),
// the edge of a flat logo or the rim of a bowl. Simplifying may move it;
// this measures by how much.
#ifndef MORVELLA_CONVERT_OUTLINE_H
#define MORVELLA_CONVERT_OUTLINE_H

#include "convert/mesh.h"

#include <vector>

struct OutlineShift {
    double moved = 0;       // the farthest a point of either outline lies from the other
    bool opened = false;    // the surface had no open edges and now has
    bool closed = false;    // the surface had open edges and now has none
};

// Compares the outlines of two triangle lists (three corners a triangle,
// positions only), measured to about `step`. Corners at the same point
// are one point.
OutlineShift CompareOutlines(const std::vector<Vec3>& before, const std::vector<Vec3>& after, double step);

#endif
