// The host as the commands see it: late-bound objects whose members are addressed by name at the
// moment of the call. The platform binding (COM) and the in-memory stand-in both implement this.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace dravosk {

class HostObject;
class HostEnumerator;
using HostObjectPtr =
    std::unique_ptr<HostObject>;  // releasing the pointer releases the host object
using HostEnumeratorPtr = std::unique_ptr<HostEnumerator>;

// One argument of a method call: a 4-byte integer or a double by value, or a double by reference
// that the host may write into (the caller owns it).
using HostArg = std::variant<std::int32_t, double, double*>;

class HostObject {
  public:
    virtual ~HostObject() = default;

    // Property reads. Every one raises Error naming the member when the host fails or the value
    // cannot be taken as asked.
    // An object; nullptr when the host returned nothing (an empty or null value, a null object).
    virtual HostObjectPtr getObject(std::u16string_view member) = 0;
    // Taken as boolean; a null or empty value counts as false.
    virtual bool getBool(std::u16string_view member) = 0;
    // Taken as text, exactly as delivered (UTF-16 code units, nothing trimmed or normalised).
    virtual std::u16string getText(std::u16string_view member) = 0;

    // A method call; no result is asked for.
    virtual void call(std::u16string_view member, std::span<const HostArg> args) = 0;

    // The object's standard enumerator, walking the collection in the host's order.
    virtual HostEnumeratorPtr enumerate() = 0;
};

class HostEnumerator {
  public:
    virtual ~HostEnumerator() = default;
    // The next item, or nullptr after the last one.
    virtual HostObjectPtr next() = 0;
};

// Creates host application objects by program identifier.
class AutomationService {
  public:
    virtual ~AutomationService() = default;
    virtual HostObjectPtr createObject(std::u16string_view progId) = 0;
};

inline constexpr std::u16string_view kHostProgId = u"KORVAN.Application";

}  // namespace dravosk
