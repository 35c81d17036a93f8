// The default model shipped as morvella.dat: a flat square grid, built in
// memory so that the generator, the benchmarks and the fuzz seeds share it.
#ifndef MORVELLA_TOOLS_DEFAULT_MODEL_H
#define MORVELLA_TOOLS_DEFAULT_MODEL_H

#include <vector>

// Squares along each side of the default model (see default_model.cpp).
constexpr int DefaultModelGrid = 32;

// The whole file: the 140-byte header followed by the body. `grid` squares
// per side; each square is two triangles of one triangle list.
std::vector<unsigned char> BuildDefaultModelFile(int grid = DefaultModelGrid);

#endif
