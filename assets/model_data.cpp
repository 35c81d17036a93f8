#include "assets/model_data.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kModelMagic[ModelMagicSize] = {'C', 'O', 'N', 'V', 'L', 'W', 'O'};

// Byte offsets of the fields the loader follows.
enum {
    RecordVertsPerPolygon = 4,
    RecordPolygonCount = 8,
    RecordVertexOffset = 288,
    RecordNextOffset = 292,
};

uint32_t ReadLe32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
           ((uint32_t)p[3] << 24);
}

int32_t ReadLeInt32(const unsigned char* p)
{
    const uint32_t u = ReadLe32(p);
    int32_t v;
    memcpy(&v, &u, sizeof(v));
    return v;
}

void ReleaseBuffers(ModelData* model)
{
    free(model->image);
    free(model->saved);
    free(model->objects);
    model->image = nullptr;
    model->saved = nullptr;
    model->objects = nullptr;
    model->imageSize = 0;
    model->objectCount = 0;
}

bool Fail(ModelData* model, FILE* file, int32_t status)
{
    if (file)
        fclose(file);
    ReleaseBuffers(model);
    model->loadStatus = status;
    return false;
}

// Fills the reference table from a checked image.
void BuildObjectTable(ModelData* model)
{
    uint32_t offset = 0;
    for (int32_t i = 0; i < model->objectCount; ++i) {
        const unsigned char* at = model->image + offset;
        ModelObjectRef* ref = &model->objects[i];
        ref->record = (ModelObject*)(model->image + offset);
        ref->vertsPerPolygon = ReadLeInt32(at + RecordVertsPerPolygon);
        ref->polygonCount = ReadLeInt32(at + RecordPolygonCount);
        ref->vertexCount = ref->vertsPerPolygon * ref->polygonCount;
        const uint32_t vertexOffset = ReadLe32(at + RecordVertexOffset);
        // An object without vertices may name any offset; keep its reference
        // inside the image all the same.
        ref->vertices = (ModelVertex*)(model->image +
            (vertexOffset <= (uint32_t)model->imageSize ? vertexOffset : 0));
        ref->resolved = 0;
        ref->texture = nullptr;
        offset = ReadLe32(at + RecordNextOffset);
    }
}

}  // namespace

void ClearModelData(ModelData* model)
{
    memset(model, 0, sizeof(*model));
}

void CheckModelImage(const unsigned char* image, int32_t size, ModelCheck* out)
{
    out->status = ModelLoaded;
    out->objectCount = 0;
    out->recordOffset = 0;
    const uint64_t bodySize = size > 0 ? (uint64_t)size : 0;
    // Every record start lies in [0, bodySize - 372]; a chain with more
    // drawable records than there are such starts must visit one twice.
    const uint64_t recordStarts = bodySize >= ModelRecordSize ? bodySize - ModelRecordSize + 1 : 0;
    uint64_t offset = 0;
    int32_t count = 0;
    for (;;) {
        out->recordOffset = (uint32_t)offset;
        if (offset + ModelRecordSize > bodySize) {
            out->status = ModelRecordOutside;
            break;
        }
        const unsigned char* at = image + offset;
        const uint32_t next = ReadLe32(at + RecordNextOffset);
        if (next == 0)
            break;  // the ending record: only its nextOffset is read
        const int32_t perPolygon = ReadLeInt32(at + RecordVertsPerPolygon);
        const int32_t polygons = ReadLeInt32(at + RecordPolygonCount);
        if (perPolygon < 0 || polygons < 0) {
            out->status = ModelNegativeCount;
            break;
        }
        const uint64_t vertices = (uint64_t)perPolygon * (uint64_t)polygons;
        const uint64_t vertexOffset = ReadLe32(at + RecordVertexOffset);
        if (vertices > 0 &&
            (vertexOffset > bodySize || vertices > (bodySize - vertexOffset) / ModelVertexSize)) {
            out->status = ModelVerticesOutside;
            break;
        }
        if ((uint64_t)count + 1 > recordStarts) {
            out->status = ModelChainLoop;
            break;
        }
        ++count;
        offset = next;
    }
    out->objectCount = count;
}

bool LoadModelFile(ModelData* model, const char* path)
{
    // A model loaded before goes with its textures, not just its buffers.
    FreeModelData(model);
    model->directory[0] = '\0';
    const size_t length = strlen(path);
    if (length >= ModelPathSize) {
        model->loadStatus = ModelPathTooLong;
        return false;
    }
    memcpy(model->directory, path, length + 1);
    for (size_t i = length; i > 0 && model->directory[i - 1] != '\\'; --i)
        model->directory[i - 1] = '\0';

    FILE* file = fopen(path, "rb");
    if (!file)
        return Fail(model, nullptr, ModelOpenFailed);
    // The size from the open file itself (a file of 2 GB or more has no
    // size a 32-bit long can tell, and is refused as unknown).
    long fileSize = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        fileSize = ftell(file);
    if (fileSize < 0 || fseek(file, 0, SEEK_SET) != 0)
        return Fail(model, file, ModelSizeUnknown);
    if (fileSize < ModelHeaderSize)
        return Fail(model, file, ModelTooShort);
    const uint64_t bodySize = (uint64_t)fileSize - ModelHeaderSize;
    if (bodySize > 0x7FFFFFFFu)
        return Fail(model, file, ModelTooLarge);
    // One byte at least, so that an empty body is not mistaken for a failed
    // allocation; the content check refuses it anyway.
    model->image = (unsigned char*)malloc(bodySize ? (size_t)bodySize : 1);
    if (!model->image)
        return Fail(model, file, ModelNoMemory);
    model->imageSize = (int32_t)bodySize;

    unsigned char header[ModelHeaderSize];
    if (fread(header, 1, ModelHeaderSize, file) != ModelHeaderSize)
        return Fail(model, file, ModelShortHeader);
    if (memcmp(header, kModelMagic, ModelMagicSize) != 0)
        return Fail(model, file, ModelBadMagic);
    if (fread(model->image, 1, (size_t)bodySize, file) != (size_t)bodySize)
        return Fail(model, file, ModelShortBody);
    fclose(file);

    ModelCheck check;
    CheckModelImage(model->image, model->imageSize, &check);
    if (check.status != ModelLoaded)
        return Fail(model, nullptr, check.status);
    if (check.objectCount > 0) {
        size_t tableBytes = 0;
        if (!ModelObjectTableBytes(check.objectCount, &tableBytes))
            return Fail(model, nullptr, ModelTooLarge);
        model->objects = (ModelObjectRef*)malloc(tableBytes);
        if (!model->objects)
            return Fail(model, nullptr, ModelNoMemory);
    }
    model->objectCount = check.objectCount;
    BuildObjectTable(model);
    model->loadStatus = ModelLoaded;
    return true;
}

bool SaveModelSnapshot(ModelData* model)
{
    if (!model->image)
        return false;
    if (!model->saved) {
        model->saved = (unsigned char*)malloc(model->imageSize ? (size_t)model->imageSize : 1);
        if (!model->saved)
            return false;
    }
    memcpy(model->saved, model->image, (size_t)model->imageSize);
    return true;
}

bool RestoreModelSnapshot(ModelData* model)
{
    if (!model->image || !model->saved)
        return false;
    memcpy(model->image, model->saved, (size_t)model->imageSize);
    return true;
}

void FreeModelData(ModelData* model)
{
    if (model->image) {
        for (int32_t i = 0; i < model->objectCount && model->objects[i].resolved; ++i) {
            ModelObjectRef* ref = &model->objects[i];
            if (ref->texture && model->releaseTexture)
                model->releaseTexture(ref->texture);
            ref->texture = nullptr;
            ref->record->texture = 0;
        }
    }
    ReleaseBuffers(model);
}

bool ResolveModelObject(ModelData* model, int32_t index, void* texture)
{
    if (index < 0 || index >= model->objectCount)
        return false;
    ModelObjectRef* ref = &model->objects[index];
    ref->texture = texture;
    ref->resolved = 1;
    ref->record->resolved = 1;
    return true;
}

ModelObject* ModelFirstRecord(ModelData* model)
{
    return model->image ? (ModelObject*)model->image : nullptr;
}

ModelVertex* ModelFirstObjectVertices(ModelData* model, int32_t* count)
{
    if (!model->image || model->objectCount < 1 || model->objects[0].vertexCount < 1) {
        *count = 0;
        return nullptr;
    }
    *count = model->objects[0].vertexCount;
    return model->objects[0].vertices;
}

int32_t ModelTextureNameLength(const ModelObject* record)
{
    int32_t n = 0;
    while (n < (int32_t)sizeof(record->textureName) && record->textureName[n] != '\0')
        ++n;
    return n;
}
