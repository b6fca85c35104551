#pragma once

#include <string>

namespace mirelo {

// Hands the text of an XML batch (kind 98) to the batch reader.
void ReadXmlBatch(const std::string& text);

}  // namespace mirelo
