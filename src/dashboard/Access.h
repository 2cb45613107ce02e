// Who may read the watch and act on it: the access token compared in constant time, the
// short-lived tickets that open an event stream without the token in an address, and the
// bound on wrong tokens tried from one address.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace dashboard {

using Clock = std::chrono::steady_clock;

// The shortest token accepted when the dashboard listens beyond this machine.
constexpr std::size_t kMinRemoteTokenChars = 16;

// Whether `given` is `expected`, in a time that depends neither on where they differ nor on
// the given one's length. An empty `expected` matches nothing.
bool TokenMatches(std::string_view given, std::string_view expected);

// Tickets for the event stream: asked for with the token, used once, soon stale.
class TicketBook {
public:
    explicit TicketBook(Clock::duration lifetime = std::chrono::seconds(30),
                        std::size_t maxTickets = 256)
        : lifetime_(lifetime), maxTickets_(maxTickets) {}
    std::string Issue(Clock::time_point now);
    // Whether the ticket is good now; a good ticket is used up.
    bool Redeem(const std::string& ticket, Clock::time_point now);
    // Whether the ticket is good now, leaving it as it is.
    bool Holds(const std::string& ticket, Clock::time_point now) const;

private:
    void Forget(Clock::time_point now);
    Clock::duration lifetime_;
    std::size_t maxTickets_;
    std::map<std::string, Clock::time_point> issued_;  // ticket: when it goes stale
};

// Wrong tokens per address: past `maxFailures` within `window`, the address is refused until
// the window it started has passed.
class FailureLimiter {
public:
    explicit FailureLimiter(int maxFailures = 10, Clock::duration window = std::chrono::seconds(60),
                            std::size_t maxAddresses = 4096)
        : maxFailures_(maxFailures), window_(window), maxAddresses_(maxAddresses) {}
    bool Blocked(const std::string& address, Clock::time_point now) const;
    void Failed(const std::string& address, Clock::time_point now);

private:
    struct Count {
        Clock::time_point since;
        int failures = 0;
    };
    int maxFailures_;
    Clock::duration window_;
    std::size_t maxAddresses_;
    std::map<std::string, Count> counts_;
};

}  // namespace dashboard
