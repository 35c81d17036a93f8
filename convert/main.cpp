// morvella-convert: turns a 3D model file into the saver's morvella.dat.
// Exit codes: 0 written, 1 the input could not be converted or the output
// not written (nothing was replaced), 2 wrong usage.
#include "convert/convert.h"
#include "convert/guard.h"
#include "convert/import.h"
#include "convert/model_file.h"
#include "convert/options.h"
#include "convert/printable.h"
#include "convert/same_file.h"
#include "convert/summary.h"

#include <cstdio>
#include <string>

namespace {

// No model of any sensible size takes this long; a damaged one may loop.
const unsigned kTimeLimitSeconds = 600;

int Convert(const ConvertOptions& options)
{
    const ConvertReport report = ConvertModel(options);
    if (!report.ok) {
        std::string reason = report.error;
        for (char& c : reason)
            if (c == '\n' || c == '\r')
                c = ' ';
        fprintf(stderr, "morvella-convert: %s: %s\n",
                Printable(report.outputAtFault ? options.output : options.input).c_str(), Printable(reason).c_str());
        return 1;
    }
    printf("%s", SummaryText(options, report).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    ConvertOptions options;
    std::string error;
    const std::string usage = UsageText(ImportFormats());
    if (!ParseOptions(argc, argv, &options, &error)) {
        fprintf(stderr, "morvella-convert: %s\n%s", Printable(error).c_str(), usage.c_str());
        return 2;
    }
    if (options.help) {
        printf("%s", usage.c_str());
        return 0;
    }
    // Written over, the input would be lost; and a damaged conversion
    // would leave half a file under the input's name.
    if (SameFile(options.input, options.output) || SameFile(options.input, PartialOutputPath(options.output))) {
        fprintf(stderr, "morvella-convert: %s: the output is the input file; name another output\n",
                Printable(options.output).c_str());
        return 2;
    }
    return RunGuarded([&] { return Convert(options); }, options.input, PartialOutputPath(options.output),
                      kTimeLimitSeconds);
}
