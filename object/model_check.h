// Whether the saver would show a file as its object: the checks of its own
// loader (header, magic, every record and vertex array inside the body, no
// loop), and at least one object to draw.
#ifndef MORVELLA_OBJECT_MODEL_CHECK_H
#define MORVELLA_OBJECT_MODEL_CHECK_H

#include <cstddef>

bool SaverTakesModel(const unsigned char* bytes, size_t size);

#endif
