// SPDX-License-Identifier: MIT
#include "app/EntryPoint.h"

#include <algorithm>
#include <chrono>

#include "core/ActivityLog.h"
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

}  // namespace

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
    // Between two passes of the interval, a reported change brings a pass at once, at most one per
    // spacing: a prompt that appears is answered without waiting for the rest of the interval.
    if (services.waitForChange && services.changed)
        scanner.watchChanges([changed = services.changed](ProcessId) { changed(); });
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::duration duration) { return std::chrono::duration<double>(duration).count(); };
    while (true) {
        auto passStart = Clock::now();
        runPass(scanner, options);
        if (!services.keepWatching())
            return 0;
        const auto nextTimerPass =
            passStart + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(std::min(options.interval, maxSleepSeconds)));
        while (services.waitForChange && services.waitForChange(std::max(0.0, seconds(nextTimerPass - Clock::now())))) {
            const double early = WatcherEngine::changedPassSpacingSeconds - seconds(Clock::now() - passStart);
            if (early > 0)
                services.sleep(early);
            passStart = Clock::now();
            runPass(scanner, options);
            if (!services.keepWatching())
                return 0;
        }
        if (!services.waitForChange)
            services.sleep(options.interval);
    }
}

}  // namespace ondrel
