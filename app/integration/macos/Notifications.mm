// SPDX-License-Identifier: MIT
// Notifications on macOS: the user notification center. macOS asks the user once whether Ondrel may
// notify; until they agree, notices are dropped by the system, which is their choice to make.

#import <Foundation/Foundation.h>
#import <UserNotifications/UserNotifications.h>

#include <utility>

#include "app/SkipNotices.h"
#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"

namespace ondrel {

struct DesktopNotifications::Service {
    bool authorizationAsked = false;
};

DesktopNotifications::DesktopNotifications() : service_(std::make_unique<Service>()) {}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::post(const Notice& notice) {
    @autoreleasepool {
        // Outside an application bundle the notification center does not exist (asking for it raises).
        if (NSBundle.mainBundle.bundleIdentifier == nil) {
            if (!std::exchange(service_->authorizationAsked, true))
                log("Could not show a notification: Ondrel runs outside its application bundle.");
            return;
        }
        UNUserNotificationCenter* center = UNUserNotificationCenter.currentNotificationCenter;
        if (!std::exchange(service_->authorizationAsked, true)) {
            [center requestAuthorizationWithOptions:UNAuthorizationOptionAlert | UNAuthorizationOptionSound
                                  completionHandler:^(BOOL, NSError* _Nullable){
                                  }];
        }
        UNMutableNotificationContent* content = [[[UNMutableNotificationContent alloc] init] autorelease];
        content.title = [NSString stringWithUTF8String:notice.title.c_str()];
        // Text that is not UTF-8 was escaped before it got here; a missing body is the worst case.
        if (NSString* body = [NSString stringWithUTF8String:notice.body.c_str()])
            content.body = body;
        UNNotificationRequest* request = [UNNotificationRequest requestWithIdentifier:NSUUID.UUID.UUIDString
                                                                              content:content
                                                                              trigger:nil];
        [center addNotificationRequest:request withCompletionHandler:nil];
    }
}

}  // namespace ondrel
