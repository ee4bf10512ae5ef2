// SPDX-License-Identifier: MIT
#include "app/EntryPoint.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/ActivityLog.h"
#include "core/BlockingScheduler.h"
#include "core/Engine.h"
#include "core/TextForms.h"

namespace ondrel {
namespace {

// Returns true once the permission is there; otherwise asks for it, waits and starts afresh.
bool passPermissionGate(AccessibilityPlatform& platform, const EntryServices& services) {
    if (platform.isProcessTrusted()) {
        log("Accessibility OK.");
        return true;
    }
    platform.requestTrust();
    log(platform.wording().permissionMissing);
    services.sleep(permissionRetrySeconds);
    services.relaunch("execv failed, cannot re-check permission. Relaunch manually.");
    return false;
}

// The engine on this thread's own loop, its first pass at once; until the session ends (or the tests say).
int watchHeadless(const Options& options, Scanner& scanner, const EntryServices& services) {
    BlockingScheduler loop;
    WatcherEngine engine(scanner, loop, options);
    const Subscription ended = engine.subscribeToSessionEnd([&loop] { loop.stop(); });
    const Subscription passes = engine.subscribe([&] {
        if (services.keepWatching && !services.keepWatching())
            loop.stop();
    });
    engine.start();
    engine.tick();
    loop.run();
    return 0;
}

}  // namespace

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(std::min(seconds, maxSleepSeconds)));
}

Mode modeOf(const Options& options) {
    if (options.once)
        return Mode::singlePass;
    if (options.list)
        return Mode::listing;
    if (options.headless)
        return Mode::headless;
    return Mode::application;
}

std::string headlessStartLine(const Options& options) {
    return "Ondrel watching headless (interval " + formatInterval(options.interval) + "s, labels " +
           formatLabelList(options.labels) + ", safe=" + (options.safe ? "true" : "false") + ").";
}

int runMain(const Options& options, Scanner& scanner, const EntryServices& services) {
    const Mode mode = modeOf(options);
    if (mode == Mode::application)
        return services.runApplication(options);

    // No permission can make an unreachable service reachable: say what is missing and stop.
    if (auto reason = scanner.platform().unavailableReason()) {
        log(*reason);
        return exitUnavailable;
    }
    if (!passPermissionGate(scanner.platform(), services))
        return 1;  // only when relaunch came back

    if (mode != Mode::headless) {
        runPass(scanner, options);
        return 0;
    }
    log(headlessStartLine(options));
    return watchHeadless(options, scanner, services);
}

}  // namespace ondrel
