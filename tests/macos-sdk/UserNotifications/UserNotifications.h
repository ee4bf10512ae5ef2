// SPDX-License-Identifier: MIT
// The UserNotifications declarations the macOS sources use, as Apple documents them.
// Compile check only.
#pragma once

#import <Foundation/Foundation.h>

typedef NS_OPTIONS(NSUInteger, UNAuthorizationOptions){
    UNAuthorizationOptionBadge = (1 << 0),
    UNAuthorizationOptionSound = (1 << 1),
    UNAuthorizationOptionAlert = (1 << 2),
};

@interface UNNotificationContent : NSObject
@property(readonly, copy) NSString* _Nonnull title;
@property(readonly, copy) NSString* _Nonnull body;
@end

@interface UNMutableNotificationContent : UNNotificationContent
@property(copy) NSString* _Nonnull title;
@property(copy) NSString* _Nonnull body;
@end

@interface UNNotificationTrigger : NSObject
@end

@interface UNNotificationRequest : NSObject
+ (instancetype _Nonnull)requestWithIdentifier:(NSString* _Nonnull)identifier
                                       content:(UNNotificationContent* _Nonnull)content
                                       trigger:(UNNotificationTrigger* _Nullable)trigger;
@end

@interface UNUserNotificationCenter : NSObject
+ (UNUserNotificationCenter* _Nonnull)currentNotificationCenter;
- (void)requestAuthorizationWithOptions:(UNAuthorizationOptions)options
                      completionHandler:(void (^_Nonnull)(BOOL granted, NSError* _Nullable error))completionHandler;
- (void)addNotificationRequest:(UNNotificationRequest* _Nonnull)request
         withCompletionHandler:(void (^_Nullable)(NSError* _Nullable error))completionHandler;
@end
