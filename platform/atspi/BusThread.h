// SPDX-License-Identifier: MIT
#pragma once

// A thread of the backend's own that runs a GLib main context: everything GDBus hands back later (signals,
// a connection's closing, releases it queues) is dispatched there, in a command-line process that runs no
// main loop of its own as much as in the tray application.

#include <glib.h>

#include <functional>
#include <thread>

namespace ondrel::atspi {

class BusThread {
public:
    BusThread();
    ~BusThread();
    BusThread(const BusThread&) = delete;
    BusThread& operator=(const BusThread&) = delete;

    // Runs `work` on the thread, with its context as the thread-default, and waits for it. On the thread
    // itself it runs at once.
    void invoke(const std::function<void()>& work);
    // Runs `work` on the thread soon, without waiting.
    void post(std::function<void()> work);
    // Runs `work` on the thread every `seconds` until it returns false.
    void every(double seconds, std::function<bool()> work);
    bool onThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    GMainContext* context_;
    GMainLoop* loop_;
    std::thread thread_;
};

}  // namespace ondrel::atspi
