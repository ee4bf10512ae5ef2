// SPDX-License-Identifier: MIT
// NSRunningApplication rather than walking the process list to enclosing .app bundles: it is the
// system's own answer to "which applications with this bundle identifier run", it leaves out helper
// processes (which live in nested bundles of their own), and it keeps the platform's order. The C
// route would have to re-derive all of that from paths.

#import <AppKit/AppKit.h>

#include "platform/macos/RunningApplications.h"

#include <string>

#include "platform/macos/CFRef.h"
#include "platform/macos/MacRules.h"

namespace ondrel::macos {
namespace {

// AppKit learns of launches and exits as the main run loop turns. The application's event loop turns
// it; the command-line modes run none, so there the query first handles whatever is waiting, without
// waiting for more. Never inside a running loop: that would dispatch the application's own events in
// the middle of a pass.
void catchUpWithLaunchesAndExits() {
    CFRunLoopRef main = CFRunLoopGetMain();
    if (CFRunLoopGetCurrent() != main)
        return;
    if (CFRef<CFStringRef>(CFRunLoopCopyCurrentMode(main)))
        return;
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, true);
}

}  // namespace

std::vector<ProcessId> runningApplicationProcesses(std::string_view bundleIdentifier) {
    std::vector<ProcessId> processes;
    catchUpWithLaunchesAndExits();
    @autoreleasepool {
        const std::string identifier(bundleIdentifier);
        NSString* name = [NSString stringWithUTF8String:identifier.c_str()];
        if (name == nil)
            return processes;
        NSArray<NSRunningApplication*>* applications =
            [NSRunningApplication runningApplicationsWithBundleIdentifier:name];
        for (NSUInteger i = 0; i < applications.count; ++i) {
            const auto process = static_cast<ProcessId>([applications objectAtIndex:i].processIdentifier);
            if (isTargetProcess(process))
                processes.push_back(process);
        }
    }
    return processes;
}

}  // namespace ondrel::macos
