#include "assets/model_data.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

namespace {

using fixture::Body;

const std::vector<ModelVertex> kTriangle = {
    {-1, 0, -1, 0, 1, 0, 0, 0}, {-1, 0, 1, 0, 1, 0, 0, 0}, {1, 0, -1, 0, 1, 0, 0, 0}};

int32_t StatusOf(const Body& body)
{
    ModelData model;
    const bool ok = fixture::Load(&model, body);
    EXPECT_EQ(ok, model.image != nullptr);
    FreeModelData(&model);
    return model.loadStatus;
}

TEST(ModelLoader, HeaderPathAndDirectory)
{
    const Body body = fixture::OneObject(kTriangle);
    std::vector<unsigned char> file(140, 0xFF);
    memcpy(file.data(), "CONVLWO", 7);  // only these seven bytes are compared
    file.insert(file.end(), body.bytes.begin(), body.bytes.end());
    ModelData model;
    ASSERT_TRUE(fixture::LoadBytes(&model, file));
    EXPECT_EQ(model.imageSize, (int32_t)body.bytes.size());
    EXPECT_EQ(memcmp(model.image, body.bytes.data(), body.bytes.size()), 0);
    for (int i = 0; i < 7; ++i) {
        std::vector<unsigned char> bad = file;
        bad[i] ^= 0x20;
        EXPECT_FALSE(fixture::LoadBytes(&model, bad)) << i;
        EXPECT_EQ(model.loadStatus, ModelBadMagic);
        EXPECT_EQ(model.image, nullptr);
    }
    EXPECT_FALSE(fixture::LoadBytes(&model, std::vector<unsigned char>(file.begin(), file.begin() + 139)));
    EXPECT_EQ(model.loadStatus, ModelTooShort);
    // A header alone leaves no room for the first record.
    EXPECT_FALSE(fixture::LoadBytes(&model, std::vector<unsigned char>(file.begin(), file.begin() + 140)));
    EXPECT_EQ(model.loadStatus, ModelRecordOutside);

    EXPECT_FALSE(LoadModelFile(&model, "C:\\saver\\dir\\morvella.dat"));
    EXPECT_EQ(model.loadStatus, ModelOpenFailed);
    EXPECT_STREQ(model.directory, "C:\\saver\\dir\\");
    LoadModelFile(&model, "morvella.dat");
    EXPECT_STREQ(model.directory, "");
    // A path that would overflow the directory is refused, not copied.
    EXPECT_FALSE(LoadModelFile(&model, std::string(260, 'a').c_str()));
    EXPECT_EQ(model.loadStatus, ModelPathTooLong);
    LoadModelFile(&model, std::string(259, 'a').c_str());
    EXPECT_EQ(model.loadStatus, ModelOpenFailed);
}

TEST(ModelLoader, AcceptsEveryLayoutTheFormatAllows)
{
    // A first record that ends the chain draws nothing, whatever its counts.
    Body empty;
    empty.Record(0, 3, 5, 99999, 0);
    ModelData model;
    ASSERT_TRUE(fixture::Load(&model, empty));
    EXPECT_EQ(model.objectCount, 0);
    int32_t count = -1;
    EXPECT_EQ(ModelFirstObjectVertices(&model, &count), nullptr);
    EXPECT_EQ(count, 0);

    // Records and arrays anywhere, in any order, at odd offsets, overlapping;
    // fans of four; no polygons with any vertex offset.
    Body scattered;
    scattered.Record(0, 4, 10, 1001, 3001);
    scattered.Record(3001, 2, 0, 0xFFFFFFF0u, 1500);
    scattered.Record(1500, 3, 1, 1001, 5000);
    scattered.Record(5000, 0, 0, 0, 0);
    ASSERT_TRUE(fixture::Load(&model, scattered));
    ASSERT_EQ(model.objectCount, 3);
    EXPECT_EQ(model.objects[0].vertexCount, 40);
    EXPECT_EQ((unsigned char*)model.objects[0].vertices, model.image + 1001);
    EXPECT_EQ((unsigned char*)model.objects[1].record, model.image + 3001);
    EXPECT_EQ(model.objects[1].vertexCount, 0);
    EXPECT_EQ(model.objects[2].vertexCount, 3);
    FreeModelData(&model);
}

TEST(ModelLoader, RefusesContentReachingOutsideTheBodyOrLooping)
{
    const Body body = fixture::OneObject(kTriangle);
    const uint32_t size = (uint32_t)body.bytes.size();
    struct Case {
        std::vector<std::pair<size_t, uint32_t>> writes;
        int32_t status;
    } cases[] = {
        {{{292, 0xFFFFFFFFu}}, ModelRecordOutside},
        {{{292, size - 371}}, ModelRecordOutside},        // one byte too far
        {{{4, 0xFFFFFFFFu}, {8, 0xFFFFFFFFu}}, ModelNegativeCount},  // -1 x -1 is not 1
        {{{8, 0x80000000u}}, ModelNegativeCount},
        {{{288, size - 95}}, ModelVerticesOutside},      // three vertices need 96 bytes
        {{{288, size - 96}}, ModelLoaded},
        {{{4, 0x7FFFFFFFu}, {8, 0x7FFFFFFFu}}, ModelVerticesOutside},
        {{{4, 0x40000000u}, {8, 4}}, ModelVerticesOutside},  // 2^32 vertices, 0 in 32 bits
        {{{372 + 292, 372}, {372 + 4, 3}, {372 + 8, 1}, {372 + 288, 744}}, ModelChainLoop},
        {{{372 + 292, 20000}}, ModelRecordOutside},      // a damaged second record
    };
    for (const Case& c : cases) {
        Body b = body;
        for (const auto& w : c.writes)
            b.Put32(w.first, w.second);
        EXPECT_EQ(StatusOf(b), c.status) << "case " << &c - cases;
    }
    // A loop through overlapping records at odd offsets.
    Body ring;
    ring.Record(0, 0, 0, 0, 7);
    ring.Put32(7 + 292, 13);
    ring.Record(13, 0, 0, 0, 7);
    EXPECT_EQ(StatusOf(ring), ModelChainLoop);
}

std::vector<void*> released;
void RecordRelease(void* texture) { released.push_back(texture); }

TEST(ModelData, SnapshotRestoreAndFree)
{
    ModelData model;
    ClearModelData(&model);
    EXPECT_FALSE(SaveModelSnapshot(&model));
    Body body = fixture::OneObject(kTriangle);
    body.Record(372, 3, 0, 0, 800);  // a second object, then the end
    body.Record(800, 0, 0, 0, 0);
    ASSERT_TRUE(fixture::Load(&model, body));
    EXPECT_FALSE(RestoreModelSnapshot(&model));  // no snapshot yet

    // The texture step resolved the first object and stopped at the second:
    // its texture was made but it is not resolved, so not released by us.
    int first = 0, second = 0;
    ResolveModelObject(&model, 0, &first);
    model.objects[1].texture = &second;
    EXPECT_FALSE(ResolveModelObject(&model, 2, &second));
    ModelFirstRecord(&model)->material.diffuse.r = 0.5f;
    ASSERT_TRUE(SaveModelSnapshot(&model));
    const std::vector<unsigned char> prepared(model.image, model.image + model.imageSize);
    unsigned char* saved = model.saved;

    int32_t count = 0;
    ModelVertex* v = ModelFirstObjectVertices(&model, &count);
    ASSERT_EQ(count, 3);
    v[1].y = 7.0f;
    ModelFirstRecord(&model)->nextOffset = 0xDEAD;
    ASSERT_TRUE(RestoreModelSnapshot(&model));
    EXPECT_EQ(memcmp(model.image, prepared.data(), prepared.size()), 0);
    EXPECT_EQ(model.objects[0].texture, &first);
    EXPECT_EQ(model.objects[0].vertices, v);
    EXPECT_EQ(ModelFirstRecord(&model)->resolved, 1u);
    ASSERT_TRUE(SaveModelSnapshot(&model));
    EXPECT_EQ(model.saved, saved);  // the buffer is reused

    model.releaseTexture = RecordRelease;
    FreeModelData(&model);
    EXPECT_EQ(released, std::vector<void*>{&first});
    EXPECT_EQ(model.image, nullptr);
    EXPECT_EQ(model.saved, nullptr);
    FreeModelData(&model);  // a second free is harmless

    // Loading over a prepared model releases its textures too.
    released.clear();
    ASSERT_TRUE(fixture::Load(&model, body));
    ResolveModelObject(&model, 0, &first);
    model.releaseTexture = RecordRelease;
    EXPECT_FALSE(LoadModelFile(&model, "/nonexistent/morvella.dat"));
    EXPECT_EQ(released, std::vector<void*>{&first});
}

TEST(ModelData, CountsComeFromTheCheckedTableNotTheImage)
{
    // The first object's vertices overlap its own record: deforming them
    // rewrites the stored counts, which nothing later follows.
    Body body;
    body.Record(0, 3, 12, 0, 384);
    body.Record(384, 0, 0, 0, 0);
    body.bytes.resize(36 * 32);
    ModelData model;
    ASSERT_TRUE(fixture::Load(&model, body));
    int32_t count = 0;
    ModelVertex* v = ModelFirstObjectVertices(&model, &count);
    ASSERT_EQ(count, 36);
    for (int32_t i = 0; i < count; ++i)
        v[i].x = v[i].y = v[i].z = 1.0e30f;
    EXPECT_NE(ModelFirstRecord(&model)->polygonCount, 12);
    ModelFirstObjectVertices(&model, &count);
    EXPECT_EQ(count, 36);
    FreeModelData(&model);
}

// Overlapping records let a body under 2 GB chain about a billion objects.
// A reference is 28 bytes on a 32-bit target and 40 on a 64-bit one; from
// 2^32 / 28 + 1 objects on, a 32-bit table size wraps and that count is
// refused there, while a 64-bit target sizes every count exactly.
TEST(ModelData, ObjectTableSizeNeverWraps)
{
    struct Case {
        int32_t count;
        bool fits;
        uint64_t bytes;
    };
    const std::vector<Case> cases = sizeof(void*) == 4
        ? std::vector<Case>{{0, true, 0}, {1, true, 28}, {153391689, true, 4294967292u},
                            {153391690, false, 0}, {INT32_MAX, false, 0}}
        : std::vector<Case>{{0, true, 0}, {1, true, 40}, {153391690, true, 6135667600u},
                            {INT32_MAX, true, 85899345880u}};
    for (const Case& c : cases) {
        size_t bytes = 0;
        EXPECT_EQ(ModelObjectTableBytes(c.count, &bytes), c.fits) << c.count << " objects";
        if (c.fits)
            EXPECT_EQ((uint64_t)bytes, c.bytes) << c.count << " objects";
    }
}

// Texture loading appends the name to a path: its length must stop at the
// end of the 260-byte field even when the file leaves it unterminated.
TEST(ModelData, TextureNameLengthStopsAtTheTerminatorOrTheFieldsEnd)
{
    struct Case {
        std::string name;  // written from the field's first byte, no terminator of its own
        int32_t length;
    } cases[] = {{"", 0}, {"sample.bmp", 10}, {std::string(259, 'n'), 259}, {std::string(260, 'n'), 260}};
    for (const Case& c : cases) {
        fixture::Body body = fixture::OneObject(kTriangle);
        std::fill(body.bytes.begin() + 12, body.bytes.begin() + 12 + 260, 0);
        std::copy(c.name.begin(), c.name.end(), body.bytes.begin() + 12);
        body.Put32(272, 0x41414141u);  // the shade mode after the name holds no zero byte
        ModelData model;
        ASSERT_TRUE(fixture::Load(&model, body));
        EXPECT_EQ(ModelTextureNameLength(ModelFirstRecord(&model)), c.length) << c.name.size();
        FreeModelData(&model);
    }
}

// Proved by the compiler wherever the tests are built for a 32-bit target
// (the Windows build), whether or not the machine can run them.
constexpr bool TableFits(int32_t count)
{
    size_t bytes = 0;
    return ModelObjectTableBytes(count, &bytes);
}
static_assert(sizeof(size_t) != 4 || !TableFits(153391690), "the count that wraps a 32-bit table size");
static_assert(sizeof(size_t) != 4 || TableFits(153391689), "the largest count whose table fits");

}  // namespace
