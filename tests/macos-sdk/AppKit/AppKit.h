// SPDX-License-Identifier: MIT
// The AppKit declarations the macOS sources use, as Apple documents them.
// Compile check only.
#pragma once

#import <Foundation/Foundation.h>

@interface NSRunningApplication : NSObject
@property(readonly) pid_t processIdentifier;
+ (NSArray<NSRunningApplication*>* _Nonnull)runningApplicationsWithBundleIdentifier:(NSString* _Nonnull)bundleIdentifier;
@end
