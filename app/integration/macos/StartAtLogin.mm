// SPDX-License-Identifier: MIT
// The macOS side of starting at login: the app itself registered as a login item through
// SMAppService (macOS 13 and later), which lists it under General > Login Items in System Settings.

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "app/integration/DesktopIntegration.h"

namespace ondrel {
namespace {

std::string describe(NSError* error) {
    const char* text = error != nil ? error.localizedDescription.UTF8String : nullptr;
    return text != nullptr ? text : "unknown error";
}

}  // namespace

bool startsAtLogin() {
    if (@available(macOS 13.0, *)) {
        const SMAppServiceStatus status = SMAppService.mainAppService.status;
        return status == SMAppServiceStatusEnabled || status == SMAppServiceStatusRequiresApproval;
    }
    return false;
}

std::optional<std::string> setStartAtLogin(bool on) {
    if (@available(macOS 13.0, *)) {
        @autoreleasepool {
            SMAppService* service = SMAppService.mainAppService;
            NSError* error = nil;
            if (on && ![service registerAndReturnError:&error])
                return "Start at Login: could not register Ondrel as a login item: " + describe(error) + ".";
            if (!on && ![service unregisterAndReturnError:&error])
                return "Start at Login: could not remove Ondrel's login item: " + describe(error) + ".";
            if (on && service.status == SMAppServiceStatusRequiresApproval) {
                [SMAppService openSystemSettingsLoginItems];
                return std::string("Start at Login: allow Ondrel under General > Login Items in System Settings.");
            }
            return std::nullopt;
        }
    }
    return std::string("Start at Login needs macOS 13 or later.");
}

}  // namespace ondrel
