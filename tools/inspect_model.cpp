// Inspects model files with the saver's own loader:
//   inspect_model FILE...                 describe each file; exit 1 if any is refused
//   inspect_model --expect-refused LIST FILE...
//       exit 0 only if every file is refused for the reason LIST gives for
//       its name (lines "NAME REASON", REASON one of the keys of kReasons)
//       and every name of LIST is among the files (a lost file is no pass)
#include "assets/model_data.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

const char* StatusText(int32_t status)
{
    switch (status) {
    case ModelLoaded: return "accepted";
    case ModelPathTooLong: return "path longer than 259 characters";
    case ModelOpenFailed: return "cannot be opened";
    case ModelSizeUnknown: return "size cannot be read";
    case ModelTooShort: return "shorter than the 140-byte header";
    case ModelTooLarge: return "body too large";
    case ModelNoMemory: return "out of memory";
    case ModelShortHeader: return "header cannot be read";
    case ModelBadMagic: return "does not start with CONVLWO";
    case ModelShortBody: return "body shorter than the file size";
    case ModelRecordOutside: return "an object record lies outside the body";
    case ModelNegativeCount: return "a vertex or polygon count is negative";
    case ModelVerticesOutside: return "a vertex array lies outside the body";
    case ModelChainLoop: return "the chain of object records loops";
    }
    return "unknown failure";
}

// Short names of the refusals, for lists of expected outcomes.
const struct {
    const char* key;
    int32_t status;
} kReasons[] = {
    {"too-short", ModelTooShort},       {"too-large", ModelTooLarge},
    {"short-header", ModelShortHeader}, {"bad-magic", ModelBadMagic},
    {"short-body", ModelShortBody},     {"record-outside", ModelRecordOutside},
    {"negative-count", ModelNegativeCount}, {"vertices-outside", ModelVerticesOutside},
    {"chain-loop", ModelChainLoop},
};

// The reason LIST names for the file's base name, or -1 when it names none.
int32_t ExpectedReason(FILE* list, const char* path)
{
    const char* slash = strrchr(path, '/');
    const std::string name = slash ? slash + 1 : path;
    rewind(list);
    char fileName[256], key[64];
    while (fscanf(list, "%255s %63s", fileName, key) == 2) {
        if (name != fileName)
            continue;
        for (const auto& r : kReasons)
            if (strcmp(r.key, key) == 0)
                return r.status;
        return -1;
    }
    return -1;
}

const char* ShadeText(uint32_t mode)
{
    switch (mode) {
    case 1: return "flat";
    case 2: return "Gouraud";
    case 3: return "Phong";
    }
    return "other";
}

void Describe(ModelData* model)
{
    printf("  body %d bytes, %d drawable object(s)\n", model->imageSize, model->objectCount);
    for (int32_t i = 0; i < model->objectCount; ++i) {
        const ModelObjectRef* ref = &model->objects[i];
        const ModelObject* rec = ref->record;
        const int32_t nameLength = ModelTextureNameLength(rec);
        printf("  object %d at offset %u: %d polygon(s) of %d vertices = %d vertices at offset %u\n",
               (int)i, (unsigned)((const unsigned char*)rec - model->image), (int)ref->polygonCount,
               (int)ref->vertsPerPolygon, (int)ref->vertexCount,
               (unsigned)((const unsigned char*)ref->vertices - model->image));
        printf("    shading %u (%s), blend %s (src %u, dest %u), texture \"%.*s\"%s\n",
               (unsigned)rec->shadeMode, ShadeText(rec->shadeMode),
               rec->alphaBlendEnable ? "on" : "off", (unsigned)rec->srcBlend,
               (unsigned)rec->destBlend, (int)nameLength, rec->textureName,
               nameLength == (int32_t)sizeof(rec->textureName) ? " (unterminated)" : "");
        const ModelMaterial& m = rec->material;
        printf("    diffuse %.3g %.3g %.3g %.3g, power %.3g\n", m.diffuse.r, m.diffuse.g,
               m.diffuse.b, m.diffuse.a, m.power);
        if (ref->vertsPerPolygon > 0 && ref->vertsPerPolygon < 3)
            printf("    note: fewer than 3 vertices per polygon, nothing is drawn\n");
        if (ref->vertexCount > 0) {
            float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
            float hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
            for (int32_t v = 0; v < ref->vertexCount; ++v) {
                const float p[3] = {ref->vertices[v].x, ref->vertices[v].y, ref->vertices[v].z};
                for (int k = 0; k < 3; ++k) {
                    if (p[k] < lo[k]) lo[k] = p[k];
                    if (p[k] > hi[k]) hi[k] = p[k];
                }
            }
            printf("    extents x %g..%g, y %g..%g, z %g..%g\n", lo[0], hi[0], lo[1], hi[1],
                   lo[2], hi[2]);
        }
    }
    if (model->objectCount == 0)
        printf("  note: the first record ends the chain, nothing is drawn\n");
}

}  // namespace

int main(int argc, char** argv)
{
    FILE* reasons = nullptr;
    int first = 1;
    if (argc > 2 && strcmp(argv[1], "--expect-refused") == 0) {
        reasons = fopen(argv[2], "r");
        if (!reasons) {
            fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
            return 2;
        }
        first = 3;
    }
    if (first >= argc) {
        fprintf(stderr, "usage: %s [--expect-refused LIST] FILE...\n", argv[0]);
        return 2;
    }
    int unexpected = 0;
    for (int i = first; i < argc; ++i) {
        ModelData model;
        ClearModelData(&model);
        const bool ok = LoadModelFile(&model, argv[i]);
        printf("%s: %s\n", argv[i], StatusText(model.loadStatus));
        if (reasons) {
            const int32_t expected = ExpectedReason(reasons, argv[i]);
            if (expected < 0) {
                printf("  not in the list of expected refusals\n");
                ++unexpected;
            } else if (model.loadStatus != expected) {
                printf("  expected: %s\n", StatusText(expected));
                ++unexpected;
            }
        } else if (ok) {
            Describe(&model);
        } else {
            ++unexpected;
        }
        FreeModelData(&model);
    }
    if (reasons) {
        std::set<std::string> given;
        for (int i = first; i < argc; ++i) {
            const char* slash = strrchr(argv[i], '/');
            given.insert(slash ? slash + 1 : argv[i]);
        }
        rewind(reasons);
        char fileName[256], key[64];
        while (fscanf(reasons, "%255s %63s", fileName, key) == 2)
            if (!given.count(fileName)) {
                printf("%s: listed but not given\n", fileName);
                ++unexpected;
            }
        fclose(reasons);
    }
    return unexpected == 0 ? 0 : 1;
}
