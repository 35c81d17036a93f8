#include "convert/model_file.h"

#include "convert/partial_file.h"
#include "convert/utf8_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

const char* LoadStatusText(int32_t status)
{
    switch (status) {
    case ModelLoaded: return "accepted";
    case ModelPathTooLong: return "the path is longer than 259 characters";
    case ModelOpenFailed: return "it cannot be opened";
    case ModelSizeUnknown: return "its size cannot be read";
    case ModelTooShort: return "it is shorter than the header";
    case ModelTooLarge: return "it is too large";
    case ModelNoMemory: return "out of memory";
    case ModelShortHeader: return "its header cannot be read";
    case ModelBadMagic: return "its magic is wrong";
    case ModelShortBody: return "its body is cut short";
    case ModelRecordOutside: return "an object record lies outside the body";
    case ModelNegativeCount: return "a count is negative";
    case ModelVerticesOutside: return "a vertex array lies outside the body";
    case ModelChainLoop: return "the chain of objects loops";
    }
    return "unknown failure";
}

bool SameCounts(const ModelData& model, const std::vector<PlannedObject>& objects, std::string* error)
{
    if (model.objectCount != (int32_t)objects.size()) {
        *error = "not written: the saver's loader finds " + std::to_string(model.objectCount) + " objects, not " +
                 std::to_string(objects.size());
        return false;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (model.objects[i].vertexCount != (int32_t)objects[i].vertices.size()) {
            *error = "not written: the saver's loader reads a different vertex count for object " + std::to_string(i + 1);
            return false;
        }
    }
    return true;
}

// Whether the saver's loader, whose C runtime takes narrow paths, can open
// the file while it is written. On Windows it cannot: the system is to
// remove the file until it is kept (see CreatePartial), and narrow paths are
// read in the ANSI code page, which may lack any letter beyond ASCII.
bool LoaderTakesPath(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    return path.size() < ModelPathSize;
#endif
}

// Whether the open file holds exactly these bytes, read back from its start.
bool HoldsBytes(FILE* in, const std::vector<unsigned char>& bytes)
{
    if (fflush(in) != 0 || fseek(in, 0, SEEK_SET) != 0)
        return false;
    unsigned char chunk[65536];
    size_t at = 0, got = 0;
    bool same = true;
    while (same && (got = fread(chunk, 1, sizeof chunk, in)) > 0) {
        same = got <= bytes.size() - at && std::equal(chunk, chunk + got, bytes.begin() + at);
        at += got;
    }
    return same && !ferror(in) && at == bytes.size();
}

}  // namespace

bool BuildModelFile(const std::vector<PlannedObject>& objects, const std::string& description,
                    std::vector<unsigned char>* file, std::string* error)
{
    uint64_t body = (uint64_t)(objects.size() + 1) * ModelRecordSize;
    for (const PlannedObject& o : objects)
        body += (uint64_t)o.vertices.size() * ModelVertexSize;
    if (body > 0x7FFFFFFFu) {
        *error = "not written: too large for the model file format (2 GiB at most)";
        return false;
    }
    file->assign(ModelHeaderSize + (size_t)body, 0);
    unsigned char* out = file->data();
    memcpy(out, "CONVLWO", ModelMagicSize);
    // The rest of the header is free text: what the file was made from,
    // cut to fit and ended like a text file.
    // Two line ends and the end-of-text mark take 5 of the 133 bytes.
    const std::string text = "\r\n" + description.substr(0, ModelHeaderSize - ModelMagicSize - 5) + "\r\n\x1a";
    memcpy(out + ModelMagicSize, text.data(), text.size());

    unsigned char* bodyStart = out + ModelHeaderSize;
    uint32_t vertexAt = (uint32_t)((objects.size() + 1) * ModelRecordSize);
    for (size_t i = 0; i < objects.size(); ++i) {
        const PlannedObject& o = objects[i];
        ModelObject record;
        memset(&record, 0, sizeof(record));
        record.vertsPerPolygon = 3;
        record.polygonCount = (int32_t)(o.vertices.size() / 3);
        snprintf(record.textureName, sizeof(record.textureName), "%s", o.textureName.c_str());
        record.shadeMode = o.shadeMode;
        record.alphaBlendEnable = 0;  // opaque
        record.srcBlend = 2;          // one
        record.destBlend = 1;         // zero
        record.vertexOffset = vertexAt;
        record.nextOffset = (uint32_t)((i + 1) * ModelRecordSize);
        record.material = o.material;
        memcpy(bodyStart + i * ModelRecordSize, &record, sizeof(record));
        if (!o.vertices.empty())
            memcpy(bodyStart + vertexAt, o.vertices.data(), o.vertices.size() * ModelVertexSize);
        vertexAt += (uint32_t)(o.vertices.size() * ModelVertexSize);
    }
    // The ending record stays all zero: its nextOffset 0 ends the chain.
    return true;
}

bool CheckModelFile(const std::vector<unsigned char>& file, const std::vector<PlannedObject>& objects,
                    std::string* error)
{
    if (file.size() < ModelHeaderSize || memcmp(file.data(), "CONVLWO", ModelMagicSize) != 0) {
        *error = "not written: the saver's loader would refuse its header";
        return false;
    }
    ModelCheck check;
    CheckModelImage(file.data() + ModelHeaderSize, (int32_t)(file.size() - ModelHeaderSize), &check);
    if (check.status != ModelLoaded) {
        *error = std::string("not written: the saver's loader would refuse it: ") + LoadStatusText(check.status);
        return false;
    }
    if (check.objectCount != (int32_t)objects.size()) {
        *error = "not written: the saver's loader would find " + std::to_string(check.objectCount) + " objects, not " +
                 std::to_string(objects.size());
        return false;
    }
    return true;
}

std::string PartialOutputPath(const std::string& path)
{
    // A file name holds 255 bytes at most: an output's name near that
    // leaves no room for the suffix, so the temporary name is cut short
    // (between letters) rather than fail to be made.
    const char suffix[] = ".partial";
    const size_t limit = 255 - (sizeof suffix - 1);
    const size_t slash = path.find_last_of("/\\");
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    size_t keep = path.size() - name;
    if (keep > limit) {
        keep = limit;
        while (keep > 0 && ((unsigned char)path[name + keep] & 0xC0) == 0x80)
            --keep;
    }
    return path.substr(0, name + keep) + suffix;
}

bool WriteModelFile(const std::string& path, const std::vector<unsigned char>& file,
                    const std::vector<PlannedObject>& objects, std::string* error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(Utf8Path(path), ec);
    if (fs::is_directory(status)) {
        *error = "cannot be written: it is a folder";
        return false;
    }
    // The new file takes the output's place by renaming: a device, a pipe
    // or a socket there (/dev/null, by a user allowed to replace it) would
    // be gone, and nothing would reach what reads from it.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        *error = "cannot be written: it is a device, pipe or socket, not a file";
        return false;
    }
    const std::string temporary = PartialOutputPath(path);
    FILE* out = CreatePartial(temporary, error);
    if (!out)
        return false;
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size() && fflush(out) == 0;
    const int savedErrno = errno;
    // The file on disk, read back as the saver will read it where the
    // loader can open its path. Elsewhere its bytes must be the ones
    // CheckModelFile passed in memory.
    const bool same = !written || LoaderTakesPath(temporary) || HoldsBytes(out, file);
    const bool kept = written && same && KeepPartial(out);
    const bool closed = fclose(out) == 0;
    if (!written || !closed) {
        *error = std::string("cannot be written: ") + strerror(written ? errno : savedErrno);
        RemovePartial(temporary);
        return false;
    }
    if (!same || !kept) {
        *error = same ? "cannot be written: the system would not keep it"
                      : "not written: the file read back is not the one written";
        RemovePartial(temporary);
        return false;
    }
    if (LoaderTakesPath(temporary)) {
        ModelData model;
        ClearModelData(&model);
        const bool loaded = LoadModelFile(&model, temporary.c_str());
        bool same = loaded && SameCounts(model, objects, error);
        if (!loaded)
            *error = std::string("not written: the saver's loader refuses it: ") + LoadStatusText(model.loadStatus);
        FreeModelData(&model);
        if (!same) {
            RemovePartial(temporary);
            return false;
        }
    }
    fs::rename(Utf8Path(temporary), Utf8Path(path), ec);
    if (ec) {
        *error = "cannot be written: " + ec.message();
        RemovePartial(temporary);
        return false;
    }
    return true;
}
