#include "object/model_check.h"

#include "assets/model_data.h"

#include <cstring>

bool SaverTakesModel(const unsigned char* bytes, size_t size)
{
    if (!bytes || size < ModelHeaderSize || size - ModelHeaderSize > 0x7FFFFFFFu ||
        memcmp(bytes, "CONVLWO", ModelMagicSize) != 0)
        return false;
    ModelCheck check;
    CheckModelImage(bytes + ModelHeaderSize, (int32_t)(size - ModelHeaderSize), &check);
    return check.status == ModelLoaded && check.objectCount > 0;
}
