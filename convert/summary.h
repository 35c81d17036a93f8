// What the tool prints after a conversion: what it read, what it changed
// and why, and what it wrote.
#ifndef MORVELLA_CONVERT_SUMMARY_H
#define MORVELLA_CONVERT_SUMMARY_H

#include "convert/convert.h"
#include "convert/options.h"

#include <string>

std::string SummaryText(const ConvertOptions& options, const ConvertReport& report);

#endif
