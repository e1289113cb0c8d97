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

// Tells host objects apart: two held objects have the same identity exactly when the host handed
// out the same object twice (for COM, the object's IUnknown pointer).
using HostIdentity = std::uintptr_t;

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

    // Which host object this is. It stays the same for as long as this object is held, and no
    // other object held meanwhile has it; the first use may ask the host, and raises Error when
    // that fails.
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

    // Host objects let go of while a failure was on its way to the report are released only
    // now, after it was shown: a host that hangs in a release cannot keep the report from the
    // operator. Nothing to do for a service that never puts a release off.
    virtual void releaseDeferred() noexcept {}
};

inline constexpr std::u16string_view kHostProgId = u"KORVAN.Application";

// Added to the reports of a host that cannot be reached or has no part program open: Windows
// does not connect two programs started at different elevation, so a Korvane started as
// administrator is invisible to a Dravosk started normally (and the other way round), which
// then finds no part program or starts a second Korvane.
inline constexpr std::u16string_view kElevationHint =
    u"Wurde eines der beiden Programme als Administrator gestartet (mit erhöhten Rechten) und "
    u"das andere nicht, verbindet Windows Dravosk nicht mit diesem Korvane: beide auf dieselbe "
    u"Weise starten.";

}  // namespace dravosk
