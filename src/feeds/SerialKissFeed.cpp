// KISS over a serial line to monitor lines, opening the line again while the TNC is away.
#include "feeds/SerialKissFeed.h"

#include <boost/asio/post.hpp>
#include <filesystem>

#include "decode/Ax25.h"

namespace feeds {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

bool DeviceThere(const std::string& device) {
#ifdef _WIN32
    (void)device;
    return true;  // COM ports are no files: the opening says whether one is there
#else
    std::error_code ignored;
    return std::filesystem::exists(device, ignored);
#endif
}

// Why the line cannot be opened, in words of our own rather than a bare system error.
std::string OpenProblem(const std::string& device, const error_code& error) {
    namespace errc = boost::system::errc;
    if (!DeviceThere(device) || error == errc::no_such_file_or_directory ||
        error == errc::no_such_device || error == errc::no_such_device_or_address)
        return "no such device (unplugged?)";
    if (error == errc::permission_denied || error == errc::device_or_resource_busy)
        return "permission denied, or the device is in use by another program";
    return error.message();
}

// Why reading stopped: a device that went away reports an error on its next read.
std::string ReadProblem(const std::string& device) {
    if (!DeviceThere(device)) return "no such device (unplugged?)";
    return "the device stopped answering (unplugged?)";
}

error_code Configure(asio::serial_port& port, unsigned baud) {
    using asio::serial_port_base;
    error_code e;
    port.set_option(serial_port_base::baud_rate(baud), e);
    if (!e) port.set_option(serial_port_base::character_size(8), e);
    if (!e) port.set_option(serial_port_base::parity(serial_port_base::parity::none), e);
    if (!e) port.set_option(serial_port_base::stop_bits(serial_port_base::stop_bits::one), e);
    if (!e)
        port.set_option(serial_port_base::flow_control(serial_port_base::flow_control::none), e);
    return e;
}

}  // namespace

SerialKissFeed::SerialKissFeed(Loops loops, std::string device, unsigned baud, int reopen_ms)
    : Source(loops.ui, "KISS " + device + " at " + std::to_string(baud) + " bd"),
      io_(loops.io),
      device_(std::move(device)),
      baud_(baud),
      reopen_ms_(reopen_ms),
      port_(loops.io),
      reopen_(loops.io) {}

void SerialKissFeed::Start() {
    std::weak_ptr<SerialKissFeed> weak = Self();
    Out().WhenRoom([this, weak] {
        if (auto self = weak.lock()) asio::post(io_, [self] { self->Resume(); });
    });
    asio::post(io_, [self = Self()] { self->Open(); });
}

void SerialKissFeed::Stop() {
    asio::post(io_, [self = Self()] {
        self->stopped_ = true;
        error_code ignored;
        self->port_.close(ignored);
        self->reopen_.cancel();
    });
}

void SerialKissFeed::Open() {
    waiting_ = false;
    if (stopped_) return;
    error_code e;
    port_.open(device_, e);
    if (e) return CloseAndRetry(OpenProblem(device_, e));
    if ((e = Configure(port_, baud_))) return CloseAndRetry(e.message());
    ++opened_;
    paused_ = false;
    Out().Status(Describe() + ": open");
    Out().LinkUp();
    Read();
}

void SerialKissFeed::Read() {
    if (reading_ || paused_ || stopped_ || !port_.is_open()) return;
    reading_ = true;
    const unsigned opened = opened_;
    port_.async_read_some(asio::buffer(buffer_),
                          [this, self = Self(), opened](const error_code& e, std::size_t bytes) {
                              reading_ = false;
                              if (stopped_) return;
                              if (opened != opened_)
                                  return Read();  // opened again meanwhile: read that one
                              if (e) return CloseAndRetry(ReadProblem(device_));
                              Received(bytes);
                          });
}

void SerialKissFeed::Received(std::size_t bytes) {
    Out().Heard();
    for (const auto& frame : deframer_.Feed(std::string_view(buffer_.data(), bytes))) {
        if (auto line = decode::Ax25ToTnc2(frame)) Out().Line(std::move(*line));
    }
    Out().Flush();
    if (Out().Full())
        paused_ = true;
    else
        Read();
}

void SerialKissFeed::Resume() {
    if (!paused_) return;
    paused_ = false;
    Read();
}

void SerialKissFeed::CloseAndRetry(const std::string& reason) {
    if (waiting_ || stopped_) return;
    waiting_ = true;
    error_code ignored;
    port_.close(ignored);
    deframer_ = {};
    Out().Status(Describe() + ": " + reason + ", trying again every " + SecondsText(reopen_ms_) +
                 " s");
    Out().LinkDown(reason);
    reopen_.expires_after(std::chrono::milliseconds(reopen_ms_));
    reopen_.async_wait([this, self = Self()](const error_code& e) {
        if (!e) Open();
    });
}

}  // namespace feeds
