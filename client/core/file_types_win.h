#pragma once

namespace mirelo {

// Registers the open command of the suite's document viewer when the suite's folder is known and
// the document type's key exists; otherwise writes nothing.
void RegisterDocumentViewer();

// Marks the shortcut file type safe to open (its "EditFlags") under both class roots.
void MarkShortcutTypeSafe();

}  // namespace mirelo
