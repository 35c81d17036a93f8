// Which corners of a triangle list stand at one point, and how many
// triangles share each edge: what telling a closed surface from an open
// one, smoothing normals and finding an outline start from.
#ifndef MORVELLA_CONVERT_POSITIONS_H
#define MORVELLA_CONVERT_POSITIONS_H

#include "convert/mesh.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// An id for each corner: corners at the same point share one (+0 and -0
// are one point), numbered in the order the points first appear.
std::vector<unsigned> PositionIds(const std::vector<Vec3>& points, unsigned* distinct);
std::vector<unsigned> PositionIds(const Part& part, unsigned* distinct);

// The edges of the triangles given by their corners' ids (three a
// triangle), with how many triangles use each. An edge's key holds the
// lower id in its high half; two corners at one point make no edge.
std::unordered_map<uint64_t, unsigned> EdgeUses(const std::vector<unsigned>& ids);
inline unsigned EdgeStart(uint64_t key) { return (unsigned)(key >> 32); }
inline unsigned EdgeEnd(uint64_t key) { return (unsigned)(key & 0xFFFFFFFFu); }

#endif
