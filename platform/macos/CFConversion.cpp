#include "platform/macos/CFConversion.h"

#include <vector>

namespace ondrel::macos {
namespace {

class MacElement final : public ElementHandle {
public:
    explicit MacElement(AXUIElementRef element) : element_(CFRef<AXUIElementRef>::retained(element)) {
        pid_t pid = 0;
        if (AXUIElementGetPid(element, &pid) == kAXErrorSuccess)
            process_ = pid;
    }
    AXUIElementRef get() const { return element_.get(); }
    ProcessId process() const { return process_; }

private:
    CFRef<AXUIElementRef> element_;
    ProcessId process_ = 0;
};

bool isElement(CFTypeRef value) {
    return value != nullptr && CFGetTypeID(value) == AXUIElementGetTypeID();
}

}  // namespace

CFRef<CFStringRef> makeCFString(std::string_view text) {
    return CFRef<CFStringRef>(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                                      static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false));
}

std::string fromCFString(CFStringRef text) {
    const CFIndex capacity = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
    std::vector<char> buffer(static_cast<std::size_t>(capacity));
    if (!CFStringGetCString(text, buffer.data(), capacity, kCFStringEncodingUTF8))
        return {};
    return std::string(buffer.data());
}

AttributeValue attributeValueFrom(CFTypeRef value) {
    if (value == nullptr)
        return AttributeValue();
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID())
        return AttributeValue(fromCFString(static_cast<CFStringRef>(value)));
    if (type == CFBooleanGetTypeID())
        return AttributeValue(bool(CFBooleanGetValue(static_cast<CFBooleanRef>(value))));
    if (type == CFNumberGetTypeID()) {
        double number = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &number);
        return AttributeValue(number);
    }
    if (type == AXUIElementGetTypeID())
        return AttributeValue(makeElement(static_cast<AXUIElementRef>(value)));
    if (type == CFArrayGetTypeID()) {
        const auto array = static_cast<CFArrayRef>(value);
        ElementList elements;
        const CFIndex count = CFArrayGetCount(array);
        for (CFIndex i = 0; i < count; ++i) {
            CFTypeRef item = CFArrayGetValueAtIndex(array, i);
            if (!isElement(item))
                return AttributeValue(OtherValue{"array"});
            elements.push_back(makeElement(static_cast<AXUIElementRef>(item)));
        }
        return AttributeValue(std::move(elements));
    }
    return AttributeValue(OtherValue{"other"});
}

Element makeElement(AXUIElementRef element) {
    return element != nullptr ? std::make_shared<MacElement>(element) : nullptr;
}

AXUIElementRef axElement(const Element& element) {
    return static_cast<const MacElement&>(*element).get();
}

ProcessId processOf(const Element& element) {
    return static_cast<const MacElement&>(*element).process();
}

}  // namespace ondrel::macos
