#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "core/code_page.h"
#include "reception/notification_record.h"

namespace mirelo {

// The text of a new, empty store.
inline constexpr char kEmptyStoreText[] =
    "<?xml version=\"1.0\" encoding=\"EUC-KR\"?><NotificationList></NotificationList>";

// How the bytes of a store file turned out.
enum class StoreLoad {
    Loaded,   // a well-formed document
    Empty,    // no bytes: a new list starts
    Damaged,  // not well-formed XML, or names EUC-KR cannot spell: a new list starts
};

// One stored element read back: its attributes in file order, as UTF-8.
struct StoreEntry {
    std::vector<std::pair<std::string, std::string>> attributes;
    // The value of the named attribute, "" when the element has none.
    std::string Get(std::string_view name) const;
};

// The store file as a document: loaded from the bytes of the file, extended, and written back in
// EUC-KR. The root element and anything else a file holds are kept as they are, with the entities of
// its internal subset expanded and the document type declaration left out; the declaration is made to
// say what the bytes are. What it writes is well-formed whatever the records hold.
class StoreDocument {
public:
    StoreDocument();

    // Replaces the document by the one in the bytes, as a conforming XML parser reads them. A file that
    // declares EUC-KR (or another name of code page 949) is read as code page 949; other files as their
    // byte order mark or declaration says. On Empty or Damaged the document is the empty list.
    StoreLoad Load(std::string_view bytes, const TextCodec& codec);
    // Why the last Load found the bytes damaged ("" otherwise).
    const std::string& Damage() const { return damage_; }

    // Appends one "Notification" element with the eight attributes, texts taken from the record's
    // ANSI strings; characters XML does not allow become blanks.
    void Append(const NotificationRecord& record, int id, const TextCodec& codec);

    // The file's bytes: the declaration, then the document, in EUC-KR with character references for
    // what EUC-KR lacks.
    std::string Serialize(const TextCodec& codec) const;
    // What Serialize writes for each element below the root, one line each, as they stand in the file.
    std::string SerializeChildren(const TextCodec& codec) const;
    // Where an element appended to the root goes in `serialized`, the bytes Serialize wrote for this
    // document: the offset of the root's closing tag. Only for a document without text, so that a
    // reader gets this document back from the bytes, whose root ends it and closes after an element;
    // nullopt for any other.
    std::optional<std::size_t> AppendPoint(std::string_view serialized, const TextCodec& codec) const;

    // The "Notification" elements below the root, in file order.
    std::vector<StoreEntry> Entries() const;
    // How many "Notification" elements the root holds.
    std::size_t Count() const;
    // A new store holding copies of the oldest `count` "Notification" elements, and their removal.
    StoreDocument CopyOldest(std::size_t count) const;
    void RemoveOldest(std::size_t count);
    // The root element, for readers that walk the elements themselves.
    pugi::xml_node Root() const { return document_.document_element(); }

private:
    void Reset();
    void DeclareEucKr();

    pugi::xml_document document_;
    std::string damage_;
};

}  // namespace mirelo
