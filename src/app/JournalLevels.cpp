// Line priorities for the journal, from the line's first word (or a JSON line's event).
#include "app/JournalLevels.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtGlobal>
#include <iostream>
#include <streambuf>
#include <string>

namespace app {

namespace {
constexpr int kCritical = 2, kWarning = 4, kNotice = 5, kInfo = 6;

int JsonLevel(std::string_view line) {
    const QJsonObject event =
        QJsonDocument::fromJson(QByteArray(line.data(), qsizetype(line.size()))).object();
    const QString kind = event["event"].toString(), state = event["state"].toString();
    if (kind == "emergency" || (kind == "alarm" && state == "on")) return kCritical;
    if (kind == "feed" && (state == "silent" || state == "down")) return kWarning;
    return kind == "alarm" || kind == "feed" ? kNotice : kInfo;
}
}  // namespace

int JournalLevel(std::string_view line, bool errorStream) {
    if (errorStream) return line.starts_with("feed: ") ? kInfo : kWarning;
    if (line.starts_with('{')) return JsonLevel(line);
    if (line.starts_with("EMERGENCY\t") || line.starts_with("ALARM\ton")) return kCritical;
    if (line.starts_with("FEED\tsilent") || line.starts_with("FEED\tdown")) return kWarning;
    if (line.starts_with("ALARM\t") || line.starts_with("FEED\t")) return kNotice;
    return kInfo;
}

// Collects a line, then writes it with its prefix to the stream's own buffer.
class JournalLevels::Prefixer final : public std::streambuf {
public:
    Prefixer(std::ostream& stream, bool errorStream)
        : stream_(stream), target_(stream.rdbuf()), errorStream_(errorStream) {
        stream_.rdbuf(this);
    }
    ~Prefixer() override {
        if (!line_.empty()) Emit();
        stream_.rdbuf(target_);
    }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        line_ += traits_type::to_char_type(c);
        if (line_.back() == '\n') Emit();
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        for (std::streamsize i = 0; i < n; ++i) overflow(traits_type::to_int_type(s[i]));
        return n;
    }
    int sync() override { return target_->pubsync(); }

private:
    void Emit() {
        const std::string prefix = "<" + std::to_string(JournalLevel(line_, errorStream_)) + ">";
        if (line_.back() != '\n') line_ += '\n';
        target_->sputn(prefix.data(), std::streamsize(prefix.size()));
        target_->sputn(line_.data(), std::streamsize(line_.size()));
        line_.clear();
        target_->pubsync();
    }

    std::ostream& stream_;
    std::streambuf* target_;
    bool errorStream_;
    std::string line_;
};

JournalLevels::JournalLevels() {
    if (qEnvironmentVariableIsEmpty("JOURNAL_STREAM")) return;
    out_ = std::make_unique<Prefixer>(std::cout, false);
    err_ = std::make_unique<Prefixer>(std::cerr, true);
}

JournalLevels::~JournalLevels() = default;

}  // namespace app
