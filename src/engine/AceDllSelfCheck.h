#pragma once
// An engine DLL is used only after it has opened sound tables: a DLL that
// loads but answers the program's calls differently than expected would
// report every sound table as broken, and every backup would fail.
#include <string>

#include "engine/AceDllProvider.h"

namespace qv {

// Writes the carried tables into a private temporary folder, lets the DLL
// build ARTIKEL's index in place (an index file built under another locale's
// collation would be refused), opens both tables as a table check does and
// removes the folder again. Empty when the DLL passed; otherwise the step
// that failed, with the engine's text, in German.
std::string SelfCheckFailure(TAceDllProvider& dll);

}  // namespace qv
