// SPDX-License-Identifier: MIT
#include "platform/atspi/BusThread.h"

#include <future>
#include <memory>

namespace ondrel::atspi {
namespace {

template <typename Work>
void attach(GMainContext* context, GSource* source, Work work) {
    auto* owned = new Work(std::move(work));
    g_source_set_callback(
        source, [](gpointer data) -> gboolean { return (*static_cast<Work*>(data))() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE; },
        owned, [](gpointer data) { delete static_cast<Work*>(data); });
    g_source_attach(source, context);
    g_source_unref(source);
}

}  // namespace

BusThread::BusThread() : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
    thread_ = std::thread([this] {
        g_main_context_push_thread_default(context_);
        g_main_loop_run(loop_);
        g_main_context_pop_thread_default(context_);
    });
}

BusThread::~BusThread() {
    // Quit from inside the loop, which may not have started running yet.
    attach(context_, g_idle_source_new(), [loop = loop_] {
        g_main_loop_quit(loop);
        return false;
    });
    thread_.join();
    // Sources still attached are released with the context, unrun.
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void BusThread::invoke(const std::function<void()>& work) {
    if (onThread()) {
        work();
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    post([&work, done] {
        work();
        done->set_value();
    });
    finished.wait();
}

void BusThread::post(std::function<void()> work) {
    attach(context_, g_idle_source_new(), [work = std::move(work)] {
        work();
        return false;
    });
}

void BusThread::every(double seconds, std::function<bool()> work) {
    attach(context_, g_timeout_source_new(static_cast<guint>(seconds * 1000)), std::move(work));
}

}  // namespace ondrel::atspi
