// The whole conversion, from a model file to a checked morvella.dat.
#ifndef MORVELLA_CONVERT_CONVERT_H
#define MORVELLA_CONVERT_CONVERT_H

#include "convert/clean.h"
#include "convert/layout.h"
#include "convert/mesh.h"
#include "convert/options.h"
#include "convert/orient.h"
#include "convert/place.h"
#include "convert/simplify.h"

#include <functional>
#include <string>
#include <vector>

// Where a conversion is, for a window that shows its progress.
enum class ConvertStage { Reading, Preparing, Simplifying, Writing };
typedef std::function<void(ConvertStage)> ConvertProgress;

struct ConvertReport {
    bool ok = false;
    std::string error;              // one line, when not ok
    bool outputAtFault = false;     // the error concerns the output, not the input
    size_t inputParts = 0;
    size_t inputTriangles = 0;
    size_t skippedPrimitives = 0;   // points and lines
    CleanCounts clean;
    OrientCounts orient;
    PlaceReport place;
    bool onePart = false;           // the whole model made one object
    bool coloursNotShown = false;   // made one object, the file's own colours
                                    // or textures give way to the saver's
    bool simplified = false;
    bool fitOneDraw = false;        // simplified because one object holds no more
    SimplifyReport simplify;
    size_t generatedNormals = 0;    // parts, before simplification
    bool normalsAfterSimplify = false;
    LayoutReport layout;
    std::vector<PlannedObject> objects;
    size_t triangles = 0, vertices = 0;
    size_t bytes = 0;
};

// progress, when given, is told each stage as it begins.
ConvertReport ConvertModel(const ConvertOptions& options, const ConvertProgress& progress = ConvertProgress());

// The stages after the import, on a scene however it was read: clean,
// place, orient, simplify, normals, lay out, write to options.output and
// check. options.input only names the source in the file's header.
ConvertReport ConvertScene(Scene* scene, const ConvertOptions& options);

// Frame time under the software renderer, from measurements of the default
// square at two sizes (2,048 triangles: 9 ms, 18,432: 27 ms).
double EstimatedFrameMs(size_t triangles);

#endif
