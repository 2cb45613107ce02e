// The dashboard's server as the UI thread sees it: the settings checked, the page loaded,
// the listening started on the loop, the state rendered when the loop asks.
#include "dashboard/DashboardServer.h"

#include "basemap/BaseMap.h"
#include "dashboard/DashboardJson.h"
#include "dashboard/ServerCore.h"
#include "net/IoThread.h"

namespace dashboard {

bool IsLoopbackAddress(const std::string& address) {
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error) return false;
    if (parsed.is_v6() && parsed.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, parsed.to_v6()).is_loopback();
    return parsed.is_loopback();
}

platform::Result<void> CanListen(const std::string& address, std::uint16_t port) {
    asio::io_context io;
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error) return platform::Fail("not an IP address: " + address);
    tcp::acceptor acceptor(io);
    const tcp::endpoint where(parsed, port);
    acceptor.open(where.protocol(), error);
    if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor.bind(where, error);
    if (!error) acceptor.listen(1, error);
    if (error) return platform::Fail(error.message());
    return {};
}

DashboardServer::DashboardServer(Source& source, ServerSettings settings, net::IoThread& io,
                                 net::UiQueue& ui)
    : source_(source),
      settings_(std::move(settings)),
      io_(io),
      ui_(ui),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
    source_.SetChangeListener([this] {
        if (core_) core_->NoteChanged();
    });
}

DashboardServer::~DashboardServer() {
    *alive_ = false;
    source_.SetChangeListener(nullptr);
    if (core_) io_.RunAndWait([core = core_] { core->Stop(); });
}

void DashboardServer::SetBaseMap(std::shared_ptr<const basemap::BaseMap> map) {
    baseMapJson_ = map ? SafeJson(BaseMapGeoJson(*map)) : std::string();
}

platform::Result<void> DashboardServer::Start() {
    const std::string& address = settings_.address;
    if (!IsLoopbackAddress(address) && settings_.token.empty())
        return platform::Fail("the dashboard listens beyond this machine (" + address +
                              ") only with an access token: set DashboardToken in the host's "
                              "settings, or leave the address out to listen on loopback");
    if (!IsLoopbackAddress(address) && settings_.token.size() < kMinRemoteTokenChars)
        return platform::Fail("the dashboard listens beyond this machine (" + address +
                              ") only with an access token of at least " +
                              std::to_string(kMinRemoteTokenChars) + " characters");
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error)
        return platform::Fail("the dashboard cannot listen on " + address + ": not an IP address");
    auto core = std::make_shared<ServerCore>(io_.Context(), ui_, settings_);
    core->alive = alive_;
    core->render = [this] { return StateJson(); };
    core->act = [this](const Action& action) { return source_.Act(action); };
    if (const auto loaded = core->handler.LoadPage(settings_.pageFolder); !loaded) return loaded;
    if (!baseMapJson_.empty()) core->handler.SetBaseMapJson(baseMapJson_);
    platform::Result<void> listening;
    const tcp::endpoint where(parsed, settings_.port);
    io_.RunAndWait([&] { listening = core->Listen(where); });
    if (!listening)
        return platform::Fail("the dashboard cannot listen on " + address + " port " +
                              std::to_string(settings_.port) + ": " + listening.error().text);
    port_ = core->Port();
    core_ = std::move(core);
    return {};
}

std::string DashboardServer::StateJson() const {
    nlohmann::json state = SnapshotJson(source_.Current());
    state["tileUrl"] = settings_.tileUrl;
    state["tileAttribution"] = settings_.tileAttribution;
    state["actions"] = !settings_.token.empty();
    return SafeJson(state);
}

std::string DashboardServer::Url() const {
    const bool v6 = settings_.address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + settings_.address + "]" : settings_.address) + ":" +
           std::to_string(port_) + "/";
}

int DashboardServer::OpenConnections() const {
    return core_ ? core_->openCount.load() : 0;
}

}  // namespace dashboard
