// Connection points: how an object with events hands them to its clients. A
// client advises a sink and gets a cookie back; Unadvise with the cookie ends
// it. Events go to every sink in the order they were advised; a sink advised
// or unadvised while an event is being fired takes effect from the next one.
// A sink that fails (raises) fails its own call only: the object firing the
// event goes on, as it ignores what an event call answers.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/core/host_error.h"

namespace zarvento {

using AdviseCookie = std::uint32_t;  // 0: no connection
// Unadvise with a cookie that names no connection.
inline constexpr HRESULT CONNECT_E_NOCONNECTION_ = static_cast<HRESULT>(0x80040200u);

template <typename Sink>
class ConnectionPoint {
public:
    // A null sink connects nothing and gives 0.
    AdviseCookie Advise(std::shared_ptr<Sink> sink) {
        if (!sink) return 0;
        const AdviseCookie cookie = next_++;
        sinks_.emplace_back(cookie, std::move(sink));
        return cookie;
    }
    // False when the cookie names no connection.
    bool Unadvise(AdviseCookie cookie) {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                sinks_.erase(it);
                return true;
            }
        }
        return false;
    }
    std::size_t Count() const { return sinks_.size(); }

    // Calls `event(sink)` for each sink; each sink is held for its call.
    template <typename Event>
    void Fire(Event&& event) const {
        const std::vector<std::pair<AdviseCookie, std::shared_ptr<Sink>>> sinks = sinks_;
        for (const auto& entry : sinks) {
            try {
                event(*entry.second);
            } catch (...) {
            }
        }
    }

private:
    std::vector<std::pair<AdviseCookie, std::shared_ptr<Sink>>> sinks_;
    AdviseCookie next_ = 1;
};

}  // namespace zarvento
