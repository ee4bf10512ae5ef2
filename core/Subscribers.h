// SPDX-License-Identifier: MIT
#pragma once

// A small list of listeners, called in the order they were added. Adding returns a Subscription that
// removes its listener when destroyed, so a listener never outlives the object it belongs to. Safe
// across threads: the list is copied under a lock and its listeners are called outside it, so a
// listener may add or remove others; such a change takes effect from the next notification.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace ondrel {

class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (cancel_)
            std::exchange(cancel_, nullptr)();
    }

private:
    std::function<void()> cancel_;
};

template <typename... Args>
class Subscribers {
public:
    using Listener = std::function<void(const Args&...)>;

    [[nodiscard]] Subscription add(Listener listener) {
        std::lock_guard lock(state_->mutex);
        const std::uint64_t id = ++state_->lastId;
        state_->listeners.emplace_back(id, std::make_shared<Listener>(std::move(listener)));
        return Subscription([weak = std::weak_ptr<State>(state_), id] {
            if (auto state = weak.lock()) {
                std::lock_guard guard(state->mutex);
                std::erase_if(state->listeners, [id](const auto& entry) { return entry.first == id; });
            }
        });
    }

    void notify(const Args&... args) const {
        std::vector<std::shared_ptr<Listener>> listeners;
        {
            std::lock_guard lock(state_->mutex);
            for (const auto& entry : state_->listeners)
                listeners.push_back(entry.second);
        }
        for (const auto& listener : listeners)
            (*listener)(args...);
    }

private:
    struct State {
        std::mutex mutex;
        std::uint64_t lastId = 0;
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Listener>>> listeners;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace ondrel
