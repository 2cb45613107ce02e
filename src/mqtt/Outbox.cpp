// The bounded outbox of the broker's messages.
#include "mqtt/Outbox.h"

#include <algorithm>
#include <iterator>

namespace mqtt {

std::size_t Outbox::Add(Message message) {
    const auto waiting = entries_.begin() + static_cast<std::ptrdiff_t>(handed_);
    if (message.retain) {
        const auto same = std::find_if(waiting, entries_.end(), [&](const Entry& e) {
            return e.message.retain && e.message.topic == message.topic;
        });
        if (same != entries_.end()) entries_.erase(same);
    }
    std::size_t dropped = 0;
    if (entries_.size() >= capacity_ && entries_.size() > handed_) {
        DropOne();
        dropped = 1;
    }
    entries_.push_back({std::move(message), std::nullopt});
    return dropped;
}

void Outbox::DropOne() {
    const auto waiting = entries_.begin() + static_cast<std::ptrdiff_t>(handed_);
    auto victim =
        std::find_if(waiting, entries_.end(), [](const Entry& e) { return !e.message.precious; });
    if (victim == entries_.end()) victim = waiting;
    entries_.erase(victim);
    ++dropped_;
}

const Message* Outbox::NextToHand() const {
    return handed_ < entries_.size() ? &entries_[handed_].message : nullptr;
}

void Outbox::Handed(int id) {
    if (handed_ < entries_.size()) entries_[handed_++].id = id;
}

bool Outbox::Acknowledged(int id) {
    const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(handed_);
    const auto found =
        std::find_if(entries_.begin(), end, [id](const Entry& e) { return e.id == id; });
    if (found == end) return false;
    entries_.erase(found);
    --handed_;
    return true;
}

void Outbox::ConnectionLost() {
    for (std::size_t i = 0; i < handed_; ++i) entries_[i].id.reset();
    handed_ = 0;
}

}  // namespace mqtt
