// morvella-convert: turns a 3D model file into the saver's morvella.dat.
// Exit codes: 0 written, 1 the input could not be converted or the output
// not written (nothing was replaced), 2 wrong usage.
#include "convert/console.h"
#include "convert/convert.h"
#include "convert/guard.h"
#include "convert/import.h"
#include "convert/model_file.h"
#include "convert/options.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// No model of any sensible size takes this long; a damaged one may loop.
const unsigned kTimeLimitSeconds = 600;

// Beyond this many triangles a software-rendered frame takes over 50 ms.
const size_t kWarnTriangles = 40000;

std::string Thousands(size_t n)
{
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string PieceText(const PlannedObject& o)
{
    return o.pieces > 1 ? " (piece " + std::to_string(o.piece) + " of " + std::to_string(o.pieces) + ")" : "";
}

void PrintSummary(const ConvertOptions& options, const ConvertReport& r)
{
    Print(stdout, "%s: %s triangles in %zu part(s)\n", options.input.c_str(), Thousands(r.inputTriangles).c_str(),
                  r.inputParts);
    std::string dropped;
    if (r.clean.nonFinite)
        dropped += ", " + Thousands(r.clean.nonFinite) + " with NaN or infinite coordinates";
    if (r.clean.degenerate)
        dropped += ", " + Thousands(r.clean.degenerate) + " degenerate (no area)";
    if (r.skippedPrimitives)
        dropped += ", " + Thousands(r.skippedPrimitives) + " points or lines";
    if (!dropped.empty())
        Print(stdout, "  dropped%s\n", dropped.c_str() + 1);
    if (r.clean.badNormals || r.clean.badUV)
        Print(stdout, "  replaced %zu NaN or infinite normals and %zu texture coordinates\n", r.clean.badNormals,
                      r.clean.badUV);
    if (r.orient.trianglesTurned)
        Print(stdout, "  turned %s triangle(s) over to face the way the file's normals say\n",
                      Thousands(r.orient.trianglesTurned).c_str());
    if (r.orient.partsTurned)
        Print(stdout, "  turned %zu closed part(s) that were wound inside out\n", r.orient.partsTurned);
    if (r.simplified)
        Print(stdout, "  simplified %s -> %s triangles, surfaces moved by at most %.2g%% of their part's size%s\n",
                      Thousands(r.simplify.before).c_str(), Thousands(r.simplify.after).c_str(), r.simplify.error * 100,
                      r.simplify.outlineKept ? "" : "; the outline could not be kept everywhere");
    if (r.generatedNormals)
        Print(stdout, "  smooth normals made for %zu part(s) without them\n", r.generatedNormals);
    const Vec3 e = r.place.extent;
    Print(stdout, "  placed: %.4g x %.4g x %.4g (x, y, z; scale %.4g), centred in x and z, top at y = 0, %s up\n",
                  e.x, e.y, e.z, r.place.scale, options.placement.up == UpAxis::Z ? "z" : "y");
    Print(stdout, "  %zu object(s), %s triangles, %s vertices", r.objects.size(), Thousands(r.triangles).c_str(),
                  Thousands(r.vertices).c_str());
    if (r.layout.partsSplit)
        Print(stdout, "; %zu part(s) split to keep each draw within 65,535 vertices", r.layout.partsSplit);
    Print(stdout, "\n");
    const PlannedObject& first = r.objects.front();
    Print(stdout, "  first object: \"%s\"%s, %s triangles, the largest part: the saver's colour, texture and "
                  "animations act on it\n",
                  first.name.c_str(), PieceText(first).c_str(), Thousands(first.vertices.size() / 3).c_str());
    for (const std::string& left : r.layout.texturesLeftOut)
        Print(stdout, "  texture left out: %s\n", left.c_str());
    Print(stdout, "wrote %s (%s bytes), checked with the saver's loader\n", options.output.c_str(),
                  Thousands(r.bytes).c_str());
    if (r.triangles > kWarnTriangles)
        Print(stdout, "warning: %s triangles take about %.0f ms a frame with a software renderer (the saver's "
                      "square has 2,048); --max-triangles 20000 would simplify it\n",
                      Thousands(r.triangles).c_str(), EstimatedFrameMs(r.triangles));
}

int Convert(const ConvertOptions& options)
{
    const ConvertReport report = ConvertModel(options);
    if (!report.ok) {
        std::string reason = report.error;
        for (char& c : reason)
            if (c == '\n' || c == '\r')
                c = ' ';
        Print(stderr, "morvella-convert: %s: %s\n",
              (report.outputAtFault ? options.output : options.input).c_str(), reason.c_str());
        return 1;
    }
    PrintSummary(options, report);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    ConvertOptions options;
    std::string error;
    const std::string usage = UsageText(ImportFormats());
    if (!ParseOptions((int)arguments.size(), pointers.data(), &options, &error)) {
        Print(stderr, "morvella-convert: %s\n%s", error.c_str(), usage.c_str());
        return 2;
    }
    if (options.help) {
        Print(stdout, "%s", usage.c_str());
        return 0;
    }
    return RunGuarded([&] { return Convert(options); }, options.input, PartialOutputPath(options.output),
                      kTimeLimitSeconds);
}
