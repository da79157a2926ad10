#pragma once
// The parameter file beside a system holds its variables and its merit functions. Every
// writer of it (the panel, the edits made while the panel is hidden, Save As, the run, the
// undo steps) writes both parts at once: they are put together in a work copy, which then
// replaces the file in one step, so a stop at any moment leaves the old file or the new one.

#include <string>

#include "foundation/filewrite/file_replace.h"

class TOptimizationParameters;
class TOptimizationFunctions;

// Writes the variables (when given; an empty list clears the file's) and the merit
// functions over the sections of the file base (none when it is missing or empty), and puts
// the whole in place of the file at fileName in one replacement. A file not written stays
// whole as it was; the result says why.
[[nodiscard]] TFileWriteResult WriteParameterFile(const std::string &base, const std::string &fileName,
                                                  TOptimizationParameters *parameters, TOptimizationFunctions &functions);
