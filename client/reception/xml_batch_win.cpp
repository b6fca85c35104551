#include "reception/xml_batch_win.h"

#include "win/log.h"

namespace mirelo {

void ReadXmlBatch(const std::string& text) { win::Log("xml batch length=%d\n", static_cast<int>(text.size())); }

}  // namespace mirelo
