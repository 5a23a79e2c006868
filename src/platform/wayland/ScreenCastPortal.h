#pragma once

#include "platform/wayland/PortalRequest.h"
#include "platform/wayland/ScreenCastSession.h"

#include <functional>
#include <string>

class PipeWireStreams;
class RestoreToken;

// ScreenCastSession's calls on the bus, its answers back from the portal, and what it asks
// of the token file and the streams.
class ScreenCastPortal final : public ScreenCastSession::Port {
  public:
    using State = ScreenCastSession::State;
    using Reporter = std::function<void(State, const std::string &)>;

    ScreenCastPortal(PortalBus &bus, pw_loop *loop, PipeWireStreams &streams, RestoreToken &token,
                     Reporter report);
    ~ScreenCastPortal() override;
    ScreenCastPortal(const ScreenCastPortal &) = delete;
    ScreenCastPortal &operator=(const ScreenCastPortal &) = delete;

    ScreenCastSession &Session() { return session_; }
    void Drop(); // before the bus closes

    bool GetProperties() override;
    bool CreateSession() override;
    bool SelectSources(const std::string &handle, bool persist,
                       const std::string &restore) override;
    bool Start(const std::string &handle) override;
    bool OpenRemote(const std::string &handle) override;
    std::string ConnectStreams(int fd, const std::vector<std::uint32_t> &nodes,
                               const std::vector<StreamPlacement> &placements, bool rest) override;
    void Close(const std::string &handle) override;
    void ConsentTimer(bool armed) override;
    std::string LoadToken() override;
    void StoreToken(const std::string &value) override;
    void Report(State state, const std::string &detail) override;

  private:
    // Every request of the session fails alike when the portal says no by an error.
    bool Send(const char *member, const std::function<void(sd_bus_message *)> &append,
              const std::function<void(sd_bus_message *)> &extra,
              std::function<void(std::uint32_t, sd_bus_message *)> onResponse);
    static int OnProperties(sd_bus_message *m, void *data, sd_bus_error *);
    static int OnClosed(sd_bus_message *, void *data, sd_bus_error *);
    static int OnRemote(sd_bus_message *m, void *data, sd_bus_error *);
    static void OnConsentTimer(void *data, std::uint64_t);

    PortalBus &bus_;
    pw_loop *loop_;
    PipeWireStreams &streams_;
    RestoreToken &token_;
    Reporter report_;
    ScreenCastSession session_{*this};
    PortalRequest cast_;
    sd_bus_slot *call_ = nullptr; // GetAll, OpenPipeWireRemote
    sd_bus_slot *closed_ = nullptr;
    spa_source *timer_ = nullptr;
};
