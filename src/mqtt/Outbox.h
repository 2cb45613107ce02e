// What is to be published and not yet acknowledged by the broker, in order and bounded: while the
// broker is away it waits here, and on reconnection it goes out again from the first message the
// broker did not acknowledge. Not thread-safe: its owner locks.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace mqtt {

struct Message {
    std::string topic;
    std::string payload;
    bool retain = false;
    // Given up last when the outbox overflows: an emergency.
    bool precious = false;
};

class Outbox {
public:
    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit Outbox(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // Adds at the end. A retained message replaces a message for the same topic that still
    // waits: only the latest state matters. When full, the oldest waiting message that is not
    // precious goes (the oldest waiting one when all are); gives how many went (0 or 1).
    std::size_t Add(Message message);

    // The oldest message not handed to the connection yet, or nothing.
    const Message* NextToHand() const;
    // That message now travels under the connection's message id.
    void Handed(int id);
    // The broker acknowledged it: it is gone. False for an id not handed.
    bool Acknowledged(int id);
    // The connection is lost: what travelled unacknowledged waits again, first in line.
    void ConnectionLost();

    std::size_t Size() const { return entries_.size(); }
    std::size_t InFlight() const { return handed_; }
    std::size_t Dropped() const { return dropped_; }

private:
    struct Entry {
        Message message;
        std::optional<int> id;  // handed under this id
    };

    void DropOne();

    std::size_t capacity_;
    std::deque<Entry> entries_;  // the handed ones first, then those waiting, each in order
    std::size_t handed_ = 0;
    std::size_t dropped_ = 0;
};

}  // namespace mqtt
