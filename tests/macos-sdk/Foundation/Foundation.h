// SPDX-License-Identifier: MIT
// The Foundation declarations the macOS sources use, as Apple documents them.
// Compile check only.
#pragma once

#include <sys/types.h>

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef signed char BOOL;
#define nil ((id)0)
#define NS_ENUM(type, name) \
    enum name : type name;  \
    enum name : type
#define NS_OPTIONS(type, name) \
    type name;                 \
    enum : type

__attribute__((objc_root_class))
@interface NSObject
+ (instancetype)alloc;
- (instancetype)init;
- (instancetype)autorelease;
@end

@interface NSString : NSObject
+ (nullable instancetype)stringWithUTF8String:(const char* _Nonnull)nullTerminatedCString;
@property(nullable, readonly) const char* UTF8String __attribute__((objc_returns_inner_pointer));
@end

@interface NSArray<__covariant ObjectType> : NSObject
@property(readonly) NSUInteger count;
- (ObjectType _Nonnull)objectAtIndex:(NSUInteger)index;
@end

@interface NSBundle : NSObject
@property(class, readonly) NSBundle* _Nonnull mainBundle;
@property(nullable, readonly, copy) NSString* bundleIdentifier;
@end

@interface NSUUID : NSObject
+ (instancetype _Nonnull)UUID;
@property(readonly, copy) NSString* _Nonnull UUIDString;
@end

@interface NSError : NSObject
@property(readonly, copy) NSString* _Nonnull localizedDescription;
@end
