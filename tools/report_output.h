// The machine-readable outputs of quorvalen-report: the fields of the analysis record as
// JSON and as CSV rows, with numbers that read back to the same double.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/analysis_state.h"

// Every field is written unless the record holds no data for it: the extremes need at
// least one element since the reset, the results at least one file read.
void writeJsonReport(std::FILE* out, const AnalysisState& state, const std::vector<std::string>& messages);

// The CSV header: file, message, then the field names.
void writeCsvHeader(std::FILE* out);

// One CSV row: the file's name, its message (empty if none) and, when state is not null,
// its fields; non-finite values as NA, fields without data empty.
void writeCsvRow(std::FILE* out, const std::string& file, const std::string& message, const AnalysisState* state);
