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
using HostObjectPtr = std::unique_ptr<HostObject>;  // releasing it releases the host object
using HostEnumeratorPtr = std::unique_ptr<HostEnumerator>;

// The same for two held objects exactly when the host handed out one object twice (COM: IUnknown).
using HostIdentity = std::uintptr_t;

// A method argument: a 4-byte integer or double by value, or a caller-owned double the host fills.
using HostArg = std::variant<std::int32_t, double, double*>;

class HostObject {
  public:
    virtual ~HostObject() = default;

    // Property reads, raising Error naming the member if the host fails or the value is unfit.
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

    // Which host object this is: the same while this object is held, and no other held meanwhile
    // has it. The first use may ask the host, raising Error when that fails.
    virtual HostIdentity identity() = 0;
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

    // Releases host objects let go of while a failure was on its way to the report, now that it
    // was shown: a host that hangs in a release cannot keep the report from the operator.
    virtual void releaseDeferred() noexcept {}
};

// Told by the binding when a host call goes out and comes back: the window's watch for a hang.
class CallObserver {
  public:
    virtual ~CallObserver() = default;
    // `member` names the call as an error at it would ("PutVector", "IEnumVARIANT::Next") and
    // stays valid until callEnded. A refused call sent again starts anew each time.
    virtual void callStarted(std::u16string_view member) noexcept = 0;
    virtual void callEnded() noexcept = 0;
};

inline constexpr std::u16string_view kHostProgId = u"KORVAN.Application";

}  // namespace dravosk
