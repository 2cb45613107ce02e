// The access token's comparison, the stream's tickets and the bound on wrong tokens.
#include "dashboard/Access.h"

#include <cstdint>
#include <random>

namespace dashboard {

bool TokenMatches(std::string_view given, std::string_view expected) {
    if (expected.empty()) return false;
    // Every byte of the expected token is compared, against the given one's or a zero past
    // its end, and the lengths' difference joins the rest: the time taken depends on neither
    // where the texts first differ nor how long the given one is.
    std::uint64_t difference = given.size() ^ expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const unsigned char other = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
        difference |= static_cast<unsigned char>(expected[i]) ^ other;
    }
    return difference == 0;
}

std::string TicketBook::Issue(Clock::time_point now) {
    Forget(now);
    if (issued_.size() >= maxTickets_) {
        auto oldest = issued_.begin();
        for (auto it = issued_.begin(); it != issued_.end(); ++it)
            if (it->second < oldest->second) oldest = it;
        issued_.erase(oldest);
    }
    static thread_local std::random_device device;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string ticket;
    for (int word = 0; word < 4; ++word) {
        const std::uint32_t bits = device();
        for (int nibble = 0; nibble < 8; ++nibble) ticket += kHex[(bits >> (4 * nibble)) & 0xf];
    }
    issued_[ticket] = now + lifetime_;
    return ticket;
}

bool TicketBook::Redeem(const std::string& ticket, Clock::time_point now) {
    const bool good = Holds(ticket, now);
    issued_.erase(ticket);
    return good;
}

bool TicketBook::Holds(const std::string& ticket, Clock::time_point now) const {
    const auto found = issued_.find(ticket);
    return found != issued_.end() && now < found->second;
}

void TicketBook::Forget(Clock::time_point now) {
    std::erase_if(issued_, [now](const auto& entry) { return entry.second <= now; });
}

bool FailureLimiter::Blocked(const std::string& address, Clock::time_point now) const {
    const auto found = counts_.find(address);
    return found != counts_.end() && found->second.failures >= maxFailures_ &&
           now - found->second.since < window_;
}

void FailureLimiter::Failed(const std::string& address, Clock::time_point now) {
    if (counts_.size() >= maxAddresses_)
        std::erase_if(counts_,
                      [&](const auto& entry) { return now - entry.second.since >= window_; });
    if (counts_.size() >= maxAddresses_) counts_.clear();  // a flood of addresses: start again
    Count& count = counts_[address];
    if (count.failures == 0 || now - count.since >= window_) count = {now, 0};
    ++count.failures;
}

}  // namespace dashboard
