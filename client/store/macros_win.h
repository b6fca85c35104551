#pragma once

#include <string>

namespace mirelo {

// Replaces the "$name$" macros of a text from section "Macro" of Mirelo.ini in the program folder
// (not the per-user copy). The table is read on first use and kept for the rest of the run.
std::string ExpandMacros(const std::string& text);

}  // namespace mirelo
