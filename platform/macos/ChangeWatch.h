// SPDX-License-Identifier: MIT
#pragma once

// Changes in the trees of the applications Ondrel follows, as accessibility notifications: elements
// created or destroyed, windows and sheets opened, windows minimized or restored, rows added or removed,
// layouts changed. Each followed process has an observer, registered on its application element so that
// it hears from every element there. The observers' run loop sources sit on a thread of the watch's own
// with a run loop that always turns: the command-line modes turn none, and the window's thread must not
// wait on notifications. Value and title changes are never asked for: a text that updates many times a
// second would send as many. macOS has no notification for an element turning enabled or disabled.

#include <ApplicationServices/ApplicationServices.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Accessibility.h"
#include "platform/macos/CFRef.h"

namespace ondrel::macos {

class ChangeWatch {
public:
    // Starts the watch's thread and waits until its run loop can take sources.
    ChangeWatch();
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Called on the watch's thread for every notification from a followed process. Any thread; once it
    // returns, the listener it replaced is neither running nor called again.
    void setListener(std::function<void(ProcessId process)> listener);

    // The rest belongs to the thread that scans.
    // Observes `process` from now on. Success when every notification is registered (or was already);
    // otherwise the first failure, and the process is not followed: a later call tries again.
    AXError follow(ProcessId process);
    bool follows(ProcessId process) const { return followed_.contains(process); }
    // Stops observing every process not among `running`.
    void keepOnly(const std::vector<ProcessId>& running);

private:
    // An observer and the process it hears from; the notifications' context. Dropped only on the watch's
    // thread, so that no notification is being handled while it goes.
    struct Followed {
        ChangeWatch* watch;
        ProcessId process;
        CFRef<AXObserverRef> observer;
    };

    static void onNotification(AXObserverRef observer, AXUIElementRef element, CFStringRef notification,
                               void* followed);
    static void onWake(void* watch);
    void hand(std::vector<std::unique_ptr<Followed>> dropped, bool stop);

    std::mutex listenerMutex_;  // held while the listener runs, so that it is never replaced mid-call
    std::function<void(ProcessId)> listener_;
    std::mutex mutex_;  // guards what the watch's thread is handed
    std::vector<std::unique_ptr<Followed>> dropped_;
    bool stopping_ = false;

    std::map<ProcessId, std::unique_ptr<Followed>> followed_;
    CFRef<CFRunLoopSourceRef> wake_;  // signalled to hand the watch's thread what it must drop, or to stop it
    CFRef<CFRunLoopRef> runLoop_;
    std::thread thread_;
};

}  // namespace ondrel::macos
