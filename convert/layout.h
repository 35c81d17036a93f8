// From parts to the saver's objects. The first object is the one the
// saver colours, textures and deforms, so by default the whole model is
// made one part; kept apart, the first object is made from the part with
// the largest surface. A part with more than 65,535 vertices is split: one draw
// call of a DirectX 7 device takes no more, and a larger one draws nothing
// on real drivers. Its pieces are slabs along its longer horizontal axis,
// so that each piece is one connected region of the object.
#ifndef MORVELLA_CONVERT_LAYOUT_H
#define MORVELLA_CONVERT_LAYOUT_H

#include "assets/model_data.h"
#include "convert/mesh.h"

#include <string>
#include <vector>

// Vertices of one draw call at most; a triangle list holds whole triangles.
const size_t kMaxObjectVertices = 65535;
const size_t kMaxObjectTriangles = kMaxObjectVertices / 3;

struct PlannedObject {
    std::string name;        // the part it comes from
    int piece = 1, pieces = 1;
    ModelMaterial material;
    std::string textureName;
    uint32_t shadeMode = 2;
    std::vector<ModelVertex> vertices;
};

struct LayoutReport {
    size_t partsSplit = 0;
    std::vector<std::string> texturesLeftOut;   // "name: reason", each once
};

// Makes the whole model one part, so that the saver's colour, texture and
// every animation act on all of it: the corners of every part, each with
// its normals (made beforehand), under the material of the largest.
void MergeIntoOnePart(Scene* scene);

// Orders the parts (largest surface first) and turns them into objects.
std::vector<PlannedObject> LayOutObjects(Scene* scene, bool flat, const std::string& outputDir,
                                         LayoutReport* report);

#endif
