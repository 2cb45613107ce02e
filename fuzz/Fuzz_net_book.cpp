// Fuzzes the net's incident messages and the shared book's merge: each line is a message from
// the watcher it names, then every incident is acted on, snapshotted and expired.
#include <string_view>

#include "net_book/SharedBook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    net_book::SharedBook book("FUZZ", {});
    constexpr std::int64_t now_s = 1'796'000'000;
    while (!input.empty()) {
        const auto end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
        const auto parsed = net_book::ParseMessage(line);
        std::string sender = "SOMEONE";
        if (parsed.message) {
            if (const auto* change = std::get_if<net_book::NetChange>(&*parsed.message))
                sender = change->watcher;
            else
                sender = std::get<net_book::Snapshot>(*parsed.message).watcher;
        }
        book.Receive(line, sender, now_s);
    }
    std::vector<std::uint64_t> numbers;
    book.ForEach([&](const net_book::NetIncident& net) { numbers.push_back(net.incident.id); });
    for (const std::uint64_t number : numbers)
        book.Act({incidents::OperatorAction::Take, number, now_s, "Fuzz", {}});
    book.Snapshots();
    book.Expire(now_s + 24 * 3600 * 2);
    return 0;
}
