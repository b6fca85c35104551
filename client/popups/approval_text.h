#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/string_table.h"

namespace mirelo {

// Replaces the "$name$" macros of a text. The Win32 shell passes the program folder's macro
// table; tests pass a fake.
using MacroExpander = std::function<std::string(const std::string& text)>;

// Returned where a code selects no string at all.
inline constexpr int kNoStringId = 0;

// The payload names the document kind and the action by the first character of each code; an
// empty code selects by the NUL character, which matches no row of any table.
char ApprovalCodeChar(std::string_view code);

// The string id of the document-kind text (codes are case-sensitive; unknown codes take the
// generic approval document).
int DocumentKindTextId(std::string_view docKindCode);

// The string id of the action text, kNoStringId for a character outside "1" to "9".
int ActionTextId(std::string_view docKindCode, std::string_view actionCode);

// The texts an approval notification shows and speaks.
struct ApprovalTexts {
    std::string documentKind;  // with its macros expanded for the public-review kind
    std::string action;        // empty when the action has no text
    std::string header;        // the pop-up's header sentence
};

// Builds the document-kind text, the action text and the header sentence. Only a flag equal to 1
// puts the urgent label in front; a change of the approval line is announced by its action alone.
ApprovalTexts BuildApprovalTexts(std::string_view docKindCode, std::string_view actionCode, int flag,
                                 std::string_view urgentLabel, const TextLoader& loadText,
                                 const MacroExpander& expandMacros);

// The string id of the sound file to play, kNoStringId when the pair has no sound.
int ApprovalSoundId(std::string_view docKindCode, std::string_view actionCode);

// The record line's document type: the code's atoi value, or, when that is 0 and the code is not
// empty, the byte value of its first character ("C" gives 67, "12" gives 12).
int ApprovalDocumentType(std::string_view docKindCode);

// For a document of kind exactly "1" processed (action exactly "2"), the name that arrives as the
// drafter is shown, and recorded as sender, as the processor: it moves over and the drafter empties.
void MoveDrafterToProcessor(std::string_view docKindCode, std::string_view actionCode, std::string& drafter,
                            std::string& processor);

}  // namespace mirelo
