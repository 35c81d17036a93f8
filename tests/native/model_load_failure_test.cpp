// The loader's outcomes that only a failing file system produces: a size that
// cannot be read, a size too large, a header or body that reads short. The
// C library's ftell and fread are stood in for while one load runs (this
// program's own definitions take the calls of the code linked into it);
// otherwise they pass every call on. Linux only: the stand-ins need the
// dynamic linker's lookup of the real functions.
#if defined(__linux__)

#include "assets/model_data.h"
#include "model_fixture.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

// What the stand-ins do during one load; all off outside it.
struct Failure {
    long size = -2;           // ftell's answer when >= -1
    int shortRead = 0;        // the fread call (1 = header, 2 = body) that reads one byte less
    int reads = 0;
} armed;
bool active = false;

}  // namespace

extern "C" long ftell(FILE* file)
{
    using Fn = long (*)(FILE*);
    static Fn real = (Fn)dlsym(RTLD_NEXT, "ftell");
    if (active && armed.size >= -1)
        return armed.size;
    return real(file);
}

extern "C" size_t fread(void* to, size_t size, size_t count, FILE* file)
{
    using Fn = size_t (*)(void*, size_t, size_t, FILE*);
    static Fn real = (Fn)dlsym(RTLD_NEXT, "fread");
    if (active && ++armed.reads == armed.shortRead && count > 0)
        return real(to, size, count - 1, file);
    return real(to, size, count, file);
}

namespace {

TEST(ModelLoader, FailuresOfTheFileItselfAreRefusedForTheirReason)
{
    // A good one-object file: the stand-ins alone make each load fail.
    fixture::Body body;
    body.Record(0, 3, 1, 744, 372);
    body.Record(372, 0, 0, 0, 0);
    body.bytes.resize(744 + 3 * 32);
    std::vector<unsigned char> file(ModelHeaderSize, ' ');
    memcpy(file.data(), "CONVLWO", 7);
    file.insert(file.end(), body.bytes.begin(), body.bytes.end());
    const std::string path = fixture::WriteFile("failures.dat", file);

    struct Case {
        const char* name;
        long size;
        int shortRead;
        int32_t status;
    } cases[] = {
        {"nothing fails", -2, 0, ModelLoaded},
        {"size unknown", -1, 0, ModelSizeUnknown},
        // 2^31 body bytes: one past what a 32-bit signed size holds.
        {"body of 2 GiB", 0x80000000L + ModelHeaderSize, 0, ModelTooLarge},
        {"short header", -2, 1, ModelShortHeader},
        {"short body", -2, 2, ModelShortBody},
    };
    for (const Case& c : cases) {
        ModelData model;
        ClearModelData(&model);
        armed = Failure();
        armed.size = c.size;
        armed.shortRead = c.shortRead;
        active = true;
        const bool ok = LoadModelFile(&model, path.c_str());
        active = false;
        EXPECT_EQ(model.loadStatus, c.status) << c.name;
        EXPECT_EQ(ok, c.status == ModelLoaded) << c.name;
        EXPECT_EQ(model.image == nullptr, !ok) << c.name;
        FreeModelData(&model);
    }
    remove(path.c_str());
}

}  // namespace

#endif
