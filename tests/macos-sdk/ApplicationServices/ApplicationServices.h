// SPDX-License-Identifier: MIT
// The accessibility (HIServices) declarations platform/macos uses, as Apple documents them.
// Compile check only.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __AXUIElement* AXUIElementRef;

typedef enum AXError : int32_t {
    kAXErrorSuccess = 0,
    kAXErrorFailure = -25200,
    kAXErrorIllegalArgument = -25201,
    kAXErrorInvalidUIElement = -25202,
    kAXErrorInvalidUIElementObserver = -25203,
    kAXErrorCannotComplete = -25204,
    kAXErrorAttributeUnsupported = -25205,
    kAXErrorActionUnsupported = -25206,
    kAXErrorNotificationUnsupported = -25207,
    kAXErrorNotImplemented = -25208,
    kAXErrorNotificationAlreadyRegistered = -25209,
    kAXErrorNotificationNotRegistered = -25210,
    kAXErrorAPIDisabled = -25211,
    kAXErrorNoValue = -25212,
    kAXErrorParameterizedAttributeUnsupported = -25213,
    kAXErrorNotEnoughPrecision = -25214,
} AXError;

extern CFStringRef kAXTrustedCheckOptionPrompt;

Boolean AXIsProcessTrusted(void);
Boolean AXIsProcessTrustedWithOptions(CFDictionaryRef options);

CFTypeID AXUIElementGetTypeID(void);
AXUIElementRef AXUIElementCreateApplication(pid_t pid);
AXUIElementRef AXUIElementCreateSystemWide(void);
AXError AXUIElementGetPid(AXUIElementRef element, pid_t* pid);
AXError AXUIElementSetMessagingTimeout(AXUIElementRef element, float timeoutInSeconds);
AXError AXUIElementCopyAttributeValue(AXUIElementRef element, CFStringRef attribute,
                                      CFTypeRef _Nullable* _Nonnull CF_RETURNS_RETAINED value);
AXError AXUIElementGetAttributeValueCount(AXUIElementRef element, CFStringRef attribute, CFIndex* count);
AXError AXUIElementCopyAttributeValues(AXUIElementRef element, CFStringRef attribute, CFIndex index,
                                       CFIndex maxValues, CFArrayRef _Nullable* _Nonnull CF_RETURNS_RETAINED values);
AXError AXUIElementSetAttributeValue(AXUIElementRef element, CFStringRef attribute, CFTypeRef value);
AXError AXUIElementPerformAction(AXUIElementRef element, CFStringRef action);

enum { kAXCopyMultipleAttributeOptionStopOnError = 0x1 };
typedef UInt32 AXCopyMultipleAttributeOptions;
AXError AXUIElementCopyMultipleAttributeValues(AXUIElementRef element, CFArrayRef attributes,
                                               AXCopyMultipleAttributeOptions options,
                                               CFArrayRef _Nullable* _Nonnull CF_RETURNS_RETAINED values);

typedef const struct __AXValue* AXValueRef;
typedef enum AXValueType : UInt32 {
    kAXValueTypeCGPoint = 1,
    kAXValueTypeCGSize = 2,
    kAXValueTypeCGRect = 3,
    kAXValueTypeCFRange = 4,
    kAXValueTypeAXError = 5,
    kAXValueTypeIllegal = 0,
} AXValueType;
CFTypeID AXValueGetTypeID(void);
AXValueType AXValueGetType(AXValueRef value);

typedef struct __AXObserver* AXObserverRef;
typedef void (*AXObserverCallback)(AXObserverRef observer, AXUIElementRef element, CFStringRef notification,
                                   void* _Nullable refcon);
AXError AXObserverCreate(pid_t application, AXObserverCallback callback,
                         AXObserverRef _Nullable* _Nonnull CF_RETURNS_RETAINED outObserver);
AXError AXObserverAddNotification(AXObserverRef observer, AXUIElementRef element, CFStringRef notification,
                                  void* _Nullable refcon);
CFRunLoopSourceRef AXObserverGetRunLoopSource(AXObserverRef observer);

#define kAXWindowCreatedNotification CFSTR("AXWindowCreated")
#define kAXWindowMiniaturizedNotification CFSTR("AXWindowMiniaturized")
#define kAXWindowDeminiaturizedNotification CFSTR("AXWindowDeminiaturized")
#define kAXSheetCreatedNotification CFSTR("AXSheetCreated")
#define kAXUIElementDestroyedNotification CFSTR("AXUIElementDestroyed")
#define kAXRowCountChangedNotification CFSTR("AXRowCountChanged")
#define kAXCreatedNotification CFSTR("AXCreated")
#define kAXLayoutChangedNotification CFSTR("AXLayoutChanged")

#ifdef __cplusplus
}
#endif
