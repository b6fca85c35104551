#include "reception/tcp_assembler.h"

#include <algorithm>

namespace mirelo {

TcpMessageAssembler::Event TcpMessageAssembler::Feed(std::string_view bytes) {
    if (finished_ || bytes.empty()) return Event::Ignored;
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
        if (static_cast<std::size_t>(header_.length) > maxPayload_) {
            finished_ = true;
            return Event::TooLarge;
        }
    }
    const std::size_t length = static_cast<std::size_t>(header_.length);
    const std::size_t take = std::min(length - payload_.size(), bytes.size());
    // Grow geometrically, but never past the announced length. A fresh string gets exactly the
    // capacity asked for, where reserve on the old one may double past it.
    const std::size_t needed = payload_.size() + take;
    if (needed > payload_.capacity()) {
        std::string grown;
        grown.reserve(std::min(length, std::max(needed, payload_.capacity() * 2)));
        grown.append(payload_);
        payload_.swap(grown);
    }
    payload_.append(bytes.substr(0, take));
    if (payload_.size() < length) return Event::None;
    finished_ = true;
    return Event::Complete;
}

std::string TcpMessageAssembler::TakePayload() {
    std::string taken;
    taken.swap(payload_);
    return taken;
}

bool TcpReception::MayMakeRoom(const Connection& connection, unsigned nowMs) const {
    // Time is compared as elapsed milliseconds, which survives the wrap of the tick counter.
    return connection.message.Finished() || nowMs - connection.acceptedMs >= limits_.graceMs;
}

bool TcpReception::CanAccept(unsigned nowMs) const {
    return connections_.size() < limits_.connections ||
           std::any_of(connections_.begin(), connections_.end(),
                       [&](const Connection& c) { return MayMakeRoom(c, nowMs); });
}

std::optional<TcpReception::Evicted> TcpReception::Accept(Id id, unsigned nowMs) {
    std::optional<Evicted> evicted;
    if (connections_.size() >= limits_.connections && !connections_.empty()) {
        const auto staler = [&](const Connection& a, const Connection& b) {
            if (MayMakeRoom(a, nowMs) != MayMakeRoom(b, nowMs)) return MayMakeRoom(a, nowMs);
            if (a.message.Finished() != b.message.Finished()) return a.message.Finished();
            return nowMs - a.lastProgressMs > nowMs - b.lastProgressMs;
        };
        const auto victim = std::min_element(connections_.begin(), connections_.end(), staler);
        evicted = Evicted{victim->id, victim->message.Finished()};
        Erase(static_cast<std::size_t>(victim - connections_.begin()));
    }
    connections_.push_back({id, TcpMessageAssembler(limits_.messageBytes), nowMs, nowMs});
    return evicted;
}

TcpReception::Received TcpReception::Receive(Id id, std::string_view bytes, unsigned nowMs) {
    Received result;
    const std::size_t index = IndexOf(id);
    if (index == connections_.size()) return result;
    Connection& connection = connections_[index];
    const std::size_t before = connection.message.Held();
    result.event = connection.message.Feed(bytes);
    if (result.event == Event::Ignored) return result;
    connection.lastProgressMs = nowMs;
    held_ = held_ - before + connection.message.Held();
    if (!FitTotal(id, result.evicted)) result.event = Event::TooLarge;
    return result;
}

bool TcpReception::FitTotal(Id id, std::vector<Id>& evicted) {
    while (held_ > limits_.totalBytes) {
        const auto largest = std::max_element(
            connections_.begin(), connections_.end(),
            [](const Connection& a, const Connection& b) { return a.message.Held() < b.message.Held(); });
        const Id victim = largest->id;
        Erase(static_cast<std::size_t>(largest - connections_.begin()));
        if (victim == id) return false;
        evicted.push_back(victim);
    }
    return true;
}

const TcpMessageAssembler* TcpReception::Message(Id id) const {
    const std::size_t index = IndexOf(id);
    return index < connections_.size() ? &connections_[index].message : nullptr;
}

std::string TcpReception::TakePayload(Id id) {
    const std::size_t index = IndexOf(id);
    if (index == connections_.size()) return {};
    held_ -= connections_[index].message.Held();
    return connections_[index].message.TakePayload();
}

void TcpReception::Remove(Id id) {
    if (const std::size_t index = IndexOf(id); index < connections_.size()) Erase(index);
}

std::vector<TcpReception::Id> TcpReception::Idle(unsigned nowMs) const {
    std::vector<Id> idle;
    for (const Connection& c : connections_) {
        if (nowMs - c.lastProgressMs >= limits_.idleMs) idle.push_back(c.id);
    }
    return idle;
}

std::size_t TcpReception::IndexOf(Id id) const {
    const auto found =
        std::find_if(connections_.begin(), connections_.end(), [id](const Connection& c) { return c.id == id; });
    return static_cast<std::size_t>(found - connections_.begin());
}

void TcpReception::Erase(std::size_t index) {
    held_ -= connections_[index].message.Held();
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace mirelo
