// The model: the body of morvella.dat held in memory as one image that is
// drawn and deformed in place, a snapshot that undoes the deformations, and a
// table of checked references to the drawable objects kept beside the image.
//
// morvella.dat is a 140-byte header starting with the seven bytes "CONVLWO",
// followed by the body. The body is a chain of 372-byte ModelObject records,
// the first at body offset 0, each naming the next by nextOffset (0 ends the
// chain; the record that ends it is not drawn), and arrays of 32-byte
// ModelVertex records. Offsets count from the first byte of the body. All
// values are little-endian.
//
// The loader checks every offset and count it will later follow, so nothing
// that later code reaches through ModelData can lie outside the image:
//   - every record of the chain, the ending one included, lies inside the body;
//   - a drawable record's vertsPerPolygon and polygonCount are not negative and
//     its vertsPerPolygon x polygonCount vertices lie inside the body;
//   - the chain does not loop.
// A file that breaks any of these is refused like a missing one.
//
// Offsets in the image are never overwritten: the references they lead to
// (the vertex array, the next object, the texture) live in ModelData::objects,
// so they are right whatever the width of an address and survive
// RestoreModelSnapshot, which copies the image bytes back.
#ifndef MORVELLA_ASSETS_MODEL_DATA_H
#define MORVELLA_ASSETS_MODEL_DATA_H

#include <stddef.h>
#include <stdint.h>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the model image is used in place and needs a little-endian target"
#endif

// The image is used in place and records may start at any byte offset, so
// these layouts carry no alignment of their own.
#pragma pack(push, 1)

// The Direct3D D3DVERTEX layout (vertex format 0x112: position, normal, one
// texture coordinate pair).
struct ModelVertex {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};

struct ModelColor {
    float r, g, b, a;
};

// The D3DMATERIAL7 layout.
struct ModelMaterial {
    ModelColor diffuse;
    ModelColor ambient;
    ModelColor specular;
    ModelColor emissive;
    float power;
};

struct ModelObject {
    uint32_t reserved;            // not interpreted
    int32_t vertsPerPolygon;
    int32_t polygonCount;
    char textureName[260];        // may lack its terminator in a damaged file
    uint32_t shadeMode;           // D3DRENDERSTATE_SHADEMODE value
    uint32_t alphaBlendEnable;    // D3DRENDERSTATE_ALPHABLENDENABLE value
    uint32_t srcBlend;            // D3DRENDERSTATE_SRCBLEND value
    uint32_t destBlend;           // D3DRENDERSTATE_DESTBLEND value
    uint32_t vertexOffset;        // body offset of the first vertex
    uint32_t nextOffset;          // body offset of the next record, 0 = end
    ModelMaterial material;
    uint32_t texture;             // stored value unused; see ModelObjectRef
    uint32_t resolved;            // 1 once the object's texture step is done
};

#pragma pack(pop)

static_assert(sizeof(ModelVertex) == 32, "ModelVertex layout");
static_assert(sizeof(ModelMaterial) == 68, "ModelMaterial layout");
static_assert(sizeof(ModelObject) == 372, "ModelObject layout");

enum {
    ModelHeaderSize = 140,
    ModelMagicSize = 7,
    ModelRecordSize = 372,
    ModelVertexSize = 32,
    ModelPathSize = 260,
};

// Why the last LoadModelFile refused a file (ModelLoaded when it did not).
enum ModelLoadStatus {
    ModelLoaded = 0,
    ModelPathTooLong,      // the path does not fit the 260-byte directory
    ModelOpenFailed,
    ModelSizeUnknown,      // the file's size could not be read
    ModelTooShort,         // shorter than the 140-byte header
    ModelTooLarge,         // body larger than a 32-bit size, or an object table past the address space
    ModelNoMemory,
    ModelShortHeader,
    ModelBadMagic,
    ModelShortBody,        // fewer body bytes read than the size promised
    ModelRecordOutside,    // a record of the chain reaches past the body
    ModelNegativeCount,    // vertsPerPolygon or polygonCount below zero
    ModelVerticesOutside,  // a vertex array reaches past the body
    ModelChainLoop,
};

// One drawable object, in chain order. Counts and references here were
// checked at load time; read them from here, not from the record, whose
// fields the first object's vertex array may overlap in a damaged file.
struct ModelObjectRef {
    ModelObject* record;       // inside the image
    ModelVertex* vertices;     // inside the image (a valid address even for 0 vertices)
    int32_t vertsPerPolygon;
    int32_t polygonCount;
    int32_t vertexCount;       // vertsPerPolygon x polygonCount
    int32_t resolved;          // set by ResolveModelObject
    void* texture;             // the object's texture surface, or null
};

// Releases one texture surface; filled in by the render engine.
typedef void (*ModelTextureReleaseFn)(void* texture);

struct ModelData {
    unsigned char* image;      // the live body; null until loaded
    int32_t imageSize;         // bytes in image and in saved
    unsigned char* saved;      // snapshot of the prepared image; null until taken
    char directory[ModelPathSize];  // model path up to its last backslash
    ModelObjectRef* objects;   // drawable objects, chain order; ending record excluded
    int32_t objectCount;
    ModelTextureReleaseFn releaseTexture;  // used by FreeModelData; may be null
    int32_t loadStatus;        // ModelLoadStatus of the last load
};

// What CheckModelImage found.
struct ModelCheck {
    int32_t status;            // ModelLoaded or one of the content failures
    int32_t objectCount;       // drawable objects in the chain
    uint32_t recordOffset;     // offset of the record at fault
};

// Empty model: no buffers, no objects.
void ClearModelData(ModelData* model);

// Reads the model file at path (260 bytes at most with its terminator).
// Returns true when the image holds the whole body of a file with the right
// magic whose chain passes CheckModelImage; false otherwise, with the image
// empty and loadStatus telling why. A model loaded before is freed first.
bool LoadModelFile(ModelData* model, const char* path);

// Bytes of a table of `count` object references; false when that size does
// not fit in a size_t. Records may overlap, so a body under 2 GB can chain a
// billion of them: a 32-bit size_t wraps long before that table size.
// constexpr, so that a build for a 32-bit target can prove it at compile time.
constexpr bool ModelObjectTableBytes(int32_t count, size_t* bytes)
{
    const uint64_t total = (uint64_t)(count > 0 ? count : 0) * sizeof(ModelObjectRef);
    if (total > SIZE_MAX)
        return false;
    *bytes = (size_t)total;
    return true;
}
// The content checks of LoadModelFile on a body already in memory.
void CheckModelImage(const unsigned char* image, int32_t size, ModelCheck* out);

// Copies the image into the snapshot (allocated on first use). False when
// there is no image or no memory.
bool SaveModelSnapshot(ModelData* model);

// Copies the snapshot back over the image. False, copying nothing, when
// either is missing.
bool RestoreModelSnapshot(ModelData* model);

// Releases the textures of the resolved objects (in chain order, stopping at
// the first unresolved one) through releaseTexture, frees every buffer and
// leaves the model empty.
void FreeModelData(ModelData* model);

// Marks drawable object `index` as resolved and gives it its texture (null for
// none). Returns false for an index outside the table.
bool ResolveModelObject(ModelData* model, int32_t index, void* texture);

// The first record of the image (always present once loaded; it may be the
// record that ends the chain), or null with no image.
ModelObject* ModelFirstRecord(ModelData* model);

// The first drawable object's vertices and their number; null and 0 when the
// model has no drawable object or that object has no vertex.
ModelVertex* ModelFirstObjectVertices(ModelData* model, int32_t* count);

// Length of a record's texture name, never reading past its 260 bytes.
int32_t ModelTextureNameLength(const ModelObject* record);

#endif
