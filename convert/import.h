// Reading a 3D model file into parts of triangles, in the file's own
// coordinates (right-handed, front faces counter-clockwise, as the common
// formats and the import libraries agree), with every node transform
// applied, by the model-import library.
#ifndef MORVELLA_CONVERT_IMPORT_H
#define MORVELLA_CONVERT_IMPORT_H

#include "convert/mesh.h"

#include <string>

struct ImportResult {
    bool ok = false;
    std::string error;           // why the file could not be read, when not ok
    size_t skippedPrimitives = 0;  // points and lines, which have no surface
};

ImportResult ImportModel(const std::string& path, Scene* scene);

// The triangles of a scene the library has read (or that was made in
// memory), each mesh placed by every node that names it.
struct aiScene;
ImportResult ImportScene(const aiScene& read, Scene* scene);

// What this build reads, for the usage text.
std::string ImportFormats();

#endif
