// SPDX-License-Identifier: MIT
#include "platform/macos/ChangeWatch.h"

#include <algorithm>
#include <future>

namespace ondrel::macos {
namespace {

// The notifications that can change what a walk finds. Registered on the application element, they come
// from every element of the application.
CFStringRef const structuralNotifications[] = {
    kAXCreatedNotification,         kAXUIElementDestroyedNotification, kAXWindowCreatedNotification,
    kAXSheetCreatedNotification,    kAXWindowMiniaturizedNotification, kAXWindowDeminiaturizedNotification,
    kAXRowCountChangedNotification, kAXLayoutChangedNotification,
};

}  // namespace

ChangeWatch::ChangeWatch() {
    CFRunLoopSourceContext context{};
    context.info = this;
    context.perform = onWake;
    wake_ = CFRef<CFRunLoopSourceRef>(CFRunLoopSourceCreate(kCFAllocatorDefault, 0, &context));
    // The thread owns the promise: set_value may still be on its way out when the wait below returns.
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    thread_ = std::thread([this, started = std::move(started)]() mutable {
        runLoop_ = CFRef<CFRunLoopRef>::retained(CFRunLoopGetCurrent());
        CFRunLoopAddSource(runLoop_.get(), wake_.get(), kCFRunLoopDefaultMode);
        started.set_value();
        CFRunLoopRun();  // until onWake stops it
        CFRunLoopRemoveSource(runLoop_.get(), wake_.get(), kCFRunLoopDefaultMode);
    });
    ready.wait();
}

ChangeWatch::~ChangeWatch() {
    std::vector<std::unique_ptr<Followed>> all;
    for (auto& [process, followed] : followed_)
        all.push_back(std::move(followed));
    followed_.clear();
    hand(std::move(all), true);
    thread_.join();
}

void ChangeWatch::setListener(std::function<void(ProcessId)> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

AXError ChangeWatch::follow(ProcessId process) {
    if (follows(process))
        return kAXErrorSuccess;
    auto followed = std::make_unique<Followed>(Followed{this, process, {}});
    const pid_t pid = static_cast<pid_t>(process);
    AXError result = AXObserverCreate(pid, onNotification, followed->observer.out());
    if (result != kAXErrorSuccess)
        return result;
    const CFRef<AXUIElementRef> application(AXUIElementCreateApplication(pid));
    for (CFStringRef notification : structuralNotifications) {
        result = AXObserverAddNotification(followed->observer.get(), application.get(), notification, followed.get());
        // Not yet on any run loop, a half-registered observer can go right here.
        if (result != kAXErrorSuccess && result != kAXErrorNotificationAlreadyRegistered)
            return result;
    }
    CFRunLoopAddSource(runLoop_.get(), AXObserverGetRunLoopSource(followed->observer.get()), kCFRunLoopDefaultMode);
    CFRunLoopWakeUp(runLoop_.get());
    followed_.emplace(process, std::move(followed));
    return kAXErrorSuccess;
}

void ChangeWatch::keepOnly(const std::vector<ProcessId>& running) {
    std::vector<std::unique_ptr<Followed>> ended;
    for (auto entry = followed_.begin(); entry != followed_.end();) {
        if (std::find(running.begin(), running.end(), entry->first) != running.end()) {
            ++entry;
            continue;
        }
        ended.push_back(std::move(entry->second));
        entry = followed_.erase(entry);
    }
    if (!ended.empty())
        hand(std::move(ended), false);
}

void ChangeWatch::hand(std::vector<std::unique_ptr<Followed>> dropped, bool stop) {
    {
        std::lock_guard lock(mutex_);
        for (auto& followed : dropped)
            dropped_.push_back(std::move(followed));
        stopping_ = stopping_ || stop;
    }
    CFRunLoopSourceSignal(wake_.get());
    CFRunLoopWakeUp(runLoop_.get());
}

void ChangeWatch::onWake(void* data) {
    auto* watch = static_cast<ChangeWatch*>(data);
    std::vector<std::unique_ptr<Followed>> dropped;
    bool stop = false;
    {
        std::lock_guard lock(watch->mutex_);
        dropped.swap(watch->dropped_);
        stop = watch->stopping_;
    }
    for (const auto& followed : dropped) {
        CFRunLoopRemoveSource(watch->runLoop_.get(), AXObserverGetRunLoopSource(followed->observer.get()),
                              kCFRunLoopDefaultMode);
    }
    dropped.clear();
    if (stop)
        CFRunLoopStop(watch->runLoop_.get());
}

void ChangeWatch::onNotification(AXObserverRef, AXUIElementRef, CFStringRef, void* data) {
    const auto* followed = static_cast<const Followed*>(data);
    std::lock_guard lock(followed->watch->listenerMutex_);
    if (followed->watch->listener_)
        followed->watch->listener_(followed->process);
}

}  // namespace ondrel::macos
