// The converter's command line:
//   morvella-convert INPUT [OUTPUT] [--size S] [--up y|z] [--flat] [--max-triangles N] [--parts]
#ifndef MORVELLA_CONVERT_OPTIONS_H
#define MORVELLA_CONVERT_OPTIONS_H

#include "convert/place.h"

#include <string>

struct ConvertOptions {
    std::string input;
    std::string output = "morvella.dat";
    Placement placement;
    bool flat = false;
    size_t maxTriangles = 0;   // 0: as many as one object holds (every one with parts)
    bool parts = false;        // an object for each mesh and material
    bool help = false;
};

// False with the reason in error for a command line that is not usage.
bool ParseOptions(int argc, char** argv, ConvertOptions* options, std::string* error);

std::string UsageText(const std::string& formats);

#endif
