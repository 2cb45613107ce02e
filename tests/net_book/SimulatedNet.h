// Watchers of one net exchanging their incident messages in memory: delivery in a shuffled
// order, with duplicates, a watcher offline losing what is sent meanwhile, retained snapshots
// for whoever comes (back).
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "net_book/SharedBook.h"

namespace net_book {

struct SimWatcher {
    explicit SimWatcher(const std::string& name) : book(name, [this] { return nextLocal++; }) {
        book.SetNoticeSink([this](const SharedBook::Notice& n) { notices.push_back(n); });
    }
    std::uint64_t nextLocal = 100;  // the tests give their own openings numbers below
    SharedBook book;
    std::vector<SharedBook::Notice> notices;
    std::vector<std::string> refusals;
    bool online = true;
};

class SimulatedNet {
public:
    explicit SimulatedNet(std::vector<std::string> names, unsigned seed = 1) : random_(seed) {
        for (const std::string& name : names)
            watchers_.push_back(std::make_unique<SimWatcher>(name));
    }

    SimWatcher& operator[](std::size_t i) { return *watchers_[i]; }
    std::size_t size() const { return watchers_.size(); }
    void SetDuplicates(bool on) { duplicates_ = on; }
    std::int64_t now_s = 1'796'000'000;

    // What watcher `from` gives out: changes go to every watcher online (itself too, as a broker
    // does), snapshots are retained.
    void Send(std::size_t from, const SharedBook::Out& out) {
        for (const auto& message : out) {
            const std::string& name = watchers_[from]->book.Watcher();
            if (message.kind == SharedBook::Outgoing::Kind::Snapshot) {
                auto& slot = retained_[name + " " + KeyText(message.key)];
                slot = message.payload;
                continue;
            }
            for (std::size_t to = 0; to < watchers_.size(); ++to)
                if (watchers_[to]->online) inFlight_.push_back({to, name, message.payload});
        }
    }

    // Delivers everything in flight, in a shuffled order, some twice.
    void Deliver() {
        while (!inFlight_.empty()) {
            auto batch = std::exchange(inFlight_, {});
            if (duplicates_) {
                const std::size_t copies = batch.size() / 3;
                for (std::size_t i = 0; i < copies; ++i)
                    batch.push_back(batch[random_() % batch.size()]);
            }
            std::shuffle(batch.begin(), batch.end(), random_);
            for (const auto& item : batch) Hand(item.to, item.from, item.payload);
        }
    }

    void GoOffline(std::size_t i) { watchers_[i]->online = false; }
    // Back: the retained snapshots first, as a broker gives them on subscribing.
    void ComeBack(std::size_t i) {
        watchers_[i]->online = true;
        std::vector<std::pair<std::string, std::string>> retained(retained_.begin(),
                                                                  retained_.end());
        std::shuffle(retained.begin(), retained.end(), random_);
        for (const auto& [topic, payload] : retained)
            if (!payload.empty()) Hand(i, topic.substr(0, topic.find(' ')), payload);
        Deliver();
    }

    std::size_t Retained() const {
        return std::count_if(retained_.begin(), retained_.end(),
                             [](const auto& slot) { return !slot.second.empty(); });
    }

private:
    struct InFlight {
        std::size_t to;
        std::string from;
        std::string payload;
    };

    void Hand(std::size_t to, const std::string& from, const std::string& payload) {
        auto received = watchers_[to]->book.Receive(payload, from, now_s);
        if (!received.accepted) watchers_[to]->refusals.push_back(received.why);
        Send(to, received.out);
    }

    std::vector<std::unique_ptr<SimWatcher>> watchers_;
    std::vector<InFlight> inFlight_;
    std::map<std::string, std::string> retained_;
    std::mt19937 random_;
    bool duplicates_ = true;
};

// The book as every watcher must agree on it: local numbers left out.
inline std::string Picture(const SharedBook& book) {
    std::ostringstream out;
    book.ForEach([&](const NetIncident& net) {
        out << KeyText(net.key) << " " << net.incident.callsign << " "
            << incidents::StateKey(net.incident.state) << " [" << net.incident.handler << "] sites";
        for (const Site& site : net.sites) out << " " << site.watcher;
        out << " merged";
        for (const NetKey& key : net.merged) out << " " << KeyText(key);
        out << "\n";
        for (const Entry& entry : net.log)
            out << "  " << entry.change.watcher << " " << ActionText(entry.change) << " "
                << entry.change.operatorName << (entry.applied ? "" : " REFUSED " + entry.refusal)
                << "\n";
    });
    return out.str();
}

}  // namespace net_book
