// Builds without the simplifier keep every triangle.
#include "tools/convert/simplify.h"

bool SimplifierAvailable()
{
    return false;
}

void SimplifyScene(Scene* scene, size_t, SimplifyReport* report)
{
    size_t total = 0;
    for (const Part& part : scene->parts)
        total += part.Triangles();
    report->before = report->after = total;
}
