// The AppKit and Foundation declarations platform/macos uses, as Apple documents them.
// Compile check only.
#pragma once

#include <sys/types.h>

typedef unsigned long NSUInteger;
typedef signed char BOOL;
#define nil ((id)0)

__attribute__((objc_root_class))
@interface NSObject
+ (instancetype)alloc;
- (instancetype)init;
@end

@interface NSString : NSObject
+ (nullable instancetype)stringWithUTF8String:(const char* _Nonnull)nullTerminatedCString;
@end

@interface NSArray<__covariant ObjectType> : NSObject
@property(readonly) NSUInteger count;
- (ObjectType _Nonnull)objectAtIndex:(NSUInteger)index;
@end

@interface NSRunningApplication : NSObject
@property(readonly) pid_t processIdentifier;
+ (NSArray<NSRunningApplication*>* _Nonnull)runningApplicationsWithBundleIdentifier:(NSString* _Nonnull)bundleIdentifier;
@end
