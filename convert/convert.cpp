#include "convert/convert.h"

#include "convert/import.h"
#include "convert/model_file.h"
#include "convert/normals.h"
#include "convert/utf8_path.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

size_t CountTriangles(const Scene& scene)
{
    size_t n = 0;
    for (const Part& part : scene.parts)
        n += part.Triangles();
    return n;
}

std::string Describe(const ConvertOptions& options, size_t triangles)
{
    const std::string name = PathUtf8(Utf8Path(options.input).filename());
    return "Morvella model converted from " + name + ", " + std::to_string(triangles) + " triangles.";
}

bool Fail(ConvertReport* report, const std::string& error, bool output = false)
{
    report->error = error;
    report->outputAtFault = output;
    return false;
}

void Tell(const ConvertProgress& progress, ConvertStage stage)
{
    if (progress)
        progress(stage);
}

// Whether the file gives its model colours or textures of its own: more
// than one colour, one that is not a grey, or any texture. A grey alone is
// what files without materials get, and the saver's colour replaces it
// without loss.
bool HasOwnColours(const Scene& scene)
{
    const float kSame = 1.0f / 255;
    const Part* first = nullptr;
    for (const Part& part : scene.parts) {
        if (!part.texture.empty())
            return true;
        const float* c = part.diffuse;
        if (std::fabs(c[0] - c[1]) > kSame || std::fabs(c[1] - c[2]) > kSame)
            return true;
        if (first)
            for (int i = 0; i < 3; ++i)
                if (std::fabs(c[i] - first->diffuse[i]) > kSame)
                    return true;
        first = first ? first : &part;
    }
    return false;
}

// Cleaned, placed and oriented: the triangles the saver can show, in its
// axes and at the size asked for, their fronts facing out.
bool Prepare(Scene& scene, const ConvertOptions& options, ConvertReport* report)
{
    report->inputParts = scene.parts.size();
    report->inputTriangles = CountTriangles(scene);
    if (report->inputTriangles == 0)
        return Fail(report, "the file holds no triangles");
    DropNonFinite(&scene, &report->clean);
    DropEmptyParts(&scene);
    if (scene.parts.empty())
        return Fail(report, "every triangle has a NaN or infinite coordinate");
    ToSaverAxes(&scene, options.placement.up, &report->place);
    if (!FitScene(&scene, options.placement.size, &report->place))
        return Fail(report, "the object has no size: every point is in one place");
    DropDegenerate(&scene, &report->clean);
    DropEmptyParts(&scene);
    if (scene.parts.empty())
        return Fail(report, "every triangle is degenerate (no area)");
    OrientScene(&scene, &report->orient);
    return true;
}

// The whole model as one object. Each part's normals come from its own
// surface, before the parts meet.
void MakeOneObject(Scene& scene, const ConvertOptions& options, ConvertReport* report)
{
    report->generatedNormals = MakeNormals(&scene, options.flat);
    report->coloursNotShown = HasOwnColours(scene);
    MergeIntoOnePart(&scene);
    report->onePart = true;
}

// Down to the triangles asked for and, as one object, to what one draw
// takes: the file stores three vertices a triangle, and a draw takes
// 65,535 vertices at most.
bool Simplify(Scene& scene, const ConvertOptions& options, ConvertReport* report, const ConvertProgress& progress)
{
    size_t budget = options.maxTriangles;
    if (!options.parts && (budget == 0 || budget > kMaxObjectTriangles)) {
        budget = kMaxObjectTriangles;
        report->fitOneDraw = true;
    }
    if (budget == 0 || CountTriangles(scene) <= budget)
        return true;
    Tell(progress, ConvertStage::Simplifying);
    SimplifyScene(&scene, budget, &report->simplify);
    report->simplified = true;
    CleanCounts after;
    DropDegenerate(&scene, &after);
    DropEmptyParts(&scene);
    report->simplify.after = CountTriangles(scene);
    // A simplified outline may lie a little inside the old one.
    if (scene.parts.empty() || !FitScene(&scene, options.placement.size, &report->place))
        return Fail(report, "nothing is left after simplification");
    return true;
}

// Every part's normals as they are written: parts kept apart get theirs
// here; one object has its own already, unless simplification dropped them.
void FinishNormals(Scene& scene, const ConvertOptions& options, ConvertReport* report)
{
    if (options.parts)
        report->generatedNormals = MakeNormals(&scene, options.flat);
    else if (report->simplified)
        report->normalsAfterSimplify = MakeNormals(&scene, options.flat) > 0;
}

// Laid out as the saver's objects, written beside the output, checked with
// the saver's loader, and put in the output's place.
bool Write(Scene& scene, const ConvertOptions& options, ConvertReport* report)
{
    const std::string outputDir = PathUtf8(Utf8Path(options.output).parent_path());
    report->objects = LayOutObjects(&scene, options.flat, outputDir, &report->layout);
    for (const PlannedObject& o : report->objects) {
        report->triangles += o.vertices.size() / 3;
        report->vertices += o.vertices.size();
    }
    std::vector<unsigned char> file;
    std::string error;
    if (!BuildModelFile(report->objects, Describe(options, report->triangles), &file, &error) ||
        !CheckModelFile(file, report->objects, &error))
        return Fail(report, error, true);
    if (!WriteModelFile(options.output, file, report->objects, &error))
        return Fail(report, error, true);
    report->bytes = file.size();
    return true;
}

bool RunStages(Scene* sceneIn, const ConvertOptions& options, ConvertReport* report,
               const ConvertProgress& progress)
{
    Scene& scene = *sceneIn;
    Tell(progress, ConvertStage::Preparing);
    if (!Prepare(scene, options, report))
        return false;
    if (!options.parts)
        MakeOneObject(scene, options, report);
    if (!Simplify(scene, options, report, progress))
        return false;
    FinishNormals(scene, options, report);
    Tell(progress, ConvertStage::Writing);
    return Write(scene, options, report);
}

bool Run(const ConvertOptions& options, ConvertReport* report, const ConvertProgress& progress)
{
    std::error_code ec;
    const std::filesystem::path input = Utf8Path(options.input);
    if (!std::filesystem::is_regular_file(input, ec))
        return Fail(report, std::filesystem::exists(input, ec) ? "not a file" : "no such file");
    Scene scene;
    Tell(progress, ConvertStage::Reading);
    const ImportResult imported = ImportModel(options.input, &scene);
    if (!imported.ok)
        return Fail(report, imported.error);
    report->skippedPrimitives = imported.skippedPrimitives;
    return RunStages(&scene, options, report, progress);
}

}  // namespace

double EstimatedFrameMs(size_t triangles)
{
    return 6.75 + (double)triangles * (18.0 / 16384.0);
}

ConvertReport ConvertModel(const ConvertOptions& options, const ConvertProgress& progress)
{
    ConvertReport report;
    report.ok = Run(options, &report, progress);
    return report;
}

ConvertReport ConvertScene(Scene* scene, const ConvertOptions& options)
{
    ConvertReport report;
    report.ok = RunStages(scene, options, &report, ConvertProgress());
    return report;
}
