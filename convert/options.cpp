#include "convert/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseSize(const char* text, double* out)
{
    char* end = nullptr;
    errno = 0;
    const double v = strtod(text, &end);
    // The file stores floats; keep well inside their range.
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v) || v <= 0 || v > 1e6)
        return false;
    *out = v;
    return true;
}

bool ParseCount(const char* text, size_t* out)
{
    char* end = nullptr;
    errno = 0;
    if (*text < '0' || *text > '9')
        return false;
    const unsigned long long v = strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < 1 || v > 100000000ull)
        return false;
    *out = (size_t)v;
    return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, ConvertOptions* options, std::string* error)
{
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            options->help = true;
        } else if (strcmp(arg, "--flat") == 0) {
            options->flat = true;
        } else if (strcmp(arg, "--parts") == 0) {
            options->parts = true;
        } else if (strcmp(arg, "--size") == 0) {
            if (!hasValue || !ParseSize(argv[++i], &options->placement.size)) {
                *error = "--size needs a number above 0 and up to 1000000";
                return false;
            }
        } else if (strcmp(arg, "--up") == 0) {
            const char* axis = hasValue ? argv[++i] : "";
            if (strcmp(axis, "y") == 0 || strcmp(axis, "Y") == 0) {
                options->placement.up = UpAxis::Y;
            } else if (strcmp(axis, "z") == 0 || strcmp(axis, "Z") == 0) {
                options->placement.up = UpAxis::Z;
            } else {
                *error = "--up takes y or z";
                return false;
            }
        } else if (strcmp(arg, "--max-triangles") == 0) {
            if (!hasValue || !ParseCount(argv[++i], &options->maxTriangles)) {
                *error = "--max-triangles needs a whole number from 1 to 100000000";
                return false;
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            *error = std::string("unknown option ") + arg;
            return false;
        } else if (positional == 0) {
            options->input = arg;
            ++positional;
        } else if (positional == 1) {
            options->output = arg;
            ++positional;
        } else {
            *error = std::string("one input and one output at most: ") + arg;
            return false;
        }
    }
    if (!options->help && options->input.empty()) {
        *error = "no input file";
        return false;
    }
    if (options->output.empty()) {
        *error = "the output name is empty";
        return false;
    }
    return true;
}

std::string UsageText(const std::string& formats)
{
    return "usage: morvella-convert INPUT [OUTPUT] [options]\n"
           "Turns a 3D model into the model file of the Morvella screen saver\n"
           "(OUTPUT, morvella.dat by default), placed so that every animation shows it.\n"
           "The whole model becomes one object, which the saver colours, textures and\n"
           "animates; a model of more than 21,845 triangles is simplified to fit it.\n"
           "  --size S           largest extent of the object (default 24, the side of\n"
           "                     the saver's own square)\n"
           "  --up y|z           the file's axis that points up (default y; many STL\n"
           "                     files need z; 3DS files are turned y-up when read)\n"
           "  --flat             faceted shading, one normal per triangle\n"
           "  --max-triangles N  simplify to at most N triangles\n"
           "  --parts            an object for each mesh and material, in the file's\n"
           "                     colours; only the first one takes the saver's colour\n"
           "                     and texture and moves in the wave, vortex and flag\n"
           "Reads: " + formats + "\n";
}
