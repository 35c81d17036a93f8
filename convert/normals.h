// Unit normals for every corner. Flat shading gives each corner its
// triangle's normal. Otherwise the file's normals are kept (made unit
// length), and where a part has none, or only one per facet (as every STL
// file), each corner gets the area-weighted average of the triangles around
// its point that meet it at less than 60 degrees: curved surfaces shade
// smoothly while the edges of a box stay sharp. The time this takes grows
// with the number of triangles, however many share one point.
#ifndef MORVELLA_CONVERT_NORMALS_H
#define MORVELLA_CONVERT_NORMALS_H

#include "convert/mesh.h"

// Returns how many parts got made smooth normals.
size_t MakeNormals(Scene* scene, bool flat);

#endif
