#include "reception/tcp_assembler.h"

namespace mirelo {

TcpMessageAssembler::Event TcpMessageAssembler::Feed(std::string_view bytes) {
    if (finished_) return Event::None;
    if (!headerKnown_) {
        const std::size_t take = std::min(kHeaderSize - headerText_.size(), bytes.size());
        headerText_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (headerText_.size() < kHeaderSize) return Event::None;
        header_ = ParseHeader(headerText_);
        headerKnown_ = true;
        if (header_.kind == kKindEndMessage) {
            finished_ = true;
            return Event::EndMessage;
        }
        if (header_.length < 0) {
            finished_ = true;
            return Event::Malformed;
        }
    }
    const std::size_t wanted = static_cast<std::size_t>(header_.length) - payload_.size();
    payload_.append(bytes.substr(0, std::min(wanted, bytes.size())));
    if (payload_.size() < static_cast<std::size_t>(header_.length)) return Event::None;
    finished_ = true;
    return Event::Complete;
}

}  // namespace mirelo
