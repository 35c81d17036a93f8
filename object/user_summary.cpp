#include "object/user_summary.h"

#include "object/texts.h"


namespace {

// Movements of the outline below this share of the object's size are
// within the measuring (as the converter's own summary has it).
const double kOutlineShown = 0.0005;

void Add(std::string* text, const std::string& line)
{
    *text += line;
    *text += '\n';
}

}  // namespace

std::string FileSize(size_t bytes)
{
    if (bytes < 1024)
        return Thousands(bytes) + " bytes";
    if (bytes < 1024 * 1024)
        return Thousands((bytes + 1023) / 1024) + " KB";
    return Formatted("%.1f MB", bytes / (1024.0 * 1024.0));
}

std::string UserSummary(const ConvertOptions& options, const ConvertReport& r, UiLanguage language)
{
    auto text = [language](Text id) { return TextOf(id, language); };
    std::string out;
    Add(&out, Formatted(text(Text::SummaryTriangles), Thousands(r.inputTriangles).c_str(),
                        Thousands(r.triangles).c_str()));
    Add(&out, Formatted(text(Text::SummarySize), FileSize(r.bytes).c_str()));
    std::string placed = Formatted(text(Text::SummaryPlaced), options.placement.up == UpAxis::Z ? "z" : "y");
    if (options.flat)
        placed += language == UiJapanese ? std::string("、") + text(Text::SummaryFlat)
                                         : std::string(", ") + text(Text::SummaryFlat);
    Add(&out, placed);
    if (r.coloursNotShown)
        Add(&out, text(Text::WarnColours));
    if (r.simplified) {
        const SimplifyReport& s = r.simplify;
        Add(&out, Formatted(text(Text::WarnSimplified), Thousands(s.before).c_str(), s.error * 100));
        if (s.outlineMoved >= kOutlineShown)
            Add(&out, Formatted(text(Text::WarnOutlineMoved), s.outlineMoved * 100));
        if (s.holesOpened)
            Add(&out, text(Text::WarnHolesOpened));
        if (s.outlineClosed)
            Add(&out, text(Text::WarnOutlineClosed));
        if (s.after > s.budget)
            Add(&out, Formatted(text(Text::WarnNotAsFew), Thousands(s.after).c_str()));
    }
    const size_t leftOut = r.skippedPrimitives + r.clean.nonFinite + r.clean.degenerate;
    if (leftOut)
        Add(&out, Formatted(text(Text::WarnLeftOut), Thousands(leftOut).c_str()));
    return out;
}
