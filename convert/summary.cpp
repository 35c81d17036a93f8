#include "convert/summary.h"

#include "convert/format.h"
#include "convert/printable.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Beyond this many triangles a software-rendered frame takes over 50 ms.
const size_t kWarnTriangles = 40000;

// Movements of the outline below this share of the object's size are
// within the measuring.
const double kOutlineShown = 0.0005;

#if defined(__MINGW32__)
void Line(std::string* text, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
#else
void Line(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
#endif

void Line(std::string* text, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    *text += FormattedList(format, args);
    va_end(args);
    *text += '\n';
}

std::string PieceText(const PlannedObject& o)
{
    return o.pieces > 1 ? " (piece " + std::to_string(o.piece) + " of " + std::to_string(o.pieces) + ")" : "";
}

void Simplification(const ConvertOptions& options, const ConvertReport& r, std::string* text)
{
    const SimplifyReport& s = r.simplify;
    const std::string why = r.fitOneDraw ? " to fit the saver's one object (21,845 triangles, one draw)"
                                         : " (--max-triangles " + std::to_string(options.maxTriangles) + ")";
    Line(text, "  simplified %s -> %s triangles%s, surfaces moved by at most %.2g%% of %s size%s",
         Thousands(s.before).c_str(), Thousands(s.after).c_str(), why.c_str(), s.error * 100,
         r.onePart ? "the object's" : "their part's",
         s.outlineKept ? "" : "; the outline could not be kept everywhere");
    if (s.outlineMoved >= kOutlineShown)
        Line(text, "  the outline (the open edges) moved by up to %.2g%% of the object's size", s.outlineMoved * 100);
    if (s.holesOpened)
        Line(text, "  the simplified surface has open edges (holes) that the model did not have");
    if (s.outlineClosed)
        Line(text, "  the model's open edges (its outline) were closed up");
    if (s.after > s.budget) {
        if (s.tooManyParts)
            Line(text, "  %s triangles, not %s: each of the %s parts keeps at least one (without --parts the "
                 "model is one part)", Thousands(s.after).c_str(), Thousands(s.budget).c_str(),
                 Thousands(s.parts).c_str());
        else
            Line(text, "  %s triangles, not %s: %s would vanish if made any smaller", Thousands(s.after).c_str(),
                 Thousands(s.budget).c_str(), r.onePart ? "pieces of the model" : "some parts");
    }
}

}  // namespace

std::string SummaryText(const ConvertOptions& options, const ConvertReport& r)
{
    std::string text;
    Line(&text, "%s: %s triangles in %zu part(s)", Printable(options.input).c_str(),
         Thousands(r.inputTriangles).c_str(), r.inputParts);
    std::string dropped;
    if (r.clean.nonFinite)
        dropped += ", " + Thousands(r.clean.nonFinite) + " with NaN or infinite coordinates";
    if (r.clean.degenerate)
        dropped += ", " + Thousands(r.clean.degenerate) + " degenerate (no area)";
    if (r.skippedPrimitives)
        dropped += ", " + Thousands(r.skippedPrimitives) + " points or lines";
    if (!dropped.empty())
        Line(&text, "  dropped%s", dropped.c_str() + 1);
    if (r.clean.badNormals || r.clean.badUV)
        Line(&text, "  replaced %zu NaN or infinite normals and %zu texture coordinates", r.clean.badNormals,
             r.clean.badUV);
    if (r.orient.trianglesTurned)
        Line(&text, "  turned %s triangle(s) over to face the way the file's normals say",
             Thousands(r.orient.trianglesTurned).c_str());
    if (r.orient.partsTurned)
        Line(&text, "  turned %zu closed part(s) that were wound inside out", r.orient.partsTurned);
    if (r.simplified)
        Simplification(options, r, &text);
    if (r.generatedNormals && !r.normalsAfterSimplify)
        Line(&text, "  smooth normals made for %zu part(s) that had none or one per facet", r.generatedNormals);
    if (r.normalsAfterSimplify)
        Line(&text, "  smooth normals made for the simplified surface");
    const Vec3 e = r.place.extent;
    Line(&text, "  placed: %.4g x %.4g x %.4g (x, y, z; scale %.4g), centred in x and z, top at y = 0, %s up", e.x,
         e.y, e.z, r.place.scale, options.placement.up == UpAxis::Z ? "z" : "y");
    std::string split;
    if (r.layout.partsSplit)
        split = "; " + std::to_string(r.layout.partsSplit) + " part(s) split to keep each draw within 65,535 vertices";
    Line(&text, "  %zu object(s), %s triangles, %s vertices%s", r.objects.size(), Thousands(r.triangles).c_str(),
         Thousands(r.vertices).c_str(), split.c_str());
    const PlannedObject& first = r.objects.front();
    if (r.onePart && r.objects.size() == 1) {
        Line(&text, "  the whole model is one object: the saver's colour, texture and all five animations act on "
             "all of it");
    } else {
        Line(&text, "  first object: \"%s\"%s, %s triangles, the largest part: the saver's colour, texture and "
             "animations act on it", Printable(first.name).c_str(), PieceText(first).c_str(),
             Thousands(first.vertices.size() / 3).c_str());
        if (r.objects.size() > 1)
            Line(&text, "  the other %zu object(s) keep the file's colours and stand still while the first moves "
                 "in the wave, vortex and flag", r.objects.size() - 1);
    }
    for (const std::string& left : r.layout.texturesLeftOut)
        Line(&text, "  texture left out: %s", Printable(left).c_str());
    Line(&text, "wrote %s (%s bytes), checked with the saver's loader", Printable(options.output).c_str(),
         Thousands(r.bytes).c_str());
    if (r.triangles > kWarnTriangles)
        Line(&text, "warning: %s triangles take about %.0f ms a frame with a software renderer (the saver's "
             "square has 2,048); --max-triangles 20000 would simplify it",
             Thousands(r.triangles).c_str(), EstimatedFrameMs(r.triangles));
    return text;
}
