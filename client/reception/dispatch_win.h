#pragma once

#include <string>

namespace mirelo {

// Routes one received notification by its kind.
void Dispatch(int kind, const char* payload, int length);

// Hands the text of an XML batch (kind 98) to the batch reader.
void ReadXmlBatch(const std::string& text);

// Starts the refresh request that follows a UDP notification.
void StartRefreshThread(int kind);

}  // namespace mirelo
