#pragma once

namespace mirelo {

// Asks whether to read the open pop-ups before the client ends: Yes keeps them (without View) and
// ends the client when the last one closes; No ends it at once. One question at a time.
void ShowUnconfirmedMessagesDialog();

}  // namespace mirelo
