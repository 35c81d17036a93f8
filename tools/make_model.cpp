// Writes the default morvella.dat: make_model OUTPUT [GRID]
#include "tools/default_model.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s OUTPUT [GRID]\n", argv[0]);
        return 2;
    }
    const int grid = argc == 3 ? atoi(argv[2]) : DefaultModelGrid;
    if (grid < 1 || grid > 256) {
        fprintf(stderr, "grid must be 1..256\n");
        return 2;
    }
    const std::vector<unsigned char> file = BuildDefaultModelFile(grid);
    FILE* out = fopen(argv[1], "wb");
    if (!out || fwrite(file.data(), 1, file.size(), out) != file.size() || fclose(out) != 0) {
        perror(argv[1]);
        return 1;
    }
    return 0;
}
