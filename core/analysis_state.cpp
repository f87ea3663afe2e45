// The analysis record, its reset and the load of one data file.
#include "core/analysis_state.h"

AnalysisState analysisState;

// Placeholder bodies; the reader, circularization and statistics fill these in.
void resetAnalysis(AnalysisState&) {}
bool setDataFilePath(AnalysisState&, const char*) { return false; }
void loadDataFile(AnalysisState&, MessageOwner) {}
